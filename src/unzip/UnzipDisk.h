#pragma once
// Writes files and folders through libarchive's disk writer with its secure flags:
// no path with a ".." component, and no path through a symbolic link that is already
// on the device. A file is written under a temporary name in its target's folder and
// renamed into place when complete.

#include <QString>

#include <ctime>
#include <memory>

struct archive;

namespace norvane::unzip {

class DiskWriter {
public:
    DiskWriter();
    ~DiskWriter();
    DiskWriter(const DiskWriter&) = delete;
    DiskWriter& operator=(const DiskWriter&) = delete;

    // Starts a file that will become target (an absolute path); missing folders on the
    // way are created. mtime < 0 leaves the modification time at now.
    bool beginFile(const QString& target, std::time_t mtime);
    bool write(const char* data, std::size_t size);
    // Completes the file and renames it over target.
    bool commit();
    // Removes the incomplete file, if one was started.
    void abandon();

    bool makeFolder(const QString& path);

    // errno of the last failure; 0 when the writer refused without one (unsafe path).
    int lastError() const { return m_error; }

private:
    bool fail();

    struct Free {
        void operator()(archive* disk) const;
    };
    std::unique_ptr<archive, Free> m_disk;
    QString m_temp;
    QString m_target;
    unsigned m_serial = 0;
    int m_error = 0;
};

} // namespace norvane::unzip
