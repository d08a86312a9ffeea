#pragma once
// A main window built on fakes and a real loopback download server.

#include "app/frmMain.h"
#include "platform/drives/DeviceEvents.h"
#include "storage/basINI.h"
#include "support/FakeDialogs.h"
#include "support/FakeDrives.h"
#include "support/FakeEjector.h"
#include "support/FakeShell.h"
#include "support/LoopbackServer.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace norvane::test {

// One catalogue row: name, picture, firmware file, firmware state, change note,
// then file and state of the five channel lists ("" = missing).
QByteArray catalogueRow(const QString& name, const QString& firmFile, const QStringList& listFiles = {},
                        const QString& picture = QStringLiteral("pic.png"));
QByteArray catalogueOf(const QList<QByteArray>& rows);

class MainWindowTest : public ::testing::Test {
protected:
    // Serves a version file, news and catalogue under the download folder.
    void serveSearch(const QByteArray& version, const QByteArray& news, const QByteArray& catalogue);
    frmMain& window();
    // Drops the window; the next window() starts the program afresh.
    void resetWindow() { m_window.reset(); }
    // The window after its update search has run.
    frmMain& searched();

    template <typename T> T* child(const char* name) {
        T* found = window().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* labelName) { return child<QLabel>(labelName)->text(); }
    QStringList requestedPaths() const;
    // Installs a public key the program trusts: keys count only when neither group nor
    // others may change them, whatever the umask.
    void trustKey(const QString& name, const QByteArray& publicPem);

    // Loopback requests must not go through a proxy of the machine the tests run on.
    NoProxyEnvironment noProxy;
    FakeDrives drives;
    // Device events over drives, when a test makes them before the window.
    std::unique_ptr<platform::DeviceEvents> deviceEvents;
    FakeEjector ejector;
    FakeShell shell;
    FakeDialogs dialogs;
    basINI ini;
    LoopbackServer server;
    TempDir programFolder;
    TempDir stateFolder; // where the servers seen signed are remembered
    QString serverAddress = server.url();
    int programEnded = 0;
    bool detectDrivesAfterFirstPaint = false;
    // Loopback answers come at once, but on a busy machine not always within a second: a
    // transfer gives up only after seconds without progress. A test of a stall shortens it.
    TransferLimits transferLimits = {
        .connectTimeoutSeconds = 10, .lowSpeedBytesPerSecond = 100, .lowSpeedSeconds = 10};

private:
    std::unique_ptr<frmMain> m_window;
};

} // namespace norvane::test
