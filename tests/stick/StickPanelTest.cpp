// The stick detection and the panel it fills, on scripted drives whose roots
// are real temporary folders (USB.ini is read from there).

#include "stick/StickView.h"
#include "stick/cDrive.h"
#include "storage/basINI.h"
#include "support/FakeDrives.h"
#include "support/FakeShell.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace norvane;
using test::FakeDrives;
using test::FakeShell;
using test::TempDir;

namespace {

class RecordingView final : public StickView {
public:
    void setDriveCaption(const QString& root) override { drive = root; }
    QString openPathText() const override { return openPath; }
    void setOpenPathText(const QString& text) override { openPath = text; }
    void setVolumeLabelText(const QString& text) override { label = text; }
    void setFileSystemText(const QString& text) override { fileSystem = text; }
    void showStickFound(bool found, const QString& picture) override {
        stickFound = found;
        statusPicture = picture;
    }
    int unitPosition() const override { return unit; }
    int unitPower() const override { return unit == 1 ? 3 : 2; }
    void setSizeCaptions(const QString& total, const QString& free, const QString& used) override {
        sizes = {total, free, used};
    }
    void setSwatchColours(Rgb, Rgb) override {}
    void showFillBar(int percent) override { bar = percent; }
    void clearFillBar() override { bar = -1; }
    void showDrivePicker() override { ++pickers; }

    QString drive, openPath, label, fileSystem, statusPicture;
    QStringList sizes;
    std::optional<bool> stickFound;
    int unit = 0, bar = -1, pickers = 0;
};

struct Panel {
    FakeDrives drives;
    RecordingView view;
    basINI ini;
    FakeShell shell;
    cDrive drive{drives, StickPanel{view, ini, shell, QStringLiteral("/prog/")}};

