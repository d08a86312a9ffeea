#include "unzip/UnzipEngine.h"

#include "platform/libraries/ArchiveLibrary.h"
#include "unzip/UnzipCodes.h"
#include "unzip/UnzipNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <zlib.h>

#include <cerrno>
#include <clocale>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace norvane::unzip {

namespace {

// Blocks handed from libarchive to the disk writer.
constexpr std::size_t kBlockBytes = 256 * 1024;
// Reads from the archive file. Small, because the reader seeks to every member's local
// header and reads a whole block there; 64 KiB keeps that cheap for small members.
constexpr std::size_t kArchiveReadBytes = 64 * 1024;
// Only headers are read when counting the members.
constexpr std::size_t kHeaderReadBytes = 4 * 1024;

// Frees the reader, then closes the archive file it read.
struct ReadFree {
    const ArchiveLibrary* library = nullptr;
    int fd = -1;
    void operator()(archive* reader) const {
        library->read_free(reader);
        if (fd >= 0)
            ::close(fd);
    }
};
using Reader = std::unique_ptr<archive, ReadFree>;

// What the passphrase callback needs; the last answer must stay alive until libarchive
// has copied it.
struct PassphraseState {
    const ExtractHooks* hooks = nullptr;
    QByteArray answer;
    bool refused = false;
};

const char* passphrase(archive*, void* data) {
    auto* state = static_cast<PassphraseState*>(data);
    std::optional<QByteArray> answer;
    if (state->hooks->askPassword)
        answer = state->hooks->askPassword();
    if (!answer) {
        state->refused = true;
        return nullptr;
    }
    state->answer = *answer;
    return state->answer.constData();
}

// Member names are converted by libarchive from the archive's own code (UTF-8 for
// members flagged so, else code page 437) to the character set of the locale. This
// thread reads with a UTF-8 locale of its own, so names come out the same under any
// LANG, installed or not; the locale of the process is left alone.
class Utf8ThreadLocale {
public:
    Utf8ThreadLocale() {
        for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
            m_locale = ::newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
            if (m_locale != static_cast<locale_t>(nullptr))
                break;
        }
        if (m_locale != static_cast<locale_t>(nullptr))
            m_previous = ::uselocale(m_locale);
    }
    ~Utf8ThreadLocale() {
        if (m_locale == static_cast<locale_t>(nullptr))
            return;
        ::uselocale(m_previous);
        ::freelocale(m_locale);
    }
    Utf8ThreadLocale(const Utf8ThreadLocale&) = delete;
    Utf8ThreadLocale& operator=(const Utf8ThreadLocale&) = delete;

private:
    locale_t m_locale = static_cast<locale_t>(nullptr);
    locale_t m_previous = static_cast<locale_t>(nullptr);
};

// Only the reader that works from the central directory at the archive's end: an
// archive without one is cut short, and extracting what precedes the cut would report
// an incomplete firmware as complete.
// The archive itself is opened without following a link: the package on the stick is
// read as the file the download left there, not as whatever a link put in its place
// points to.
Reader openReader(const ArchiveLibrary& lib, const QString& path, PassphraseState* state,
                  std::size_t readBytes, platform::StickWriter* stick = nullptr) {
    const int fd = stick != nullptr
                       ? stick->openForReading(path, nullptr)
                       : ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    Reader reader(lib.read_new(), ReadFree{&lib, fd});
    if (!reader) {
        ::close(fd);
        return nullptr;
    }
    lib.read_support_format_zip_seekable(reader.get());
    // Names without the UTF-8 flag are code page 437. Where the C library cannot
    // convert it, they come through as raw bytes and memberName() converts them.
    lib.read_set_format_option(reader.get(), "zip", "hdrcharset", "CP437");
    if (state != nullptr)
        lib.read_set_passphrase_callback(reader.get(), state, &passphrase);
    if (lib.read_open_fd(reader.get(), fd, readBytes) != ARCHIVE_OK)
        return nullptr;
    return reader;
}

