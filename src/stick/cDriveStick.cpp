// The stick panel operations of the drive object: the stick detection after an
// enumeration, taking a stick into use or forgetting it, its capacity display,
// its standard folder and its info file USB.ini.

#include "platform/Shell.h"
#include "stick/SizeFormat.h"
#include "stick/StickView.h"
#include "stick/cDrive.h"
#include "storage/basINI.h"

#include <QLocale>
#include <QObject>
#include <cmath>

namespace norvane {

namespace {

const QString kSeveralDrives = QStringLiteral("-1");
const QString kNoDrive = QStringLiteral("-2");

} // namespace

QString cDrive::pathOnStick(const QString& root, const QString& relative) {
    // Folders in USB.ini are written with backslashes; below a root of this
    // system they name the same folders with its own separator.
    if (root.startsWith(QLatin1Char('/')))
        return root + QString(relative).replace(QLatin1Char('\\'), QLatin1Char('/'));
    return root + relative;
}

void cDrive::mp_CheckDrives() {
    p_Del_USBInfos();
    const int found = p_GetDL_Count();
    if (found >= 2) {
        p_SetUSBInfos(kFirst, kSeveralDrives);
        if (m_panel)
            m_panel->view.showDrivePicker();
        return;
    }
    if (found == 0) {
        p_SetUSBInfos(kFirst, kNoDrive);
        return;
    }
    const QString file = p_GetDriveLetters(kFirst) + kInfoFile;
    if (m_panel && mp_PathExists(file))
        readUsbIni(file);
}

// Every entry of every section, in file order, as key/value pairs of the info list.
void cDrive::readUsbIni(const QString& filePath) {
    basINI& ini = m_panel->ini;
    ini.ResetINIBuffer();
    QStringList sections = ini.GetINISectionNames(filePath);
    sections.removeLast(); // the closing empty name
    for (const QString& section : sections)
        ini.ReadINISection(filePath, section);
    for (int k = 0; k < ini.GetINICount(); ++k) {
        p_SetUSBInfos(QString::number(2 * k), ini.GetINIKey(QString::number(k)));
        p_SetUSBInfos(QString::number(2 * k + 1), ini.GetINIValue(QString::number(k)));
    }
}

// The value of the first entry of the file's first section: from the info list
// when the detection read the file, else from the file now.
QString cDrive::firstUsbIniValue(const QString& filePath) {
    if (p_USBInfosCount() >= 2)
        return p_GetUSBInfos(QStringLiteral("1"));
    basINI& ini = m_panel->ini;
    ini.ResetINIBuffer();
    const QStringList sections = ini.GetINISectionNames(filePath);
    if (sections.size() < 2)
        return {};
    ini.ReadINISection(filePath, sections.first());
    return ini.GetINIValue(kFirst);
}

void cDrive::ChooseUSB_Info(const QString& sItem) {
    const int found = p_GetDL_Count();
    const auto takeIntoUse = [&] {
        p_Del_DriveLetters();
        p_GetDriveLetters(kFirst, sItem);
        SetUSB_Info();
    };
    if (!sItem.isEmpty() && found <= 1) {
        takeIntoUse();
        return;
    }
    const QString last = p_GetUSBInfos(QString::number(p_USBInfosCount() - 1));
    if (last == kSeveralDrives)
        takeIntoUse();
    else if (last == kNoDrive)
        RemoveUSB_Info();
}

void cDrive::detectStick() {
    mp_GetDriveTyps();
    ChooseUSB_Info(p_GetDriveLetters(kFirst));
}

void cDrive::detectArrivedStick() {
    listDrives(m_drives.recentVolumes());
    ChooseUSB_Info(p_GetDriveLetters(kFirst));
}

void cDrive::SetUSB_Info() {
    if (!m_panel)
        return;
    StickView& view = m_panel->view;
    const QString picture = m_panel->programFolder + QStringLiteral("file.bmp");
    GetDriveCapacity();
    const QString root = p_GetDriveLetters(kFirst);
    view.setDriveCaption(root);

    const QString infoFile = root + kInfoFile;
    if (mp_PathExists(infoFile)) {
        QString path = firstUsbIniValue(infoFile);
        if (path.startsWith(QLatin1Char('\\')))
            path.remove(0, 1);
        mp_StandardPfad(path);
        view.setOpenPathText(path);
    }
    view.showStickFound(true, picture);
    view.setVolumeLabelText(mp_GetDriveName(root));
    view.setFileSystemText(mp_FileSystem());
}

void cDrive::RemoveUSB_Info() {
    if (m_panel) {
        StickView& view = m_panel->view;
        const QString picture = m_panel->programFolder + QStringLiteral("nofile.bmp");
        view.setOpenPathText(QString());
        mp_StandardPfad(QString());
        view.setFileSystemText(QString());
        view.setVolumeLabelText(QString());
        view.setSizeCaptions(QString(), QString(), QString());
        view.clearFillBar();
        view.showStickFound(false, picture);
        m_panel->ini.ResetINIBuffer();
    } else {
        mp_StandardPfad(QString());
    }
    p_Del_USBInfos();
    p_Del_DriveLetters();
    p_Del_DriveTyps();
    m_volumes.clear();
}

void cDrive::GetDriveCapacity() {
    mp_GetDiskSpace(p_GetDriveLetters(kFirst));
    if (!m_panel)
        return;
    StickView& view = m_panel->view;
    const double total = TotalSpace();
    const double free = TotalFreeSpace();
    const double used = total - free;

    // No unit selected: sizes in MB.
    const int position = view.unitPosition() < 0 ? 0 : view.unitPosition();
    const int power = view.unitPosition() < 0 ? 2 : view.unitPower();
    const double divisor = std::pow(1024.0, power);
    const int decimals = sizeDecimals(position);
    const QChar point = QLocale().decimalPoint().at(0);

    view.setSwatchColours({222, 0, 0}, {0, 222, 0});
    const std::optional<int> percent = usedPercent(total, free, divisor);
    if (!percent) {
        // The stick vanished or cannot be measured: no sizes and no share to show.
        view.setSizeCaptions(QString(), QString(), QString());
        view.clearFillBar();
        return;
    }
    view.setSizeCaptions(formatSize(total / divisor, decimals, point),
                         formatSize(free / divisor, decimals, point),
                         formatSize(used / divisor, decimals, point));
    view.showFillBar(*percent);
}

void cDrive::mp_SetDriveName(const QString& Drive, const QString& Name, QObject* context,
                             std::function<void()> done) {
    const std::optional<platform::DriveRecord> volume = Drive.isEmpty() ? std::nullopt : volumeRecord(Drive);
    if (!volume) {
        // No stick: never rename some other volume.
        QMetaObject::invokeMethod(context, std::move(done), Qt::QueuedConnection);
        return;
    }
    m_drives.setVolumeLabel(*volume, Name, context, [done = std::move(done)](bool) { done(); });
}

QString cDrive::mp_StandardPfad() {
    const QString full = pathOnStick(p_GetDriveLetters(kFirst), m_standardPath);
    if (!p_GetDriveLetters(kFirst).isEmpty() && mp_PathExists(full))
        return m_standardPathValid ? m_standardPath : QString();
    if (!m_standardPath.isEmpty())
        m_standardPathValid = false;
    return {};
}

void cDrive::OpenDir(const QString& spath) {
    if (m_panel && mp_PathExists(spath))
        m_panel->shell.openFolder(spath);
}

} // namespace norvane
