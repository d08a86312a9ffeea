#pragma once
// Unpacks one zip archive with libarchive, member by member and block by block: no
// member is ever held in memory whole. libarchive only reads; the members are written
// through a StickWriter opened on the extraction folder, so no link on the stick is
// followed and no path is ever handed whole to the system. Members are written to a
// temporary name beside their target and renamed into place only when complete, so a
// member that fails midway leaves nothing behind and an existing file survives a
// failed replacement. Member names are read the same under any locale.

#include "platform/files/StickWriter.h"
#include "unzip/UnzipOptions.h"
#include "unzip/UnzipPrompts.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <vector>

namespace norvane::unzip {

struct ExtractRequest {
    QString archivePath;
    // Must exist when members are written; it is never created.
    QString extractFolder;
    // When set, the archive is read and the members are written through this writer, which
    // the caller holds open on the stick: archivePath and extractFolder are then names below
    // its root (extractFolder empty: the root itself).
    platform::StickWriter* stick = nullptr;
    Plan plan;
    QStringList include;
    QStringList exclude;
    // Bytes the run may add to the device; replaced files give their size back. -1: no limit.
    qint64 spaceLimitBytes = -1;
    // The folder is on a FAT or exFAT file system: names it cannot hold, and names that
    // differ only in case, are refused before anything is written.
    bool fatNames = false;
    platform::StickResolution resolution = platform::StickResolution::Auto;
};

// The questions and progress of a run, called on the extracting thread; the caller
// carries them to wherever they must run.
struct ExtractHooks {
    std::function<ReplaceAnswer(const QString& fileName)> askReplace;
    std::function<std::optional<QByteArray>()> askPassword;
    // After each member taken by the include and exclude lists.
    std::function<void(int done, int total)> onMember;
};

struct ExtractedFile {
    // The full path; with a writer given, the name below the writer's root.
    QString path;
    // Below the extraction folder, '/' separators.
    QString name;
    // CRC-32 and size of the bytes written; libarchive has checked them against the archive.
    quint32 crc32 = 0;
    qint64 size = 0;
};

struct ExtractResult {
    int code = 0;
    std::vector<ExtractedFile> files;
    // What the stick refused, with the member it refused in the subject (for a name clash,
    // the second member in other).
    Failure failure;
};

ExtractResult extractArchive(const ExtractRequest& request, const ExtractHooks& hooks);

// The room the archive's files take once unpacked, from the sizes its central directory
// announces, each rounded up to whole clusters; nothing when the archive cannot be read.
std::optional<qint64> unpackedBytes(platform::StickWriter& stick, const QString& archiveName,
                                    qint64 clusterBytes);

} // namespace norvane::unzip
