// A whole update from a signed server: the genuine packages reach the stick and the focus
// moves to "Auswerfen"; a package swapped on the way leaves the stick as it was.

#include "MainWindowFixture.h"
#include "support/SigningKey.h"
#include "widgets/StatusPanel.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>

namespace norvane::test {
namespace {

const QString kDemo = QStringLiteral(NORVANE_DEMO_DOWNLOAD_DIR) + QStringLiteral("/norvane/download/");

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below a folder by its relative path, with its bytes.
QMap<QString, QByteArray> treeOf(const QString& folder) {
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        tree.insert(QDir(folder).relativeFilePath(path), bytesOf(path));
    }
    return tree;
}

class SignedRun : public MainWindowTest {
protected:
    void SetUp() override {
        for (const char* name : {"autorun.inf", "norvstick.ico"})
            QFile::copy(QStringLiteral(NORVANE_ASSETS_DIR "/") + name,
                        programFolder.filePath(QString::fromLatin1(name)));
        programFolder.writeFile(QStringLiteral("keys/distributor.pem"), key.publicPem());
        drives.addStick(stick.path(), 1'000'000'000, QStringLiteral("NORVANE"));
        stick.writeFile(QStringLiteral("USB.ini"), "[Open]\r\nDir=\r\n");
        server.serveFolder(QStringLiteral(NORVANE_DEMO_DOWNLOAD_DIR));
        // The list covers the demo folder as it lies on disk.
        QList<QPair<QString, QByteArray>> files;
        for (const QString& name : QDir(kDemo).entryList(QDir::Files, QDir::Name))
            files << qMakePair(name, bytesOf(kDemo + name));
        const QByteArray manifest = manifestOf(files);
        server.serve("/norvane/download/usb-sha256.txt", manifest);
        server.serve("/norvane/download/usb-sha256.txt.sig", key.sign(manifest));
    }
    frmMain& runUpdate() {
        frmMain& w = searched();
        EXPECT_EQ(w.statusPanel(3).text(), QStringLiteral("Signiert"));
        EXPECT_EQ(w.catalogue().FirmFile[w.SelFirm()], QStringLiteral("Q120_Firmware.zip"));
        dialogs.clearShown();
        w.cmdChoose_Click();
        return w;
    }

    SigningKey key;
    TempDir stick;
};

TEST_F(SignedRun, GenuinePackagesReachTheStickAndTheFocusMovesToEject) {
    window().show(); // a hidden window takes no focus
    auto* eject = child<QPushButton>("cmdEject");
    QList<bool> enabledDuringRun; // asked while the run's message boxes are open
    dialogs.whileOpen([&] {
        if (window().updateRunning())
            enabledDuringRun << eject->isEnabled();
    });
    frmMain& w = runUpdate();
    EXPECT_EQ(enabledDuringRun, QList<bool>({false, false})); // confirmation and success message
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown().back().title, QStringLiteral("Update erfolgreich"));
    EXPECT_EQ(bytesOf(stick.filePath(QStringLiteral("Q120_Firmware.zip"))),
              bytesOf(kDemo + QStringLiteral("Q120_Firmware.zip.txt")));
    EXPECT_TRUE(eject->isEnabled());
    EXPECT_EQ(w.focusWidget(), eject);
}

TEST_F(SignedRun, ATamperedFirmwareLeavesTheStickUnchanged) {
    QByteArray tampered = bytesOf(kDemo + QStringLiteral("Q120_Firmware.zip.txt"));
    tampered[tampered.size() / 2] = char(tampered[tampered.size() / 2] ^ 0x20);
    server.serve("/norvane/download/Q120_Firmware.zip.txt", tampered);
    const QMap<QString, QByteArray> before = treeOf(stick.path());

    frmMain& w = runUpdate();
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(
        dialogs.shown().back().text,
        QStringLiteral("Das Paket „Q120_Firmware.zip“ stimmt nicht mit der Signatur des Servers überein.\r\n"
                       "Auf dem USB-Stick wurde nichts verändert."));
    EXPECT_EQ(treeOf(stick.path()), before);
    EXPECT_EQ(w.statusPanel(2).text(), QStringLiteral("Update abgebrochen"));
    EXPECT_FALSE(w.updateRunning());
}

} // namespace
} // namespace norvane::test
