#pragma once
// A stick folder, an archive beside it and the extraction object set up as the update
// run sets it up: overwrite without asking, recreate folders, extract.

#include "UnzipTestArchives.h"
#include "support/FileBytes.h"

#include "support/TempDir.h"
#include "unzip/VBUnzBas.h"

#include <QDirIterator>
#include <QFile>

#include <deque>

#include <gtest/gtest.h>

namespace norvane::test {

// Answers the extraction's questions as scripted and records what it asked and showed.
class ScriptedQuestions final : public unzip::Questions {
public:
    unzip::ReplaceAnswer askReplace(const QString& fileName) override {
        replaceAsked << fileName;
        return next(replies, unzip::ReplaceAnswer::Keep);
    }
    std::optional<QString> askPassword() override {
        ++passwordAsks;
        return next(passwords, std::optional<QString>());
    }
    void showResult(int code) override { shown << code; }

    std::deque<unzip::ReplaceAnswer> replies;
    std::deque<std::optional<QString>> passwords;
    QStringList replaceAsked;
    int passwordAsks = 0;
    QList<int> shown; // the result codes shown
private:
    template <typename T> static T next(std::deque<T>& answers, T otherwise) {
        if (answers.empty())
            return otherwise;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

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
    ScriptedQuestions questions;
    VBUnzBas unz{questions};
};

} // namespace norvane::test
