#pragma once
// ArchiveExtraction over the program's one VBUnzBas, so that a refused password stays
// refused for the whole program run.

#include "update/ArchiveExtraction.h"

namespace norvane {

class VBUnzBas;

class UnzipExtraction final : public ArchiveExtraction {
public:
    // fileSystem: the name of the stick's file system ("FAT32", "exFAT", ...), for the
    // names a FAT stick cannot hold.
    explicit UnzipExtraction(VBUnzBas& unzip, QString fileSystem = {})
        : m_unzip(unzip), m_fileSystem(std::move(fileSystem)) {}

    std::optional<qint64> unpackedBytes(platform::StickWriter& stick, const QString& archiveName,
                                        qint64 clusterBytes) override;
    Failure extract(platform::StickWriter& stick, const QString& archiveName, const QString& folderName,
                    const unzip::Plan& plan, qint64 spaceLimitBytes,
                    std::function<void(int done, int total)> onMember) override;
    QStringList extractedFiles() const override;

private:
    VBUnzBas& m_unzip;
    QString m_fileSystem;
};

} // namespace norvane
