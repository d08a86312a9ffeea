#include "update/UnzipExtraction.h"

#include "unzip/UnzipEngine.h"
#include "unzip/VBUnzBas.h"
#include "update/StickMessages.h"

namespace norvane {

std::optional<qint64> UnzipExtraction::unpackedBytes(platform::StickWriter& stick, const QString& archiveName,
                                                     qint64 clusterBytes) {
    return unzip::unpackedBytes(stick, archiveName, clusterBytes);
}

int UnzipExtraction::extract(platform::StickWriter& stick, const QString& archiveName,
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
    return code;
}

QStringList UnzipExtraction::extractedFiles() const {
    return m_unzip.extractedFiles();
}

QStringList UnzipExtraction::problem() const {
    const Failure& failure = m_unzip.lastFailure();
    if (failure.ok())
        return {};
    return stickFaultLines(failure.kind, failure.subject, failure.other);
}

} // namespace norvane
