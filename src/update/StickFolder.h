#pragma once
// StickFiles over plain paths below the stick's root.

#include "update/StickFiles.h"

namespace norvane {

class StickFolder final : public StickFiles {
public:
    // Both folders with a trailing separator.
    StickFolder(QString root, QString programFolder);

    QString packagePath(const QString& name) const override;
    qint64 existingSize(const QString& name) const override;
    bool copyFromProgramFolder(const QString& name) override;
    bool flushAll(const QStringList& written) override;

private:
    QString m_root;
    QString m_programFolder;
};

} // namespace norvane
