// "Auswerfen" and "Benennen" in the window: a folder-backed stick leaves the panel like a
// pulled one; a stick the system cannot let go stays, with the system's reason shown; and
// while UDisks2 takes its time the window keeps running with the stick's buttons waiting.

#include "MainWindowFixture.h"
#include "platform/drives/FolderDrives.h"
#include "platform/drives/FolderEjector.h"
#include "platform/udisks/Ejector.h"
#include "platform/udisks/UDisksEjector.h"
#include "platform/udisks/UDisksLabeler.h"
#include "stick/cDrive.h"
#include "support/AsyncWait.h"
#include "support/FakeUDisks.h"
#include "support/PrivateBus.h"
#include "winproc/basDeklare.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace norvane::test {
namespace {

using namespace std::chrono_literals;

// A stick on a folder-backed drive table, the window built on it.
TEST(EjectFolderStick, TheStickLeavesTheTableAndThePanel) {
    TempDir folder, programFolder;
    folder.writeFile(QStringLiteral("stick/firmware.bin"), "data");
    const QString table =
        folder.writeFile(QStringLiteral("drives.ini"),
                         "[Stick]\nRoot=stick\nType=removable\nCapacity=100000000\nLabel=NORVANE\n");
    platform::FolderDrives drives(table);
    platform::FolderEjector ejector(table);
    FakeShell shell;
    FakeDialogs dialogs;
    basINI ini;
    frmMain window(MainWindowServices{.drives = drives,
                                      .shell = shell,
                                      .ini = ini,
                                      .ejector = &ejector,
                                      .dialogs = &dialogs,
                                      .programFolder = programFolder.path(),
                                      .serverAddress = LoopbackServer::refusedUrl()});
    QPushButton* eject = window.findChild<QPushButton*>(QStringLiteral("cmdEject"));
    ASSERT_TRUE(eject);
    EXPECT_TRUE(eject->isEnabled());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(eject)->text(QAccessible::Name),
              QStringLiteral("Auswerfen"));
    EXPECT_FALSE(window.findChild<QLabel*>(QStringLiteral("lblHDSize"))->text().isEmpty());

    eject->click();
    ASSERT_TRUE(waitUntil([&] { return !dialogs.shown().empty(); }));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown().front().text, QStringLiteral("Der USB-Stick kann jetzt entfernt werden."));
    EXPECT_TRUE(drives.roots().isEmpty());
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("stick/firmware.bin"))));
    EXPECT_TRUE(window.findChild<QLabel*>(QStringLiteral("lblHDSize"))->text().isEmpty());
    EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("cmdChoose"))->text(),
              QStringLiteral("USB Stick einstecken"));
    EXPECT_FALSE(eject->isEnabled());
}

using EjectRefused = MainWindowTest;

