#pragma once
// A stick folder, an archive beside it and the extraction object set up as the update
// run sets it up: overwrite without asking, recreate folders, extract.

#include "UnzipTestArchives.h"
#include "support/FileBytes.h"

#include "support/FakeDialogs.h"
#include "support/TempDir.h"
#include "unzip/VBUnzBas.h"

#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace norvane::test {

class UnzipFixture : public ::testing::Test {
protected:
    UnzipFixture() {
        unz.archivePath = dir.filePath(QStringLiteral("pkg.zip"));
        unz.extractFolder = dir.mkdir(QStringLiteral("stick"));
        option(11) = 1;
        option(10) = 1;
    }

    qint16& option(int n) { return unz.UnzipOptions[static_cast<std::size_t>(n - 1)]; }

    void archive(const std::vector<ZipMember>& members, const ZipSettings& settings = {}) {
        writeZip(unz.archivePath, members, settings);
    }

    // Every file, folder and link below folder, relative, sorted; hidden ones included.
    static QStringList entriesBelow(const QString& folder) {
        QStringList found;
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next().mid(folder.size()).remove(0, folder.endsWith(u'/') ? 0 : 1);
        found.sort();
        return found;
    }

    QStringList onStick() const { return entriesBelow(unz.extractFolder); }

    QByteArray stickFile(const QString& relative) const {
        return fileBytes(unz.extractFolder + relative, "<missing>");
    }

    TempDir dir;
    FakeDialogs dialogs;
    VBUnzBas unz{dialogs};
};

} // namespace norvane::test
