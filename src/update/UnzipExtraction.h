#pragma once
// ArchiveExtraction over the program's one VBUnzBas, so that a refused password stays
// refused for the whole program run.

#include "update/ArchiveExtraction.h"

namespace norvane {

class VBUnzBas;

class UnzipExtraction final : public ArchiveExtraction {
public:
    explicit UnzipExtraction(VBUnzBas& unzip) : m_unzip(unzip) {}

    int extract(const QString& archivePath, const QString& folder, const unzip::Plan& plan,
                qint64 spaceLimitBytes, std::function<void(int done, int total)> onMember) override;
    QStringList extractedFiles() const override;
    QStringList verifyExtracted() const override;

private:
    VBUnzBas& m_unzip;
};

} // namespace norvane
