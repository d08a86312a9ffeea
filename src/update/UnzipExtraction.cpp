#include "update/UnzipExtraction.h"

#include "unzip/VBUnzBas.h"

namespace norvane {

int UnzipExtraction::extract(const QString& archivePath, const QString& folder, const unzip::Plan& plan,
                             qint64 spaceLimitBytes, std::function<void(int done, int total)> onMember) {
    m_unzip.includeList.clear();
    m_unzip.excludeList.clear();
    m_unzip.archivePath = archivePath;
    m_unzip.extractFolder = folder;
    m_unzip.spaceLimitBytes = spaceLimitBytes;
    m_unzip.onMember = std::move(onMember);
    return m_unzip.UnzipArchive(plan);
}

QStringList UnzipExtraction::extractedFiles() const {
    return m_unzip.extractedFiles();
}

QStringList UnzipExtraction::verifyExtracted() const {
    return m_unzip.verifyExtracted();
}

} // namespace norvane
