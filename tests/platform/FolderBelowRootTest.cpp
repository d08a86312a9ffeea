// The standard folder a stick names is opened only when it lies on the stick.
#include "platform/files/Files.h"

#include "support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

namespace norvane::platform {
namespace {

TEST(FolderBelowRoot, OnlyFoldersOnTheStickAreOpened) {
    test::TempDir dir;
    const QString stick = dir.mkdir("stick");
    dir.mkdir("stick/Firmware/Neu");
    dir.writeFile("stick/autorun.inf", "x");
    dir.mkdir("elsewhere");
    ASSERT_TRUE(QFile::link(dir.filePath("elsewhere"), stick + "out"));
    ASSERT_TRUE(QFile::link(stick + "Firmware", stick + "fw"));
    const struct {
        const char* relative;
        bool opened;
    } cases[] = {
        {"Firmware/Neu", true},  {"", true},        {"fw", true},
        {"../elsewhere", false}, {"../../", false}, {"out", false},
        {"autorun.inf", false},  {"Alt", false},    {"/etc", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.relative);
        const QString path = stick + QString::fromLatin1(c.relative);
        EXPECT_EQ(folderBelowRoot(stick, path), c.opened ? path : stick);
    }
}

} // namespace
} // namespace norvane::platform
