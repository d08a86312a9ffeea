#pragma once
// The one way the program writes below a stick's root. The writer holds the root
// folder open and reaches every name below it through that descriptor, never
// through a path string: with openat2(RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS) where
// the kernel has it, else folder by folder with O_NOFOLLOW. A symbolic link on the
// way, or at the name itself, is refused, so no file outside the stick is ever
// created, replaced, appended to or measured. (The root itself may be reached
// through a link; it is opened once, as the user's mount point.)
//
// Files are written under a temporary name in their folder and renamed over their
// name only when complete. Folders are looked up afresh for every operation: a folder
// someone else moved out from under the root between two operations is not followed.
// Names holding a control character (NUL among them) are refused. Failures come back as a Failure of
// one of the stick kinds, with errno in its code, the name below the root ('/' separators) in its
// subject and the system's words in its detail, so that the caller can tell the user what happened
// to which file. Use one writer on one thread at a time.

#include "platform/Failure.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstddef>
#include <ctime>
#include <memory>
#include <optional>

namespace norvane::platform {

// What lies at a name, looked at without following a link.
struct StickEntry {
    enum class Kind { Missing, File, Folder, Link, Other };
    Kind kind = Kind::Missing;
    qint64 size = 0;
    std::time_t modified = 0;
};

// How names are resolved; Walk forces the folder-by-folder way that kernels without
// openat2 use.
enum class StickResolution { Auto, Walk };

class StickWriter;

// A failure of one of the stick kinds at `name`, with errno and the system's words for it;
// no failure for the kind None.
Failure stickFailure(FailureKind kind, const QString& name, int error);

// The mount a name below a folder lies on (AT_EMPTY_PATH with an empty name: the folder
// itself); 0 where the kernel cannot tell. Two names on one file system can still lie on
// two mounts (a bind mount), which the device number alone does not show.
quint64 mountIdOf(int folder, const char* name);

// A file being written below the root under a temporary name. Destroyed without a
// successful commit, it removes the temporary file; the old file stays as it was.
class StickFile {
public:
    StickFile() = default;
    ~StickFile();
    StickFile(StickFile&& other) noexcept;
    StickFile& operator=(StickFile&& other) noexcept;
    StickFile(const StickFile&) = delete;
    StickFile& operator=(const StickFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    const Failure& status() const { return m_status; }
    Failure write(const char* data, std::size_t size);
    // Waits until the bytes written so far are on the device.
    Failure sync();
    // Closes the file and renames it over its name; modified (when given) becomes its
    // modification time. With keepIdentical, a file already there with exactly the
    // same bytes stays (time stamp and all) and the temporary copy is removed.
    Failure commit(std::optional<std::time_t> modified = std::nullopt, bool keepIdentical = false);
    // true after a commit that kept an identical file.
    bool keptExisting() const { return m_kept; }
    qint64 bytesWritten() const { return m_written; }
    // CRC-32 of the bytes written so far.
    quint32 crc32() const { return m_crc; }
    void abandon();

private:
    friend class StickWriter;

    Failure fail(int error);

    StickWriter* m_writer = nullptr;
    int m_folder = -1; // owned duplicate of the folder's descriptor
    int m_fd = -1;
    QByteArray m_temp;
    QByteArray m_leaf;
    QString m_name;
    qint64 m_written = 0;
    quint32 m_crc = 0;
    bool m_kept = false;
    Failure m_status;
};

// A file committed through a writer: its size and the CRC-32 of the bytes written.
struct WrittenFile {
    qint64 size = 0;
    quint32 crc32 = 0;
};

class StickWriter {
public:
    explicit StickWriter(const QString& root, StickResolution resolution = StickResolution::Auto);
    ~StickWriter();
    StickWriter(const StickWriter&) = delete;
    StickWriter& operator=(const StickWriter&) = delete;

    // The root as given, and whether it could be opened as a folder.
    const QString& root() const { return m_root; }
    const Failure& rootStatus() const { return m_rootStatus; }
    bool usesOpenat2() const { return m_openat2; }

    StickEntry entry(const QString& name);
    // Creates the folder and any missing folders on the way.
    Failure makeFolders(const QString& name);
    // Starts a file that becomes `name` on commit; missing folders on the way are created.
    // Refused at once when a link or a folder stands at the name.
    StickFile create(const QString& name);
    // Opens an existing regular file for reading (O_RDONLY, no link followed, never
    // waiting on a FIFO or device); -1 and the status on failure. The caller closes it.
    int openForReading(const QString& name, Failure* status);
    // Removes a file (never a folder, never what a link points to).
    Failure remove(const QString& name);
    // The whole content of name, through a temporary name that is flushed before the rename.
    Failure writeWhole(const QString& name, const QByteArray& content);

    // The names committed through this writer so far, and what each one holds.
    const QStringList& written() const { return m_written; }
    std::optional<WrittenFile> writtenFile(const QString& name) const;
    // fsync and syncfs calls made so far: each is a round of writes on a real stick.
    int flushCalls() const { return m_flushCalls; }
    // Waits until the given files (default: every file this writer committed), their
    // folders and then the whole file system are on the device.
    Failure flush(const QStringList& names);
    Failure flush() { return flush(m_written); }

    // Turns an errno into its failure; ENOENT and EIO count as a pulled stick when the
    // root is no longer the folder it was.
    Failure status(int error, const QString& name);

private:
    friend class StickFile;
    friend class StickSession;
    // Forgets the folders of the last operation; every operation looks its folders up anew.
    void forgetFolders();
    // The folder that holds `name` (its last component in *leaf), optionally created.
    int folderOf(const QString& name, QByteArray* leaf, bool create, Failure* status);
    int openFolder(const QByteArray& relative, bool create, int* error);
    // An existing folder below the root by its name (empty: the root itself).
    int openFolderNamed(const QString& name, int* error);
    int walk(const QByteArray& relative, bool create, int* error);
    bool rootGone() const;
    void noteCommitted(const QString& name, WrittenFile file);

    QString m_root;
    int m_rootFd = -1;
    quint64 m_rootDevice = 0;
    quint64 m_rootInode = 0;
    quint64 m_rootMount = 0;
    bool m_openat2 = false;
    Failure m_rootStatus;
    QHash<QByteArray, int> m_folders; // open folder descriptors by relative path
    QStringList m_written;
    QHash<QString, WrittenFile> m_writtenFiles;
    unsigned m_serial = 0;
    int m_flushCalls = 0;
};

} // namespace norvane::platform
