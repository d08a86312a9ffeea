#pragma once
// Unpacking the firmware package on the stick. UnzipExtraction (over VBUnzBas) is the
// implementation; tests script the result.

#include "unzip/UnzipOptions.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace norvane {

class ArchiveExtraction {
public:
    virtual ~ArchiveExtraction() = default;
    // Unpacks every member of archivePath below folder as plan asks, adding at most
    // spaceLimitBytes (-1: no limit); onMember after each member, on the calling thread.
    // A non-zero result code has already been shown to the user when this returns it.
    virtual int extract(const QString& archivePath, const QString& folder, const unzip::Plan& plan,
                        qint64 spaceLimitBytes, std::function<void(int done, int total)> onMember) = 0;
    // Full paths of the files the last extract wrote.
    virtual QStringList extractedFiles() const = 0;
    // Reads those files back from the device; full paths of the ones that differ from
    // the archive (or cannot be read any more).
    virtual QStringList verifyExtracted() const = 0;
};

} // namespace norvane
