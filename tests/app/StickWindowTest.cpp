// The stick side of the main window: settings across a restart, the close, and
// device changes reaching the drive object only while detection is on.

#include "MainWindowFixture.h"
#include "app/frmAuswahl.h"
#include "stick/cDrive.h"
#include "support/FileBytes.h"
#include "winproc/basDeklare.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace norvane::test {
namespace {

class StickWindow : public MainWindowTest {
protected:
    QString settings() const { return programFolder.filePath(QStringLiteral("Settings.ini")); }
    QByteArray settingsAfterClose() {
        window().close();
        return fileBytes(settings());
    }
};

TEST_F(StickWindow, SettingsFileWithBadEntriesKeepsTheDefaults) {
    const QByteArray junk(2 * 1024 * 1024, 'x');
    for (const QByteArray& content :
         {QByteArray("[USB Tool]\r\ncmbSize=7\r\nchkAuto=abc\r\ncmbNothing=1\r\nChkAuto=1\r\n"),
          QByteArray("[USB Tool]\r\ncmbSize=-1\r\n"), junk}) {
        programFolder.writeFile(QStringLiteral("Settings.ini"), content);
        EXPECT_EQ(child<QComboBox>("cmbSize")->currentText(), QStringLiteral("MB"));
        EXPECT_FALSE(window().AutoDetect());
        EXPECT_EQ(settingsAfterClose(), "[USB Tool]\r\nchkAuto=0\r\ncmbSize=0\r\n");
        resetWindow();
    }
}

TEST_F(StickWindow, RestoredSettingsSurviveARestart) {
    programFolder.writeFile(QStringLiteral("Settings.ini"),
                            "[USB Tool]\r\nchkAuto=1\r\ncmbSize=1\r\nother=5\r\n");
    EXPECT_TRUE(window().AutoDetect());
    EXPECT_EQ(child<QComboBox>("cmbSize")->currentText(), QStringLiteral("GB"));
    EXPECT_EQ(settingsAfterClose(), "[USB Tool]\r\nchkAuto=1\r\ncmbSize=1\r\n");

    // A file the user made read-only stays as it is, also for root.
    resetWindow();
    ASSERT_TRUE(QFile::setPermissions(settings(), QFileDevice::ReadOwner | QFileDevice::ReadOther));
    child<QComboBox>("cmbSize")->setCurrentIndex(0);
    EXPECT_EQ(settingsAfterClose(), "[USB Tool]\r\nchkAuto=1\r\ncmbSize=1\r\n");
    EXPECT_FALSE(QFileInfo(settings()).permission(QFileDevice::WriteOwner));
}

TEST_F(StickWindow, DeviceChangesActOnlyWhileDetectionIsOn) {
    TempDir stick;
    frmMain& main = window(); // no stick yet
    drives.addStick(stick.path(), 1000000000, QStringLiteral("NEU"));
    main.deviceChange(WM_DEVICECHANGE, DBT_DEVICEARRIVAL);
    EXPECT_EQ(main.drive().p_GetDL_Count(), 0);

    child<QCheckBox>("chkAuto")->setChecked(true);
    main.deviceChange(WM_DEVICECHANGE, 0x8001); // a query for removal changes nothing
    EXPECT_EQ(main.drive().p_GetDL_Count(), 0);
    main.deviceChange(WM_DEVICECHANGE, DBT_DEVICEARRIVAL);
    EXPECT_EQ(text("lblLW"), stick.path());
    EXPECT_EQ(child<QLineEdit>("txtDT_Cap")->text(), QStringLiteral("NEU"));
    EXPECT_TRUE(child<QPushButton>("cmdChoose")->isEnabled());

    main.deviceChange(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE);
    EXPECT_EQ(child<QPushButton>("cmdChoose")->text(), QStringLiteral("USB Stick einstecken"));
    EXPECT_EQ(text("lblHDSize"), QString());
}

// A device change is enumerated once: the stick detection after an arrival reads the
// look the device event took.
TEST_F(StickWindow, ADeviceChangeIsEnumeratedOnce) {
    deviceEvents = std::make_unique<platform::DeviceEvents>(drives);
    window();
    child<QCheckBox>("chkAuto")->setChecked(true);
    TempDir stick;
    for (const bool arrives : {true, false}) {
        if (arrives)
            drives.addStick(stick.path(), 1000000000, QStringLiteral("NEU"));
        else
            drives.remove(stick.path());
        const int before = drives.enumerations;
        deviceEvents->check();
        EXPECT_EQ(drives.enumerations - before, 1) << arrives;
        EXPECT_EQ(child<QLineEdit>("txtDT_Cap")->text(), arrives ? QStringLiteral("NEU") : QString());
    }
}

TEST_F(StickWindow, SearchingAgainWhileThePickerIsOpenRefillsItInsteadOfOpeningASecond) {
    drives.addStick(QStringLiteral("/media/anna/A/"), 1'000'000'000);
    drives.addStick(QStringLiteral("/media/anna/B/"), 1'000'000'000);
    frmMain& main = window(); // two sticks: the start-up opens the picker
    main.show();
    drives.addStick(QStringLiteral("/media/anna/C/"), 1'000'000'000);
    child<QPushButton>("cmdSearch")->click();

    QList<frmAuswahl*> open;
    for (frmAuswahl* picker : main.findChildren<frmAuswahl*>())
        if (picker->isVisible())
            open.append(picker);
    ASSERT_EQ(open.size(), 1);
    const QTreeWidget* list = open.front()->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(0);
    EXPECT_EQ(rows, QStringList({"/media/anna/A/", "/media/anna/B/", "/media/anna/C/"}));
    EXPECT_EQ(open.front()->ChosenDrive(), QStringLiteral("/media/anna/A/"));
}

TEST_F(StickWindow, EditedStandardPathIsSavedOnlyOnYes) {
    for (const auto answer : {platform::MessageResult::No, platform::MessageResult::Yes}) {
        TempDir stick;
        drives.clear();
        drives.addStick(stick.path(), 1000000000);
        QLineEdit* path = child<QLineEdit>("txtOpenPath");
        QTest::keyClick(path, Qt::Key_Backspace); // any character key counts, even on an empty box
        QTest::keyClicks(path, QStringLiteral("Neu"));
        EXPECT_TRUE(child<QPushButton>("cmdSaveOnStick")->isEnabled());
        dialogs.answerNext(answer);
        window().close();
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown().back().text,
                  QStringLiteral("Sie haben Informationen abgeändert.\r\nWollen Sie speichern?"));
        EXPECT_EQ(QFile::exists(stick.filePath(QStringLiteral("USB.ini"))),
                  answer == platform::MessageResult::Yes);
        EXPECT_TRUE(QFile::exists(settings()));
        dialogs.clearShown();
        resetWindow();
    }
}

TEST_F(StickWindow, RenameRefusesLongLabelsAndSelectsTheExcess) {
    drives.addStick(QStringLiteral("/media/s/"), 1000000000, QStringLiteral("ALT"));
    QLineEdit* label = child<QLineEdit>("txtDT_Cap");
    label->setText(QStringLiteral("ZWOELFZEICHE"));
    child<QPushButton>("Command1")->click();
    EXPECT_EQ(dialogs.shown().back().text,
              QStringLiteral("maximale Länge der Datenträgerbezeichnung ist 11 Zeichen"));
    EXPECT_EQ(label->selectedText(), QStringLiteral("E"));
    EXPECT_EQ(drives.find(QStringLiteral("/media/s/"))->volume.label, QStringLiteral("ALT"));

    label->setText(QStringLiteral("ELFZEICHEN1"));
    child<QPushButton>("Command1")->click();
    EXPECT_EQ(drives.find(QStringLiteral("/media/s/"))->volume.label, QStringLiteral("ELFZEICHEN1"));
}

} // namespace
} // namespace norvane::test
