#pragma once
// StickFiles over one StickWriter opened on the stick's root when the run starts: the
// copies, the sizes and the flush reach the stick through that folder descriptor, so a
// link on the stick is refused and never followed.

#include "platform/StickWriter.h"
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
    QStringList problem() const override { return m_problem; }

private:
    // The name below the root of a path that starts with the root; empty otherwise.
    QString nameOf(const QString& path) const;

    QString m_root;
    QString m_canonicalRoot;
    QString m_programFolder;
    mutable platform::StickWriter m_stick;
    QStringList m_problem;
};

} // namespace norvane
