// Where the settings file goes: the program folder while it can be written, else
// the user's configuration folder.

#include "platform/SettingsLocation.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace norvane;
using test::ScopedEnvironment;
using test::TempDir;

TEST(SettingsLocation, ProgramFolderOrTheUsersConfigFolder) {
    TempDir home;
    const QString program = home.mkdir(QStringLiteral("program"));
    const QString missing = home.filePath(QStringLiteral("not-there")); // never writable
    const QString file = home.writeFile(QStringLiteral("a-file"), "x");
    const QString config = home.filePath(QStringLiteral("cfg"));
    const QString standard = home.filePath(QStringLiteral(".config/norvane-usbtool/"));
    struct Case {
        QString programFolder;
        QByteArray xdgConfigHome; // empty: unset
        QString folder;
        bool created;
    } const cases[] = {
        {program, config.toUtf8(), program, true},
        {missing, config.toUtf8(), config + "/norvane-usbtool/", true},
        {missing, {}, standard, true},
        {missing, "relative/cfg", standard, true},
        {missing, file.toUtf8(), file + "/norvane-usbtool/", false}, // settings cannot be kept
    };
    ScopedEnvironment homeVariable("HOME", QDir::cleanPath(home.path()).toUtf8());
    for (const Case& c : cases) {
        ScopedEnvironment xdg("XDG_CONFIG_HOME", c.xdgConfigHome);
        const QString folder = platform::settingsFolder(c.programFolder);
        EXPECT_EQ(folder, c.folder) << c.xdgConfigHome.constData();
        EXPECT_EQ(QFileInfo(folder).isDir(), c.created) << c.xdgConfigHome.constData();
    }
}