int openFailureCode(const QString& path) {
    QFile file(path);
    if (QFileInfo(path).isSymLink() || !file.open(QIODevice::ReadOnly))
        return ArchiveNotFound;
    const QByteArray start = file.read(4);
    // Nothing but the end record: a valid archive without members, which the reader
    // does not take.
    if (start == QByteArrayLiteral("PK\x05\x06"))
        return Warning;
    // A local header at the start but no readable directory at the end: a cut archive.
    return start == QByteArrayLiteral("PK\x03\x04") ? UnexpectedEnd : ArchiveNotFound;
}

QString memberName(const ArchiveLibrary& lib, archive_entry* entry) {
    if (const char* utf8 = lib.entry_pathname_utf8(entry))
        return QString::fromUtf8(utf8);
    if (const char* raw = lib.entry_pathname(entry))
        return fromCodePage437(raw);
    return {};
}

bool errorSays(const ArchiveLibrary& lib, archive* reader, std::initializer_list<const char*> words) {
    const char* message = lib.error_string(reader);
    if (message == nullptr)
        return false;
    const QString text = QString::fromUtf8(message);
    for (const char* word : words)
        if (text.contains(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    return false;
}

// One member's outcome: its code, and whether the run cannot go on after it.
struct Step {
    int code = Ok;
    bool stop = false;
};

// What the look at every header finds before anything is written.
struct Survey {
    int selected = 0;
    int code = Ok;
    Failure failure; // the name the stick cannot hold, or the two names that would be one
};

class Extraction {
public:
    Extraction(const ArchiveLibrary& archive, const ExtractRequest& request, const ExtractHooks& hooks)
        : m_archive(archive), m_request(request), m_hooks(hooks), m_plan(request.plan),
          m_filter(request.include, request.exclude, request.plan.caseInsensitive), m_buffer(kBlockBytes) {
        m_passphrase.hooks = &hooks;
    }

    ExtractResult run();

private:
    Survey survey() const;
    Step member(archive_entry* entry, const QString& name);
    Step extractFile(archive_entry* entry, const QString& name);
    Step extractFolder(const QString& name);
    bool shouldWrite(archive_entry* entry, const QString& relative, const platform::StickEntry& existing);
    // Reads the member's data to its end; sink receives each block and may refuse it.
    Step readData(const std::function<Step(const char*, std::size_t)>& sink);
    Step readFailure(la_ssize_t status);
    Step writeFailure(const Failure& status, const QString& member);
    qint64 room() const;

    const ArchiveLibrary& m_archive;
    const ExtractRequest& m_request;
    const ExtractHooks& m_hooks;
    const Plan m_plan;
    const MemberFilter m_filter;
    std::vector<char> m_buffer;
    PassphraseState m_passphrase;
    Reader m_reader;
    std::unique_ptr<platform::StickWriter> m_ownStick;
    platform::StickWriter* m_stick = nullptr;
    QString m_folder;
    // Below the writer's root, with a trailing '/' unless it is the root itself.
    QString m_prefix;
    ExtractResult m_result;
    quint32 m_crc = 0;
    qint64 m_read = 0;
    qint64 m_written = 0;
    qint64 m_givenBack = 0;
    bool m_overwriteNone = false;
};

ExtractResult Extraction::run() {
    const Utf8ThreadLocale utf8Names;
    if (m_request.stick != nullptr) {
        m_stick = m_request.stick;
        m_prefix = m_request.extractFolder.isEmpty() ? QString() : m_request.extractFolder + u'/';
        if (m_plan.mode == Mode::Extract && !m_prefix.isEmpty() &&
            m_stick->entry(m_request.extractFolder).kind != platform::StickEntry::Kind::Folder) {
            m_result.failure = {FailureKind::StickGone};
            m_result.code = codeOf(m_result.failure.kind);
            return std::move(m_result);
        }
    } else if (m_plan.mode == Mode::Extract) {
        // Never created: a missing folder is usually a stick that is gone, and creating
        // it would write onto the disk below the mount point.
        m_folder = m_request.extractFolder.isEmpty() ? QDir::currentPath() : m_request.extractFolder;
        m_ownStick = std::make_unique<platform::StickWriter>(m_folder, m_request.resolution);
        m_stick = m_ownStick.get();
        if (!m_stick->rootStatus().ok()) {
            m_result.failure = m_stick->rootStatus();
            m_result.code = codeOf(m_result.failure.kind);
            return std::move(m_result);
        }
        m_folder = QFileInfo(m_folder).canonicalFilePath();
    }
    m_reader =
        openReader(m_archive, m_request.archivePath, &m_passphrase, kArchiveReadBytes, m_request.stick);
    if (!m_reader) {
        m_result.code = openFailureCode(m_request.archivePath);
        return std::move(m_result);
    }

    // Names the stick cannot hold are refused before the first byte is written.
    const Survey found = survey();
    if (found.code != Ok) {
        m_result.code = found.code;
        m_result.failure = found.failure;
        return std::move(m_result);
    }
    const int total = found.selected;
    int members = 0;
    int done = 0;
    int code = Ok;
    for (;;) {
        archive_entry* entry = nullptr;
        const int status = m_archive.read_next_header(m_reader.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN) {
            code = worse(code, errorSays(m_archive, m_reader.get(), {"truncated", "premature"})
                                   ? UnexpectedEnd
                                   : SeverelyDamaged);
            break;
        }
        ++members;
        const QString name = memberName(m_archive, entry);
        if (!m_filter.isSelected(name))
            continue;
        m_passphrase.refused = false;
        const Step step = member(entry, name);
        code = worse(code, step.code);
        ++done;
        if (m_hooks.onMember)
            m_hooks.onMember(done, std::max(done, total));
        if (step.stop)
            break;
    }
    if (members == 0)
        code = worse(code, Warning);
    else if (done == 0)
        code = worse(code, NoMatchingMembers);
    m_result.code = code;
    return std::move(m_result);
}

Survey Extraction::survey() const {
    const Reader reader =
        openReader(m_archive, m_request.archivePath, nullptr, kHeaderReadBytes, m_request.stick);
    const bool extract = m_plan.mode == Mode::Extract;
    const bool fat = extract && m_request.fatNames;
    Survey found;
    // The target as the file system compares it (composed, and case-folded on FAT) -> the
    // member that takes it: two members that would land in one file are refused.
    QHash<QString, QString> taken;
    archive_entry* entry = nullptr;
    while (reader) {
        const int status = m_archive.read_next_header(reader.get(), &entry);
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN)
            break;
        const QString name = memberName(m_archive, entry);
        if (!m_filter.isSelected(name))
            continue;
        ++found.selected;
        if (!extract || found.code != Ok)
            continue;
        const mode_t type = m_archive.entry_filetype(entry);
        const std::optional<QString> relative =
            targetRelativePath(name, m_plan.recreateFolders || type == AE_IFDIR, m_plan.spacesToUnderscores);
        if (!relative || (type != AE_IFREG && type != AE_IFDIR))
            continue;
        const FatName problem = fat ? fatNameProblem(*relative) : FatName::Fits;
        if (problem != FatName::Fits) {
            found.code = problem == FatName::TooLong ? PathTooLong : BadName;
            found.failure = {problem == FatName::TooLong ? FailureKind::StickNameTooLong
                                                         : FailureKind::StickBadName,
                             name};
            continue;
        }
        if (type != AE_IFREG)
            continue;
        QString key = relative->normalized(QString::NormalizationForm_C);
        if (fat)
            key = key.toCaseFolded();
        const auto first = taken.constFind(key);
        if (first == taken.constEnd()) {
            taken.insert(key, *relative);
        } else {
            found.code = NameClash;
            found.failure = {FailureKind::StickNameClash, *first, *relative};
        }
    }
    return found;
}

Step Extraction::member(archive_entry* entry, const QString& name) {
    const mode_t type = m_archive.entry_filetype(entry);
    if (m_plan.mode == Mode::List)
        return {};
    if (type == AE_IFDIR)
        return m_plan.mode == Mode::Extract ? extractFolder(name) : Step{};
    // Links, devices and the like are refused outright: a firmware package has no use
    // for them, and a link could point anywhere.
    if (type != AE_IFREG)
        return {Warning, false};
    switch (m_plan.mode) {
    case Mode::Test:
        return readData([](const char*, std::size_t) { return Step{}; });
    case Mode::ToStandardOutput: {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly))
            return {DiskFull, true};
        return readData([&out](const char* data, std::size_t size) {
            return out.write(data, static_cast<qint64>(size)) == static_cast<qint64>(size)
                       ? Step{}
                       : Step{DiskFull, true};
        });
    }
    default:
        return extractFile(entry, name);
    }
}

