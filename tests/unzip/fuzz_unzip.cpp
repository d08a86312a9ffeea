// Feeds arbitrary archives to the extraction, into a fresh temporary folder with every
// question answered "no". Besides the sanitizers' checks it verifies that nothing was
// written outside the extraction folder, that no link and no temporary file is left
// in it, and that every file reported as written reads back as written.
#include "unzip/VBUnzBas.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace norvane;

namespace {

class NoQuestions final : public unzip::Questions {
public:
    unzip::ReplaceAnswer askReplace(const QString&) override { return unzip::ReplaceAnswer::Keep; }
    std::optional<QString> askPassword() override { return std::nullopt; }
    void showResult(int) override {}
};

void checkFolder(const QString& root, const QString& out) {
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        if (path == root + "/a.zip" || path == out)
            continue;
        if (!path.startsWith(out + u'/') || info.isSymLink() || info.fileName().startsWith(".~unzip"))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QTemporaryDir root;
    if (!root.isValid())
        return 0;
    const QString out = root.path() + "/out";
    QFile archive(root.path() + "/a.zip");
    if (!QDir().mkdir(out) || !archive.open(QIODevice::WriteOnly) ||
        archive.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size))
        return 0;
    archive.close();

    NoQuestions questions;
    VBUnzBas unz(questions);
    unz.archivePath = archive.fileName();
    unz.extractFolder = out;
    unz.spaceLimitBytes = 16 << 20;
    unz.UnzipOptions[9] = 1; // recreate folders
    unz.UnzipOptions[2] = 1; // ask before overwriting: a member named twice is asked about
    (void)unz.UnzipArchive();
    checkFolder(root.path(), out);

    unz.UnzipOptions[5] = 1; // test only
    (void)unz.UnzipArchive();
    return 0;
}
