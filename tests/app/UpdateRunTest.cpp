// The update run end to end: the search and a whole update (twice) against a real web
// server (nginx) and against the loopback server with faults, onto a stick
// whose root is a real folder.

#include "MainWindowFixture.h"
#include "app/frmAuswahl.h"
#include "platform/Ansi.h"
#include "support/AsyncWait.h"
#include "support/FileBytes.h"
#include "support/NginxServer.h"
#include "support/RawZip.h"
#include "support/ScopedLocale.h"
#include "support/SigningKey.h"
#include "widgets/StatusPanel.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

namespace norvane::test {
namespace {

const QString kDemo = QStringLiteral(NORVANE_DEMO_DOWNLOAD_DIR) + QStringLiteral("/norvane/download/");
const QString kFirmware = QStringLiteral("Q120_Firmware.zip");
const QString kList = QStringLiteral("Settings_AT_Q120.txt");

QByteArray bytesOf(const QString& path) {
    return fileBytes(path);
}

// What the stick must hold after a complete update: the packages, the archive's
// members as bsdtar unpacks them, and the two files of the program folder.
QMap<QString, QByteArray> expectedStick(const TempDir& reference) {
    QProcess::execute(QStringLiteral("bsdtar"), {QStringLiteral("-xf"), kDemo + kFirmware + ".txt",
                                                 QStringLiteral("-C"), reference.path()});
    QMap<QString, QByteArray> tree = filesBelow(reference.path());
    tree.insert(kFirmware, bytesOf(kDemo + kFirmware + ".txt"));
    tree.insert(kList, bytesOf(kDemo + kList + ".txt"));
    for (const char* name : {"autorun.inf", "norvstick.ico"})
        tree.insert(QString::fromLatin1(name), bytesOf(QStringLiteral(NORVANE_ASSETS_DIR "/") + name));
    return tree;
}

class UpdateRun : public MainWindowTest {
protected:
    void SetUp() override {
        for (const char* name : {"autorun.inf", "norvstick.ico"})
            QFile::copy(QStringLiteral(NORVANE_ASSETS_DIR "/") + name,
                        programFolder.filePath(QString::fromLatin1(name)));
        drives.addStick(stick.path(), 1'000'000'000, QStringLiteral("NORVANE"));
        server.serveFolder(QStringLiteral(NORVANE_DEMO_DOWNLOAD_DIR));
    }
    // Searches, keeps the preselected receiver and list, and runs the update.
    void run() {
        frmMain& w = searched();
        ASSERT_EQ(w.catalogue().FirmFile[w.SelFirm()], kFirmware);
        dialogs.clearShown();
        w.cmdChoose_Click();
    }
    QStringList titles() const {
        QStringList shown;
        for (const ShownMessage& message : dialogs.shown())
            shown << message.title;
        return shown;
    }
    std::string texts() const {
        QStringList shown;
        for (const ShownMessage& message : dialogs.shown())
            shown << message.title + ": " + message.text;
        return shown.join('\n').toStdString();
    }

    TempDir stick;
};

TEST_F(UpdateRun, WholeUpdateFromARealWebServer) {
    // The server's folder as a Windows server would hold it: names as Windows-1252 bytes.
    TempDir site;
    const QString folder = site.mkdir(QStringLiteral("norvane/download"));
    for (const QString& name : QDir(kDemo).entryList(QDir::Files)) {
        std::ofstream((folder.toLocal8Bit() + platform::toAnsi(name)).toStdString(), std::ios::binary)
            << bytesOf(kDemo + name).toStdString();
    }
    NginxServer nginx(site.path());
    ASSERT_TRUE(nginx.isRunning()) << nginx.error().toStdString();
    serverAddress = nginx.url();

    run();
    window().cmdChoose_Click(); // a second run overwrites the unpacked members without a question

    TempDir reference;
    EXPECT_EQ(filesBelow(stick.path()), expectedStick(reference));
    EXPECT_EQ(titles(), (QStringList{"Wollen Sie updaten ?", "Update erfolgreich", "Wollen Sie updaten ?",
                                     "Update erfolgreich"}))
        << texts();
    EXPECT_EQ(shell.urls.last(), nginx.url() + "/index_link.php?ref=usbtool");
    EXPECT_TRUE(nginx.accessLog().contains("GET /norvane/download/Q120_Firmware.zip.txt HTTP/1.1\" 200"))
        << nginx.accessLog().toStdString();
    EXPECT_FALSE(window().findChild<QWidget*>(QStringLiteral("runProgress"))->isVisible());
    // Names that are no UTF-8 are beyond QDir; the folder goes by its bytes.
    std::filesystem::remove_all(folder.toStdString());
}

TEST_F(UpdateRun, FailuresTellTheUserAndLeaveNothingCutOnTheStick) {
    const QByteArray firmPath = ("/norvane/download/" + kFirmware + ".txt").toLatin1();
    const QByteArray firmware = bytesOf(kDemo + kFirmware + ".txt");
    struct Case {
        const char* name;
        std::function<void(LoopbackServer&)> fault;
        QStringList titles;
        QStringList present; // on the stick afterwards
        QStringList absent;  // never on the stick
    } const cases[] = {
        {"reset half-way through the firmware",
         [&](LoopbackServer& s) {
             s.cutShort(firmPath, firmware.size(), firmware.left(firmware.size() / 2));
         },
         {"Wollen Sie updaten ?", "Download fehlgeschlagen"},
         {},
         {kFirmware, kList, "autorun.inf"}},
        {"404 for the channel list",
         [&](LoopbackServer& s) {
             s.fail(("/norvane/download/" + kList + ".txt").toLatin1(), 404, "<html/>");
         },
         {"Wollen Sie updaten ?", "Download fehlgeschlagen"},
         {},
         {kFirmware, kList, "autorun.inf"}},
        {"a damaged archive: its number, then nothing written",
         [&](LoopbackServer& s) { s.serve(firmPath, QByteArray("PK\x03\x04 nothing of a zip", 20)); },
         {"Wollen Sie updaten ?", "Norvane USB-Stick Updatetool", "Update fehlgeschlagen"},
         {},
         {kFirmware, kList, "autorun.inf", "norvstick.ico"}},
    };
    TempDir reference;
    const QMap<QString, QByteArray> complete = expectedStick(reference);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir fresh;
        drives.clear();
        drives.addStick(fresh.path(), 1'000'000'000);
        LoopbackServer local;
        local.serveFolder(QStringLiteral(NORVANE_DEMO_DOWNLOAD_DIR));
        c.fault(local);
        serverAddress = local.url();
        resetWindow();
        searched();
        dialogs.clearShown();
        window().cmdChoose_Click();
        EXPECT_EQ(titles(), c.titles);
        EXPECT_TRUE(dialogs.shown().back().text.endsWith("Auf dem USB-Stick wurde nichts verändert."))
            << texts();
        const QStringList files = filesBelow(fresh.path()).keys();
        for (const QString& file : files)
            EXPECT_TRUE(complete.contains(file)) << "foreign or temporary file " << file.toStdString();
        for (const QString& file : c.present)
            EXPECT_TRUE(files.contains(file)) << file.toStdString();
        for (const QString& file : c.absent)
            EXPECT_FALSE(files.contains(file)) << file.toStdString();
        EXPECT_FALSE(!shell.urls.isEmpty() && shell.urls.last().contains("index_link"));
    }
}

// A stick whose autorun.inf, norvstick.ico, USB.ini and firmware package are links to
// files of this computer, and a firmware with UTF-8 and code page 437 names, under the C
// locale: every link is refused and named before anything changes, the members come out
// right once the links are gone, and the files the links point to keep every byte.
TEST_F(UpdateRun, HostileStickKeepsEveryFileOutsideUnderTheCLocale) {
    ScopedLocale locale;
    ASSERT_TRUE(locale.set("C"));
    TempDir home;
    // Each name on the stick links to the file of the same name in home; the firmware's link comes later.
    const QStringList names = {"autorun.inf", "norvstick.ico", "USB.ini", kFirmware};
    for (const QString& name : names) {
        home.writeFile(name, "outside: " + name.toUtf8());
        ASSERT_TRUE(name == kFirmware || QFile::link(home.filePath(name), stick.filePath(name)));
    }
    const QString zip = home.filePath("names.zip");
    writeRawZip(zip, {{QStringLiteral("Übung.txt").toUtf8(), true, "u"}, {"\x8enderung.sdx", false, "a"}});
    server.serve(("/norvane/download/" + kFirmware + ".txt").toLatin1(), bytesOf(zip));

    run();
    ASSERT_EQ(titles(), (QStringList{"Wollen Sie updaten ?", "Update fehlgeschlagen"})) << texts();
    EXPECT_TRUE(dialogs.shown().back().text.contains(
        QString::fromUtf8("„autorun.inf“ auf dem USB-Stick ist eine Verknüpfung")))
        << texts();
    EXPECT_FALSE(QFile::exists(stick.filePath(QStringLiteral("Übung.txt"))));

    for (const char* name : {"autorun.inf", "norvstick.ico"})
        ASSERT_TRUE(QFile::remove(stick.filePath(QString::fromLatin1(name))));
    dialogs.clearShown();
    window().cmdChoose_Click();
    ASSERT_EQ(titles(), (QStringList{"Wollen Sie updaten ?", "Update erfolgreich"})) << texts();
    EXPECT_EQ(bytesOf(stick.filePath(QStringLiteral("Übung.txt"))), "u");
    EXPECT_EQ(bytesOf(stick.filePath(QStringLiteral("Änderung.sdx"))), "a");

    ASSERT_TRUE(QFile::remove(stick.filePath(kFirmware)));
    ASSERT_TRUE(QFile::link(home.filePath(kFirmware), stick.filePath(kFirmware)));
    dialogs.clearShown();
    window().cmdChoose_Click();
    ASSERT_EQ(titles(), (QStringList{"Wollen Sie updaten ?", "Update fehlgeschlagen"})) << texts();
    EXPECT_TRUE(dialogs.shown().back().text.contains(QString::fromUtf8("„%1“").arg(kFirmware))) << texts();

    window().SavePath(); // writes USB.ini: refused, as its failure always was, without a word
    for (const QString& name : names)
        EXPECT_EQ(bytesOf(home.filePath(name)), "outside: " + name.toUtf8()) << name.toStdString();
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

TEST_F(UpdateRun, ClosingTheWindowMidDownloadWritesNothing) {
    const QByteArray firmware = bytesOf(kDemo + kFirmware + ".txt");
    server.hold(("/norvane/download/" + kFirmware + ".txt").toLatin1(), firmware, 1000);
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (requestedPaths().contains("/norvane/download/" + kFirmware + ".txt"))
            window().close();
    });
    closer.start(20);
    run();
    server.release();
    EXPECT_EQ(titles(), QStringList{"Wollen Sie updaten ?"});
    EXPECT_TRUE(filesBelow(stick.path()).isEmpty());
    EXPECT_TRUE(QFile::exists(programFolder.filePath(QStringLiteral("Settings.ini"))));
}

TEST_F(UpdateRun, RefusedWithoutReceiverAndWhileRunning) {
    window().cmdChoose_Click(); // before the search no receiver is chosen
    EXPECT_EQ(titles(), QStringList{"Norvane USB-Stick Updatetool"});

    // A second click while the confirmation is open starts nothing more.
    searched();
    dialogs.clearShown();
    dialogs.answerNext(platform::MessageResult::Cancel);
    dialogs.whileOpen([this] { window().cmdChoose_Click(); });
    window().cmdChoose_Click();
    EXPECT_EQ(titles(), QStringList{"Wollen Sie updaten ?"});
    EXPECT_TRUE(filesBelow(stick.path()).isEmpty());
}

// A stick taken into use while it holds an update that was ended during its moves: the
// update is finished off the window thread, panel 1's tool tip says so, and the window
// stays in its searching state.
TEST_F(UpdateRun, AnInterruptedUpdateIsFinishedWhenTheStickIsTakenIntoUse) {
    stick.writeFile(QStringLiteral("flash/a.bin"), "old");
    stick.writeFile(QStringLiteral(".norvane-update/flash/a.bin"), "new");
    stick.writeFile(QStringLiteral(".norvane-update.commit"),
                    "norvane-update-commit 1\nflash/a.bin\nend 1\n");
    frmMain& w = window();
    auto* choose = child<QPushButton>("cmdChoose");
    QTRY_COMPARE_WITH_TIMEOUT(bytesOf(stick.filePath(QStringLiteral("flash/a.bin"))), QByteArray("new"),
                              10000);
    QTRY_VERIFY_WITH_TIMEOUT(w.statusPanel(1).toolTip().contains("Ein unterbrochenes Update wurde"), 10000);
    EXPECT_FALSE(QFileInfo::exists(stick.filePath(QStringLiteral(".norvane-update"))));
    EXPECT_FALSE(QFileInfo::exists(stick.filePath(QStringLiteral(".norvane-update.commit"))));
    EXPECT_EQ(choose->text(), QStringLiteral("Suche Updates..."));
    EXPECT_FALSE(choose->isEnabled());
}

// Two sticks: the one chosen in the picker is the one the panel shows, the run writes to,
// and "Benennen" and "Auswerfen" act on.
TEST_F(UpdateRun, TheChosenStickIsTheOneTheRunRenameAndEjectUse) {
    TempDir second;
    drives.addStick(second.path(), 2'000'000'000, QStringLiteral("ZWEITER"));
    frmMain& w = searched();
    auto* picker = w.findChild<frmAuswahl*>();
    ASSERT_NE(picker, nullptr);
    auto* list = picker->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(1)).center());
    picker->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    ASSERT_EQ(text("lblLW"), second.path());