Step Extraction::extractFolder(const QString& name) {
    if (!m_plan.recreateFolders)
        return {};
    const std::optional<QString> relative = targetRelativePath(name, true, m_plan.spacesToUnderscores);
    if (!relative)
        return {Warning, false};
    const Failure made = m_stick->makeFolders(m_prefix + *relative);
    return made.ok() ? Step{} : writeFailure(made, name);
}

Step Extraction::extractFile(archive_entry* entry, const QString& name) {
    const std::optional<QString> relative =
        targetRelativePath(name, m_plan.recreateFolders, m_plan.spacesToUnderscores);
    if (!relative)
        return {Warning, false};
    // Looked at without following a link: a link's target is not the stick's room.
    const QString target = m_prefix + *relative;
    const platform::StickEntry existing = m_stick->entry(target);
    if (!shouldWrite(entry, *relative, existing))
        return {};
    // The header's size may lie, so the bytes are counted as they come too; but a member
    // that announces more than there is room for is not started at all.
    if (m_archive.entry_size_is_set(entry) && m_archive.entry_size(entry) > room())
        return writeFailure(platform::stickFailure(FailureKind::StickNoSpace, *relative, ENOSPC), name);

    const qint64 replacedBytes = existing.kind == platform::StickEntry::Kind::File ? existing.size : 0;
    platform::StickFile file = m_stick->create(target);
    if (!file.isOpen())
        return writeFailure(file.status(), name);
    const qint64 writtenBefore = m_written;
    Step step = readData([&](const char* data, std::size_t size) {
        if (static_cast<qint64>(size) > room())
            return writeFailure(platform::stickFailure(FailureKind::StickNoSpace, *relative, ENOSPC), name);
        m_written += static_cast<qint64>(size);
        const Failure wrote = file.write(data, size);
        return wrote.ok() ? Step{} : writeFailure(wrote, name);
    });
    if (step.code != Ok) {
        file.abandon();
        m_written = writtenBefore;
        return step;
    }
    const std::optional<std::time_t> mtime = m_archive.entry_mtime_is_set(entry)
                                                 ? std::optional<std::time_t>(m_archive.entry_mtime(entry))
                                                 : std::nullopt;
    const Failure committed = file.commit(mtime);
    if (!committed.ok()) {
        m_written = writtenBefore;
        return writeFailure(committed, name);
    }
    m_givenBack += replacedBytes;
    m_result.files.push_back(
        {m_request.stick != nullptr ? target : m_folder + u'/' + *relative, *relative, m_crc, m_read});
    return {};
}

