#pragma once
// Unpacking the firmware package on the stick. UnzipExtraction (over VBUnzBas) is the
// implementation; tests script the result.

#include "platform/Failure.h"
#include "unzip/UnzipOptions.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace norvane {

namespace platform {
class StickWriter;
}

class ArchiveExtraction {
public:
    virtual ~ArchiveExtraction() = default;
    // The room the archive's members take once unpacked, each rounded up to whole clusters;
    // nothing when its directory cannot be read.
    virtual std::optional<qint64> unpackedBytes(platform::StickWriter& stick, const QString& archiveName,
                                                qint64 clusterBytes) = 0;
    // Unpacks every member of archiveName below folderName as plan asks, both names below
    // the writer's root, adding at most spaceLimitBytes (-1: no limit); onMember after each
    // member, on the calling thread. No failure when every member was written; else the
    // stick's failure naming the member it refused, or ArchiveFailed naming the archive,
    // the archive's result code in code either way.
    virtual Failure extract(platform::StickWriter& stick, const QString& archiveName,
                            const QString& folderName, const unzip::Plan& plan, qint64 spaceLimitBytes,
                            std::function<void(int done, int total)> onMember) = 0;
    // The names below the writer's root of the files the last extract wrote.
    virtual QStringList extractedFiles() const = 0;
};

} // namespace norvane
