#pragma once
// What an update run writes onto the stick by itself, besides the downloads and the
// extraction: where a file of the stick's root lies, the copies from the program folder
// and getting everything onto the device. StickFolder is the implementation over paths.

#include <QString>
#include <QStringList>

namespace norvane {

class StickFiles {
public:
    virtual ~StickFiles() = default;
    // The path of the file name in the stick's root (packages are stored there).
    virtual QString packagePath(const QString& name) const = 0;
    // Size of that file now; 0 when there is none.
    virtual qint64 existingSize(const QString& name) const = 0;
    // Copies the program folder's file name to the stick's root under the same name,
    // replacing an existing one; a failed copy leaves the old file. false on failure.
    virtual bool copyFromProgramFolder(const QString& name) = 0;
    // Waits until every file of written and the stick's file system are on the device;
    // false when any of that failed.
    virtual bool flushAll(const QStringList& written) = 0;
};

} // namespace norvane