bool Extraction::shouldWrite(archive_entry* entry, const QString& relative,
                             const platform::StickEntry& existing) {
    if (existing.kind == platform::StickEntry::Kind::Missing)
        return !m_plan.freshen;
    if (m_plan.newerOnly && m_archive.entry_mtime_is_set(entry) &&
        m_archive.entry_mtime(entry) <= existing.modified)
        return false;
    if (m_plan.overwriteWithoutAsking)
        return true;
    if (!m_plan.askBeforeOverwrite || m_overwriteNone || !m_hooks.askReplace)
        return false;
    const ReplaceAnswer answer = m_hooks.askReplace(QDir::toNativeSeparators(m_folder + u'/' + relative));
    if (answer == ReplaceAnswer::OverwriteNone)
        m_overwriteNone = true;
    return answer == ReplaceAnswer::Overwrite;
}

Step Extraction::readData(const std::function<Step(const char*, std::size_t)>& sink) {
    m_crc = static_cast<quint32>(crc32(0L, Z_NULL, 0));
    m_read = 0;
    for (;;) {
        const la_ssize_t got = m_archive.read_data(m_reader.get(), m_buffer.data(), m_buffer.size());
        if (got == 0)
            return {};
        if (got < 0)
            return readFailure(got);
        m_crc = static_cast<quint32>(
            crc32(m_crc, reinterpret_cast<const Bytef*>(m_buffer.data()), static_cast<uInt>(got)));
        m_read += got;
        const Step step = sink(m_buffer.data(), static_cast<std::size_t>(got));
        if (step.code != Ok)
            return step;
    }
}

