#include "update/UnzipExtraction.h"

#include "unzip/UnzipCodes.h"
#include "unzip/UnzipEngine.h"
#include "unzip/VBUnzBas.h"

namespace norvane {

std::optional<qint64> UnzipExtraction::unpackedBytes(platform::StickWriter& stick, const QString& archiveName,
                                                     qint64 clusterBytes) {
    return unzip::unpackedBytes(stick, archiveName, clusterBytes);
}

Failure UnzipExtraction::extract(platform::StickWriter& stick, const QString& archiveName,
                                 const QString& folderName, const unzip::Plan& plan, qint64 spaceLimitBytes,
                                 std::function<void(int done, int total)> onMember) {
    m_unzip.includeList.clear();
    m_unzip.excludeList.clear();
    m_unzip.archivePath = archiveName;
    m_unzip.extractFolder = folderName;
    m_unzip.stick = &stick;
    m_unzip.spaceLimitBytes = spaceLimitBytes;
    m_unzip.fileSystem = m_fileSystem;
    m_unzip.onMember = std::move(onMember);
    const int code = m_unzip.UnzipArchive(plan);
    m_unzip.stick = nullptr;
    if (code == unzip::Ok)
        return {};
    Failure failure = m_unzip.lastFailure();
    if (failure.ok())
        failure = {FailureKind::ArchiveFailed, archiveName};
    failure.code = code;
    return failure;
}

QStringList UnzipExtraction::extractedFiles() const {
    return m_unzip.extractedFiles();
}

} // namespace norvane