    void search() {
        drive.mp_GetDriveTyps();
        drive.ChooseUSB_Info(drive.p_GetDriveLetters(QStringLiteral("0")));
    }
    QStringList infos() const {
        QStringList all;
        for (int i = 0; i < drive.p_USBInfosCount(); ++i)
            all << drive.p_GetUSBInfos(QString::number(i));
        return all;
    }
};

TEST(StickPanel, UsbIniGivesTheStandardPath) {
    struct Case {
        const char* file; // nullptr: no USB.ini
        QStringList infos;
        const char* path;
    } const cases[] = {
        {"[Open]\r\nDir=\\Firmware\r\n", {"Dir", "\\Firmware"}, "Firmware"},
        {"[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n", {"a", "1", "b", "2", "c", "3"}, "1"},
        {"[Open]\r\nDir=\\\\Firmware\r\n", {"Dir", "\\\\Firmware"}, "\\Firmware"},
        {"no sections at all\r\n", {}, ""},
        {"\x01\x02\xff\x7f[\r\n\x80=\x81", {}, ""},
        {nullptr, {}, "previous"},
    };
    for (const Case& c : cases) {
        TempDir stick;
        if (c.file)
            stick.writeFile(QStringLiteral("USB.ini"), c.file);
        Panel panel;
        panel.view.openPath = QStringLiteral("previous");
        panel.drives.addStick(stick.path(), 1000000000, QStringLiteral("NORVANE"));
        panel.search();
        EXPECT_EQ(panel.infos(), c.infos) << c.file;
        EXPECT_EQ(panel.view.openPath, QString::fromLatin1(c.path)) << c.file;
        EXPECT_EQ(panel.view.drive, stick.path());
        EXPECT_EQ(panel.view.label, QStringLiteral("NORVANE"));
        EXPECT_EQ(panel.view.stickFound, true);
        EXPECT_EQ(panel.view.statusPicture, QStringLiteral("/prog/file.bmp"));
    }
}

TEST(StickPanel, ReadOnlyUsbIniCountsAsAbsent) {
    TempDir stick;
    const QString file = stick.writeFile(QStringLiteral("USB.ini"), "[Open]\r\nDir=Neu\r\n");
    QFile::setPermissions(file, QFile::ReadOwner);
    Panel panel;
    panel.drives.addStick(stick.path(), 1000000000);
    panel.search();
    EXPECT_EQ(panel.drive.p_USBInfosCount(), 0);
    EXPECT_EQ(panel.view.openPath, QString());
}

TEST(StickPanel, NoneOneOrSeveralDrives) {
    Panel panel;
    panel.view.drive = QStringLiteral("/last/");
    panel.search();
    EXPECT_EQ(panel.drive.p_USBInfosCount(), 0); // the "no drive" marker led to the removal
    EXPECT_EQ(panel.view.stickFound, false);
    EXPECT_EQ(panel.view.statusPicture, QStringLiteral("/prog/nofile.bmp"));
    EXPECT_EQ(panel.view.drive, QStringLiteral("/last/")); // the last drive stays shown

    TempDir e, g;
    g.writeFile(QStringLiteral("USB.ini"), "[Open]\r\nDir=Gpath\r\n");
    g.mkdir(QStringLiteral("Gpath"));
    panel.drives.addStick(e.path(), 1000000000);
    panel.drives.addStick(g.path(), 2000000000);
    panel.search();
    EXPECT_EQ(panel.infos(), QStringList{"-1"});
    EXPECT_EQ(panel.view.pickers, 1);
    EXPECT_EQ(panel.view.drive, e.path()); // the first is current at once
    EXPECT_EQ(panel.drive.p_GetDL_Count(), 1);

    // The picker hands back the second: it is taken with its own USB.ini.
    panel.drive.ChooseUSB_Info(g.path());
    EXPECT_EQ(panel.view.drive, g.path());
    EXPECT_EQ(panel.view.openPath, QStringLiteral("Gpath"));
    EXPECT_EQ(panel.drive.mp_StandardPfad(), QStringLiteral("Gpath"));
}

TEST(StickPanel, CapacityAndAVanishedStick) {
    Panel panel;
    panel.drives.addStick(QStringLiteral("/media/s/"), 1000000000).space->freeBytes = 250000000;
    panel.search();
    // The C locale's decimal point.
    EXPECT_EQ(panel.view.sizes, (QStringList{"953.67", "238.42", "715.26"}));
    EXPECT_EQ(panel.view.bar, 75);
    panel.view.unit = 1;
    panel.drive.GetDriveCapacity();
    EXPECT_EQ(panel.view.sizes, (QStringList{"0.931", "0.233", "0.698"}));

    panel.drives.clear(); // pulled between detection and display
    panel.drive.GetDriveCapacity();
    EXPECT_EQ(panel.view.sizes, (QStringList{"", "", ""}));
    EXPECT_EQ(panel.view.bar, -1);
}

TEST(StickPanel, StandardPathOnceMissingStaysInvalid) {
    TempDir stick;
    stick.mkdir(QStringLiteral("Firmware/Neu"));
    Panel panel;
    panel.drives.addStick(stick.path(), 1000000000);
    panel.search();
    panel.drive.mp_StandardPfad(QStringLiteral("Firmware\\Neu"));
    EXPECT_EQ(panel.drive.mp_StandardPfad(), QStringLiteral("Firmware\\Neu"));
    panel.drive.OpenDir(cDrive::pathOnStick(stick.path(), panel.drive.mp_StandardPfad()));
    EXPECT_EQ(panel.shell.folders, QStringList{stick.path() + "Firmware/Neu"});

    panel.drive.mp_StandardPfad(QStringLiteral("Alt"));
    EXPECT_EQ(panel.drive.mp_StandardPfad(), QString());
    panel.drive.mp_StandardPfad(QStringLiteral("Firmware"));
    EXPECT_EQ(panel.drive.mp_StandardPfad(), QString()); // invalid for the rest of the run
}

} // namespace
