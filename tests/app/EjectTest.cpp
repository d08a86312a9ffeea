// "Auswerfen" in the window: a folder-backed stick leaves the panel like a pulled one,
// and a stick the system cannot let go stays, with the system's reason shown.

#include "MainWindowFixture.h"
#include "platform/Ejector.h"
#include "platform/FolderDrives.h"
#include "platform/FolderEjector.h"
#include "stick/cDrive.h"

#include <QAccessible>
#include <QFile>
#include <QPushButton>

namespace norvane::test {
namespace {

using platform::EjectOutcome;
using platform::EjectResult;

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
        EjectOutcome answer;
        QString firstLine;
    };
    const Case cases[] = {
        {{EjectResult::Busy, QStringLiteral("Error unmounting /dev/sdb1: target is busy")},
         QStringLiteral("Der USB-Stick wird noch verwendet und kann nicht ausgeworfen werden.")},
        {{EjectResult::Failed, QStringLiteral("Error powering off drive")},
         QStringLiteral("Der USB-Stick konnte nicht ausgeworfen werden.")},
        {{EjectResult::NotOffered, {}}, QStringLiteral("Der USB-Stick konnte nicht ausgeworfen werden.")},
    };
    TempDir stick;
    drives.addStick(stick.path(), 1'000'000'000, QStringLiteral("NORVANE"));
    for (const Case& c : cases) {
        ejector.answer = c.answer;
        dialogs.clearShown();
        child<QPushButton>("cmdEject")->click();
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_TRUE(dialogs.shown().front().text.startsWith(c.firstLine))
            << dialogs.shown().front().text.toStdString();
        EXPECT_TRUE(dialogs.shown().front().text.contains(c.answer.detail));
        EXPECT_EQ(window().drive().p_GetDriveLetters(QStringLiteral("0")), stick.path());
        EXPECT_TRUE(child<QPushButton>("cmdEject")->isEnabled());
    }
    EXPECT_EQ(ejector.asked, QStringList(3, stick.path()));
}

} // namespace
} // namespace norvane::test