TEST_F(EjectRefused, TheStickStaysAndTheReasonIsShown) {
    struct Case {
        Failure answer;
        QStringList shownLines; // the first and the one naming another file system, if any
    };
    const QString busy =
        QStringLiteral("Der USB-Stick wird noch verwendet und kann nicht ausgeworfen werden.");
    const QString failed = QStringLiteral("Der USB-Stick konnte nicht ausgeworfen werden.");
    const QString other = QStringLiteral(
        "Auf dem USB-Stick ist außerdem „/media/s/DATEN“ eingehängt und kann nicht abgemeldet werden.");
    const QString root = QStringLiteral("/media/s/");
    const Case cases[] = {
        {{FailureKind::EjectBusy, root, {}, 0, QStringLiteral("Error unmounting /dev/sdb1: target is busy")},
         {busy}},
        {{FailureKind::EjectBusy, root, QStringLiteral("/media/s/DATEN"), 0,
          QStringLiteral("target is busy")},
         {busy, other}},
        {{FailureKind::EjectFailed, root, {}, 0, QStringLiteral("Error powering off drive")}, {failed}},
        {{FailureKind::EjectFailed, root, QStringLiteral("/media/s/DATEN"), 0,
          QStringLiteral("not authorized")},
         {failed, other}},
        {{FailureKind::EjectNotOffered, root},
         {failed, QStringLiteral(
                      "Der Systemdienst UDisks2 ist nicht erreichbar oder kennt diesen USB-Stick nicht.")}},
        {{FailureKind::EjectTableUnwritable, root, {}, 0, QStringLiteral("/demo/drives.ini")},
         {failed, QString(), QStringLiteral("Die Laufwerkstabelle kann nicht geschrieben werden.")}},
    };
    TempDir stick;
    drives.addStick(stick.path(), 1'000'000'000, QStringLiteral("NORVANE"));
    for (const Case& c : cases) {
        ejector.answer = c.answer;
        dialogs.clearShown();
        child<QPushButton>("cmdEject")->click();
        ASSERT_TRUE(waitUntil([&] { return !dialogs.shown().empty(); }));
        const QString text = dialogs.shown().front().text;
        EXPECT_EQ(text.split(QStringLiteral("\r\n")).mid(0, c.shownLines.size()), c.shownLines)
            << text.toStdString();
        if (c.answer.kind != FailureKind::EjectTableUnwritable) {
            EXPECT_TRUE(text.endsWith(c.answer.detail));
        }
        EXPECT_EQ(window().drive().p_GetDriveLetters(QStringLiteral("0")), stick.path());
        EXPECT_TRUE(child<QPushButton>("cmdEject")->isEnabled());
    }
    EXPECT_EQ(ejector.asked, QStringList(std::size(cases), stick.path()));
}

// UDisks2 on a private bus answering every call 300 ms late, a stick it knows as
// /dev/sdb1, and the window on that stick renaming and ejecting through it.
class SlowUDisks : public ::testing::Test {
protected:
    static constexpr auto kLate = 300ms;
    void SetUp() override {
        ASSERT_TRUE(
            bus.publish(platform::kUDisksService, {{QStringLiteral("/org/freedesktop/UDisks2"), &manager},
                                                   {kBlock, &fileSystem},
                                                   {kDrive, &drive}}));
        fileSystem.answerAfter(kLate);
        drive.answerAfter(kLate);
        drives.addStick(stick.path(), 1'000'000'000, QStringLiteral("OLD"));
        drives.labeler = std::make_shared<platform::UDisksLabeler>(bus.client());
        window = std::make_unique<frmMain>(MainWindowServices{.drives = drives,
                                                              .shell = shell,
                                                              .ini = ini,
                                                              .ejector = &ejector,
                                                              .dialogs = &dialogs,
                                                              .programFolder = programFolder.path(),
                                                              .serverAddress = LoopbackServer::refusedUrl()});
        window->findChild<QTimer*>(QStringLiteral("Timer1"))->stop(); // no update search
    }
    QPushButton* button(const char* name) {
        return window->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    // "Benennen", "Auswerfen", "Inhalt anzeigen", "USB-Stick finden / aktualisieren", "Starte Update".
    QList<bool> stickButtons() {
        QList<bool> enabled;
        for (const char* name : {"Command1", "cmdEject", "cmdOpen", "cmdSearch", "cmdChoose"})
            enabled << button(name)->isEnabled();
        return enabled;
    }

    const QString kBlock = QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdb1");
    const QString kDrive = QStringLiteral("/org/freedesktop/UDisks2/drives/Stick");
    TempDir stick, programFolder;
    FakeUDisksManager manager{
        {{QDBusObjectPath(kBlock), udisksBlock("/dev/sdb1", kDrive, stick.path().toUtf8())},
         {QDBusObjectPath(kDrive), udisksDrive(true)}}};
    FakeUDisksFileSystem fileSystem;
    FakeUDisksDrive drive;
    PrivateBus bus;
    FakeDrives drives;
    platform::UDisksEjector ejector{bus.client()};
    FakeShell shell;
    FakeDialogs dialogs;
    basINI ini;
    std::unique_ptr<frmMain> window;
};

TEST_F(SlowUDisks, TheWindowRunsWhileUDisksWorksAndTheButtonsWait) {
    button("cmdSearch")->click(); // "Starte Update" enabled
    const QList<bool> allEnabled(5, true), allDisabled(5, false);
    ASSERT_EQ(stickButtons(), allEnabled);
    struct Case {
        const char* button;
        std::function<bool()> answered;
        QList<bool> after;
    };
    const Case cases[] = {
        {"Command1", [&] { return drives.renamed.size() == 1; }, allEnabled},
        {"cmdEject", [&] { return !dialogs.shown().empty(); }, {true, false, true, true, false}},
    };
    window->findChild<QLineEdit*>(QStringLiteral("txtDT_Cap"))->setText(QStringLiteral("NEU"));
    for (const Case& c : cases) {
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(10);
        button(c.button)->click();
        EXPECT_EQ(stickButtons(), allDisabled) << c.button;
        if (QLatin1String(c.button) == QLatin1String("cmdEject")) {
            // The stick leaves the system while UDisks2 works; the panel hears of it at once.
            window->findChild<QCheckBox*>(QStringLiteral("chkAuto"))->setChecked(true);
            drives.remove(stick.path());
            window->deviceChange(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE);
            EXPECT_EQ(stickButtons(), allDisabled);
        }
        ASSERT_TRUE(waitUntil([&] { return c.answered() && stickButtons() != allDisabled; })) << c.button;
        EXPECT_GE(ticks, 10) << c.button; // the window's thread ran its events meanwhile
        EXPECT_EQ(stickButtons(), c.after) << c.button;
    }
    EXPECT_EQ(fileSystem.label(), QStringLiteral("NEU"));
    EXPECT_EQ(drives.renamed, QStringList{stick.path() + QStringLiteral("=NEU")});
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown().front().text, QStringLiteral("Der USB-Stick kann jetzt entfernt werden."));
    EXPECT_EQ(button("cmdChoose")->text(), QStringLiteral("USB Stick einstecken"));
    EXPECT_EQ(drive.calls(), 1);
}

// A window closed, or closed and gone, before UDisks2 answers hears nothing of it.
TEST_F(SlowUDisks, AWindowClosedMeanwhileShowsNothing) {
    button("cmdEject")->click();
    window->close();
    ASSERT_TRUE(waitUntil([&] { return drive.calls() == 1 && button("cmdEject")->isEnabled(); }));
    button("cmdEject")->click();
    ASSERT_TRUE(waitUntil([&] { return fileSystem.calls() == 2; })); // the Unmount is on its way
    window.reset();
    QTest::qWait(int(3 * kLate.count()));
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(drive.calls(), 1); // the eject of the window that went ends with it
}

} // namespace
} // namespace norvane::test