    dialogs.clearShown();
    w.cmdChoose_Click();
    EXPECT_EQ(titles().last(), QStringLiteral("Update erfolgreich")) << texts();
    EXPECT_TRUE(QFile::exists(second.filePath(kFirmware)));
    EXPECT_TRUE(filesBelow(stick.path()).isEmpty());

    child<QLineEdit>("txtDT_Cap")->setText(QStringLiteral("NEU"));
    child<QPushButton>("Command1")->click();
    ASSERT_TRUE(waitUntil([&] { return !drives.renamed.isEmpty(); }));
    EXPECT_EQ(drives.renamed, QStringList{second.path() + QStringLiteral("=NEU")});
    auto* eject = child<QPushButton>("cmdEject");
    ASSERT_TRUE(waitUntil([&] { return eject->isEnabled(); })); // once the rename has answered
    eject->click();
    ASSERT_TRUE(waitUntil([&] { return !ejector.asked.isEmpty(); }));
    EXPECT_EQ(ejector.asked, QStringList{second.path()});
}

// The demo folder signed as it lies on disk, by a key the program trusts.
class SignedUpdateRun : public UpdateRun {
protected:
    void SetUp() override {
        UpdateRun::SetUp();
        trustKey(QStringLiteral("distributor.pem"), key.publicPem());
        QList<QPair<QString, QByteArray>> files;
        for (const QString& name : QDir(kDemo).entryList(QDir::Files, QDir::Name))
            files << qMakePair(name, bytesOf(kDemo + name));
        const QByteArray manifest = manifestOf(files);
        server.serve("/norvane/download/usb-sha256.txt", manifest);
        server.serve("/norvane/download/usb-sha256.txt.sig", key.sign(manifest));
    }
    SigningKey key;
};

TEST_F(SignedUpdateRun, GenuinePackagesReachTheStickAndTheFocusMovesToEject) {
    window().show(); // a hidden window takes no focus
    auto* eject = child<QPushButton>("cmdEject");
    QList<bool> enabledDuringRun; // asked while the run's message boxes are open
    dialogs.whileOpen([&] {
        if (window().updateRunning())
            enabledDuringRun << eject->isEnabled();
    });
    run();
    TempDir reference;
    EXPECT_EQ(filesBelow(stick.path()), expectedStick(reference));
    EXPECT_EQ(window().statusPanel(3).text(), QStringLiteral("Signiert"));
    EXPECT_EQ(enabledDuringRun, QList<bool>({false, false})); // confirmation and success message
    EXPECT_TRUE(eject->isEnabled());
    EXPECT_EQ(window().focusWidget(), eject);
}

TEST_F(SignedUpdateRun, ATamperedFirmwareLeavesTheStickUnchanged) {
    QByteArray tampered = bytesOf(kDemo + kFirmware + ".txt");
    tampered[tampered.size() / 2] = char(tampered[tampered.size() / 2] ^ 0x20);
    server.serve(("/norvane/download/" + kFirmware + ".txt").toLatin1(), tampered);
    stick.writeFile(QStringLiteral("USB.ini"), "[Open]\r\nDir=\r\n");
    const QMap<QString, QByteArray> before = filesBelow(stick.path());

    run();
    EXPECT_EQ(titles(), (QStringList{"Wollen Sie updaten ?", "Update abgebrochen"})) << texts();
    EXPECT_EQ(dialogs.shown().back().text,
              "Das Paket „Q120_Firmware.zip“ stimmt nicht mit der Signatur des Servers überein.\r\n"
              "Auf dem USB-Stick wurde nichts verändert.");
    EXPECT_EQ(filesBelow(stick.path()), before);
}

} // namespace
} // namespace norvane::test
