#pragma once
// The drive object: the program's whole knowledge of USB sticks. The program holds
// exactly one, created with the main window and dropped at its end.
//
// It keeps three keyed lists (KeyedList.h):
//   drive-type list   the name of the kind, removable drive, once per removable drive of
//                     the last enumeration
//   drive-letter list the roots of those drives in the system's order; entry "0" is the
//                     current stick once the stick detection has chosen one
//   info list         the stick's USB.ini entries or a detection marker
// Until the first enumeration the lists are empty: counts read 0, entries "".
//
// Naming: a property that can be read and written has one name for both; the
// read form takes the key, the write form takes key and value
// (p_GetDriveTyps(key) reads, p_GetDriveTyps(key, value) appends). The same goes
// for mp_StandardPfad() / mp_StandardPfad(value). p_SetUSBInfos is write-only.

#include "platform/drives/Drives.h"
#include "stick/KeyedList.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace norvane {

class basINI;
class StickView;
namespace platform {
class Shell;
}

// What the stick panel operations of the drive object work with: the window's
// stick panel, the INI store for USB.ini, the desktop for opening folders and the
// program folder (with a trailing separator) that holds the panel pictures; the name
// the drive-type list gives a removable drive.
struct StickPanel {
    StickView& view;
    basINI& ini;
    platform::Shell& shell;
    QString programFolder;
    QString removableDriveText = {};
};

// A byte count as a double: the sum of its eight bytes, least significant first,
// each times 256 to the power of its position. Exact below 2^53.
double byteCountToDouble(std::uint64_t bytes);

class cDrive {
public:
    // The key of the first entry of a list: in the drive-letter list, the current stick.
    static inline const QString kFirst = QStringLiteral("0");
    // The stick's info file in its root.
    static inline const QString kInfoFile = QStringLiteral("USB.ini");

    // removableDriveText: the name the drive-type list gives a removable drive.
    explicit cDrive(platform::Drives& drives, QString removableDriveText = {});
    // With a panel the stick operations show what they find; without one they
    // only keep the lists.
    cDrive(platform::Drives& drives, StickPanel panel);
    virtual ~cDrive() = default;
    cDrive(const cDrive&) = delete;
    cDrive& operator=(const cDrive&) = delete;

    // Measures the drive at sDrive into TotalSpace and TotalFreeSpace; both 0 when
    // it cannot be measured.
    void mp_GetDiskSpace(const QString& sDrive);
    double TotalSpace() const { return m_totalSpace; }
    double TotalFreeSpace() const { return m_totalFreeSpace; }

    // Enumeration: lists every removable drive with a medium of a size above zero in
    // the drive-type and drive-letter lists, then runs the stick detection.
    void mp_GetDriveTyps();
    // The removable drives the last enumeration listed, as the drives recorded them.
    const QList<platform::DriveRecord>& listedVolumes() const { return m_volumes; }
    // The record of the drive at root: as the last enumeration listed it, else as the
    // drives' recent look shows it; nothing when neither knows it.
    std::optional<platform::DriveRecord> volumeRecord(const QString& root) const;

    // The volume label of the drive at Drive; also sets mp_FileSystem. Both empty
    // when the drive cannot be read.
    QString mp_GetDriveName(const QString& Drive);
    QString mp_FileSystem() const { return m_fileSystem; }

    // The stick panel: takes the stick at sItem into use (may be empty), shows
    // entry "0" of the drive-letter list as the current stick, forgets the stick.
    virtual void ChooseUSB_Info(const QString& sItem);
    // Enumerates afresh and takes the first drive found as the stick.
    void detectStick();
    // The same on the look a device event has just taken (the drives' snapshot), so
    // that one change of the system is enumerated once.
    void detectArrivedStick();
    virtual void SetUSB_Info();
    virtual void RemoveUSB_Info();
    // Sizes, swatches and fill bar of the current stick.
    virtual void GetDriveCapacity();
    // Starts renaming the volume at Drive (its record, volumeRecord); failures are not
    // reported. done runs on
    // context's thread once the renaming has ended (Drives::setVolumeLabel), also when
    // there is nothing to rename.
    void mp_SetDriveName(const QString& Drive, const QString& Name, QObject* context,
                         std::function<void()> done);
    // Opens the folder spath in the file browser when it exists.
    void OpenDir(const QString& spath);

    int p_GetDT_Count() const { return m_driveTypes.count(); }
    QString p_GetDriveTyps(const QString& key) const { return m_driveTypes.value(key); }
    void p_GetDriveTyps(const QString& key, const QString& value) { m_driveTypes.add(key, value); }
    void p_Del_DriveTyps() { m_driveTypes = KeyedList(); }

    int p_GetDL_Count() const { return m_driveLetters.count(); }
    QString p_GetDriveLetters(const QString& key) const { return m_driveLetters.value(key); }
    // Stores value as a root: a separator is added when it does not end in one
    // ("E:" -> "E:\", "/media/anna/STICK" -> "/media/anna/STICK/"). An empty value
    // stays empty and never becomes the file-system root "/".
    void p_GetDriveLetters(const QString& key, const QString& value);
    void p_Del_DriveLetters() { m_driveLetters = KeyedList(); }

    void p_SetUSBInfos(const QString& key, const QString& value) { m_usbInfos.add(key, value); }
    QString p_GetUSBInfos(const QString& key) const { return m_usbInfos.value(key); }
    int p_USBInfosCount() const { return m_usbInfos.count(); }
    void p_Del_USBInfos() { m_usbInfos = KeyedList(); }

    // The standard path when its folder exists on the current stick, else "". The
    // first time a non-empty standard path is missing, it stays invalid for the run.
    QString mp_StandardPfad();
    void mp_StandardPfad(const QString& sNewValue) { m_standardPath = sNewValue; }
    bool StandardPfadValid() const { return m_standardPathValid; }
    void setStandardPfadValid(bool valid) { m_standardPathValid = valid; }

    // The existence test of the stick detection and the standard path: true for a
    // plain folder holding at least one entry when written with a trailing
    // separator, for any other plain folder, and for a file that may be written.
    // Read-only, hidden and special files count as missing.
    static bool mp_PathExists(const QString& path);
    // A folder path relative to a stick root, as USB.ini holds it, below that root.
    static QString pathOnStick(const QString& root, const QString& relative);

protected:
    platform::Drives& drives() { return m_drives; }

private:
    // The stick detection, the last step of every enumeration: decides from the
    // drive-letter list whether one stick, several or none were found, and reads
    // the only stick's USB.ini into the info list.
    virtual void mp_CheckDrives();
    void listDrives(const QList<platform::DriveRecord>& volumes);
    void takeSpace(const std::optional<platform::DiskSpace>& space);
    void readUsbIni(const QString& filePath);
    QString firstUsbIniValue(const QString& filePath);

    platform::Drives& m_drives;
    std::optional<StickPanel> m_panel;
    QString m_removableDriveText;
    QList<platform::DriveRecord> m_volumes;
    KeyedList m_driveTypes;
    KeyedList m_driveLetters;
    KeyedList m_usbInfos;
    double m_totalSpace = 0;
    double m_totalFreeSpace = 0;
    QString m_standardPath;
    bool m_standardPathValid = true;
    QString m_fileSystem;
};

} // namespace norvane
