// The folder-drive table text: reading drives and rewriting one label.

#include "platform/drives/DriveTable.h"

#include <gtest/gtest.h>

using namespace norvane::platform;

namespace {

const QByteArray table = "; demo drives\n"
                         "Root=/ignored/before/any/section\n"
                         "[stick]\n"
                         "Root = /tmp/demo/stick\n"
                         "TYPE=Removable\n"
                         "capacity=1000000000\n"
                         "Label=NORVANE\n"
                         "FileSystem=FAT32\n"
                         "\n"
                         "# the second stick has no label yet\n"
                         "[second]\n"
                         "Root=stick2\n"
                         "Type=removable\n";

TEST(DriveTable, ReadsSectionsInOrder) {
    const QList<TableDrive> drives = parseDriveTable(table);
    ASSERT_EQ(drives.size(), 2);
    EXPECT_EQ(drives.at(0).section, QStringLiteral("stick"));
    EXPECT_EQ(drives.at(0).root, QStringLiteral("/tmp/demo/stick"));
    EXPECT_EQ(drives.at(0).type, QStringLiteral("Removable"));
    EXPECT_EQ(drives.at(0).capacity, QStringLiteral("1000000000"));
    EXPECT_EQ(drives.at(0).label, QStringLiteral("NORVANE"));
    EXPECT_EQ(drives.at(0).fileSystem, QStringLiteral("FAT32"));
    EXPECT_EQ(drives.at(1).root, QStringLiteral("stick2"));
    EXPECT_EQ(drives.at(1).label, QString());
}

TEST(DriveTable, ValuesKeepInnerSemicolonsAndUmlauts) {
    const QList<TableDrive> drives = parseDriveTable("[a]\nLabel=Fotos; Juli \xc3\x9c\n");
    ASSERT_EQ(drives.size(), 1);
    EXPECT_EQ(drives.at(0).label, QStringLiteral("Fotos; Juli Ü"));
}

TEST(DriveTable, ReplacesAnExistingLabelOnly) {
    const QByteArray changed = tableWithLabel(table, 0, QStringLiteral("NEU"));
    QByteArray expected = table;
    expected.replace("Label=NORVANE", "Label=NEU");
    EXPECT_EQ(changed, expected);
}

TEST(DriveTable, AddsALabelBelowTheHeader) {
    const QByteArray changed = tableWithLabel(table, 1, QStringLiteral("Zweiter"));
    const QList<TableDrive> drives = parseDriveTable(changed);
    ASSERT_EQ(drives.size(), 2);
    EXPECT_EQ(drives.at(1).label, QStringLiteral("Zweiter"));
    EXPECT_EQ(drives.at(0).label, QStringLiteral("NORVANE"));
    EXPECT_TRUE(changed.contains("[second]\nLabel=Zweiter\nRoot=stick2\n"));
}

TEST(DriveTable, LabelOfASectionWithoutOneStaysInThatSection) {
    // The first section has no label; the second one's must stay untouched.
    const QByteArray text = "[a]\nRoot=/a\n[b]\nRoot=/b\nLabel=B\n";
    const QList<TableDrive> drives = parseDriveTable(tableWithLabel(text, 0, QStringLiteral("A")));
    EXPECT_EQ(drives.at(0).label, QStringLiteral("A"));
    EXPECT_EQ(drives.at(1).label, QStringLiteral("B"));
}

TEST(DriveTable, KeepsWindowsLineEnds) {
    const QByteArray text = "[a]\r\nRoot=/a\r\nLabel=OLD\r\n";
    EXPECT_EQ(tableWithLabel(text, 0, QStringLiteral("NEW")), QByteArray("[a]\r\nRoot=/a\r\nLabel=NEW\r\n"));
    EXPECT_EQ(tableWithLabel("[a]\r\nRoot=/a\r\n", 0, QStringLiteral("X")),
              QByteArray("[a]\r\nLabel=X\r\nRoot=/a\r\n"));
}

TEST(DriveTable, UnknownDriveLeavesTheTable) {
    EXPECT_EQ(tableWithLabel(table, 2, QStringLiteral("X")), table);
    EXPECT_EQ(tableWithLabel(table, -1, QStringLiteral("X")), table);
}

} // namespace
