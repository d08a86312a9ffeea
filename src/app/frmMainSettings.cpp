// The program settings of the main window: the detection switch and the size
// unit, kept in Settings.ini from one run to the next.

#include "app/frmMain.h"
#include "platform/SettingsLocation.h"
#include "platform/files/Files.h"
#include "storage/basINI.h"
#include "ui_frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>

namespace norvane {

namespace {
const QString kSection = QStringLiteral("USB Tool");

// Check box states as the settings file stores them: 0 unchecked, 1 checked, 2 greyed.
int storedState(Qt::CheckState state) {
    return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
}
Qt::CheckState stateOfStored(int stored) {
    return stored == 1 ? Qt::Checked : stored == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}
} // namespace

QString frmMain::settingsFile() const {
    return platform::settingsFolder(m_services.programFolder) + QStringLiteral("Settings.ini");
}

void frmMain::SaveSettings() {
    const QString path = settingsFile();
    // Rewritten whole, so the file holds exactly the two keys afterwards. A file made
    // read-only is neither removed nor (by the writes below) replaced.
    if (!platform::isWriteProtected(path))
        QFile::remove(path);
    basINI& ini = m_services.ini;
    ini.WriteINIValue(path, kSection, QStringLiteral("chkAuto"),
                      QString::number(storedState(ui->chkAuto->checkState())));
    ini.WriteINIValue(path, kSection, QStringLiteral("cmbSize"),
                      QString::number(ui->cmbSize->currentIndex()));
}

void frmMain::LoadSettings() {
    basINI& ini = m_services.ini;
    ini.ResetINIBuffer();
    ini.ReadINISection(settingsFile(), kSection);
    for (int i = 0; i < ini.GetINICount(); ++i)
        applySetting(ini.GetINIKey(QString::number(i)), ini.GetINIValue(QString::number(i)));
}

// Applies one saved value to the control named by its key, as a user's choice
// would (the control's handler runs). A value that is no 16-bit whole number, or
// that the control cannot take, and a key naming no control are skipped.
bool frmMain::applySetting(const QString& key, const QString& value) {
    bool isNumber = false;
    const short number = value.toShort(&isNumber);
    if (!isNumber)
        return false;
    if (key.startsWith(QLatin1String("chk"))) {
        auto* box = findChild<QCheckBox*>(key);
        if (!box || number < 0 || number > 2)
            return false;
        box->setCheckState(stateOfStored(number));
        return true;
    }
    if (key.startsWith(QLatin1String("cmb"))) {
        auto* box = findChild<QComboBox*>(key);
        // No selection is no unit to show; the start-up's unit stays.
        if (!box || number < 0 || number >= box->count())
            return false;
        box->setCurrentIndex(number);
        return true;
    }
    return false;
}

} // namespace norvane
