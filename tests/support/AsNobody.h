#pragma once
// Rights checks as an ordinary user: root passes every permission check, so a test that
// runs as root runs the matching tests of this program again as the user nobody.

#include <QCoreApplication>
#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

#include <unistd.h>

namespace norvane::test {

// As root: runs this test program as nobody with the gtest filter, expects it to pass and
// returns true (the caller then returns). As anyone else: false, and the test goes on.
inline bool ranAsNobody(const QString& filter) {
    if (::geteuid() != 0)
        return false;
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("setpriv"),
                {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                 QStringLiteral("--gtest_filter=") + filter});
    EXPECT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
    return true;
}

} // namespace norvane::test