Step Extraction::readFailure(la_ssize_t status) {
    const bool fatal = status == ARCHIVE_FATAL;
    if (m_passphrase.refused)
        return {WrongPassword, fatal};
    if (errorSays(m_archive, m_reader.get(), {"unsupported", "not supported"}))
        return {Unsupported, fatal};
    if (errorSays(m_archive, m_reader.get(), {"truncated", "premature"}))
        return {UnexpectedEnd, fatal};
    return {Damaged, fatal};
}

// A folder where a file goes (or the other way round) leaves that member out; every other
// failure of the stick ends the run, with the member and what happened kept for the message.
Step Extraction::writeFailure(const Failure& status, const QString& member) {
    if (status.kind == FailureKind::StickNotAFile)
        return {Warning, false};
    if (m_result.failure.ok()) {
        m_result.failure = status;
        m_result.failure.subject = member;
    }
    return {codeOf(status.kind), true};
}

qint64 Extraction::room() const {
    if (m_request.spaceLimitBytes < 0)
        return std::numeric_limits<qint64>::max();
    return m_request.spaceLimitBytes + m_givenBack - m_written;
}

} // namespace

std::optional<qint64> unpackedBytes(platform::StickWriter& stick, const QString& archiveName,
                                    qint64 clusterBytes) {
    const ArchiveLibrary* archive = archiveLibrary();
    if (archive == nullptr)
        return std::nullopt;
    const Utf8ThreadLocale utf8Names;
    const Reader reader = openReader(*archive, archiveName, nullptr, kHeaderReadBytes, &stick);
    if (!reader)
        return std::nullopt;
    const qint64 cluster = std::max<qint64>(clusterBytes, 1);
    qint64 total = 0;
    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive->read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF)
            return total;
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN)
            return std::nullopt;
        // A file takes its size rounded up to whole clusters, a folder a cluster of its own.
        const mode_t type = archive->entry_filetype(entry);
        const qint64 size = type == AE_IFREG && archive->entry_size_is_set(entry)
                                ? std::max<qint64>(archive->entry_size(entry), 0)
                                : (type == AE_IFDIR ? 1 : 0);
        total += (size + cluster - 1) / cluster * cluster;
    }
}

ExtractResult extractArchive(const ExtractRequest& request, const ExtractHooks& hooks) {
    // Without libarchive this build can read no archive at all: the run fails before
    // anything is written, with the code of a member this build cannot read.
    const ArchiveLibrary* archive = archiveLibrary();
    if (archive == nullptr) {
        ExtractResult result;
        result.code = Unsupported;
        return result;
    }
    return Extraction(*archive, request, hooks).run();
}

} // namespace norvane::unzip
