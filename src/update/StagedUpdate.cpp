#include "update/StagedUpdate.h"

#include <QRegularExpression>

#include <cerrno>
#include <unistd.h>

namespace norvane {

namespace {

using platform::StickEntry;
using platform::StickStatus;

const QByteArray kRecordHeader = QByteArrayLiteral("norvane-update-commit 1");
const QByteArray kRecordEnd = QByteArrayLiteral("end ");
// A record is a list of names; anything longer is not one of ours.
constexpr int kMaxRecordBytes = 4 * 1024 * 1024;

bool isSafeName(const QString& name) {
    if (name.isEmpty() || name.startsWith(u'/') || name == kCommitRecord)
        return false;
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == u'\\')
            return false;
    const QStringList parts = name.split(u'/');
    if (parts.first() == kStagingFolder)
        return false;
    return std::none_of(parts.begin(), parts.end(),
                        [](const QString& part) { return part.isEmpty() || part == u"." || part == u".."; });
}

QByteArray readSmallFile(platform::StickSession& session, const QString& name, StickStatus* status) {
    const int fd = session.writer().openForReading(name, status);
    if (fd < 0)
        return {};
    QByteArray text;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || text.size() + got > kMaxRecordBytes) {
            if (got != 0)
                text.clear();
            break;
        }
        text.append(buffer, got);
    }
    ::close(fd);
    return text;
}

// Every folder on the way to name, then name itself.
QStringList waysTo(const QString& name) {
    QStringList ways;
    const QStringList parts = name.split(u'/');
    for (qsizetype i = 1; i <= parts.size(); ++i)
        ways << parts.mid(0, i).join(u'/');
    return ways;
}

} // namespace

QByteArray commitRecordText(const QStringList& targets) {
    QByteArray text = kRecordHeader + '\n';
    for (const QString& target : targets)
        text += target.toUtf8() + '\n';
    text += kRecordEnd + QByteArray::number(targets.size()) + '\n';
    return text;
}

std::optional<QStringList> parseCommitRecord(const QByteArray& text) {
    if (!text.endsWith('\n'))
        return std::nullopt;
    QList<QByteArray> lines = text.chopped(1).split('\n');
    if (lines.size() < 2 || lines.first() != kRecordHeader || !lines.last().startsWith(kRecordEnd))
        return std::nullopt;
    bool number = false;
    const QByteArray count = lines.last().mid(kRecordEnd.size());
    if (count.startsWith('+') || count.startsWith('-') || count.toLongLong(&number) != lines.size() - 2 ||
        !number)
        return std::nullopt;
    QStringList targets;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QString name = QString::fromUtf8(lines[i]);
        if (!isSafeName(name) || name.toUtf8() != lines[i])
            return std::nullopt;
        targets << name;
    }
    return targets;
}

bool isWriterTemporaryName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^\\.~nvw[0-9]{1,10}-[0-9]{1,10}\\.tmp$"));
    return pattern.match(name).hasMatch();
}

QString StagedUpdate::staged(const QString& target) {
    return kStagingFolder + u'/' + target;
}

QString StagedUpdate::targetOf(const QString& name) {
    const QString prefix = kStagingFolder + u'/';
    return name.startsWith(prefix) ? name.mid(prefix.size()) : name;
}

StickStatus StagedUpdate::prepare() {
    if (const StickStatus there = m_session.stillThere(); !there.ok())
        return there;
    const StickEntry::Kind kind = m_session.writer().entry(kStagingFolder).kind;
    if (kind == StickEntry::Kind::Link)
        return {ELOOP, kStagingFolder, platform::StickFault::Link};
    if (kind == StickEntry::Kind::File || kind == StickEntry::Kind::Other)
        return {EEXIST, kStagingFolder, platform::StickFault::NotAFile};
    // A folder left by an earlier run holds nothing that was committed.
    if (kind == StickEntry::Kind::Folder)
        if (const StickStatus removed = m_session.removeTree(kStagingFolder); !removed.ok())
            return removed;
    return m_session.writer().makeFolders(kStagingFolder);
}

StickStatus StagedUpdate::verify(const QStringList& targets, QString* damaged) {
    if (const StickStatus there = m_session.stillThere(); !there.ok())
        return there;
    if (const StickStatus flushed = m_session.syncAll(); !flushed.ok())
        return {flushed.error, targetOf(flushed.name), flushed.fault};
    for (const QString& target : targets) {
        const std::optional<platform::WrittenFile> written = m_session.writer().writtenFile(staged(target));
        const platform::ReadBack back = m_session.readBack(staged(target));
        if (!back.status.ok())
            return {back.status.error, target, back.status.fault};
        if (!written || back.size != written->size || back.crc32 != written->crc32) {
            if (damaged != nullptr)
                *damaged = target;
            return {EIO, target, platform::StickFault::Other};
        }
    }
    return {};
}

// A target can take its staged file when nothing but folders lies on its way and nothing
// but a file (or nothing) at its name.
StickStatus StagedUpdate::placeable(const QString& target) {
    const QStringList ways = waysTo(target);
    for (const QString& way : ways) {
        const StickEntry::Kind kind = m_session.writer().entry(way).kind;
        const bool last = way == ways.last();
        if (kind == StickEntry::Kind::Missing)
            return {};
        if (kind == StickEntry::Kind::Link)
            return {ELOOP, way, platform::StickFault::Link};
        if (kind != (last ? StickEntry::Kind::File : StickEntry::Kind::Folder))
            return {last ? EISDIR : ENOTDIR, way, platform::StickFault::NotAFile};
    }
    return {};
}

StickStatus StagedUpdate::commit(const QStringList& targets, bool* recorded) {
    if (recorded != nullptr)
        *recorded = false;
    if (const StickStatus there = m_session.stillThere(); !there.ok())
        return there;
    QStringList moves;
    for (const QString& target : targets) {
        // A member named like the staging folder or the record is not put in their place.
        if (!isSafeName(target))
            return {EINVAL, target, platform::StickFault::BadName};
        if (const StickStatus fits = placeable(target); !fits.ok())
            return fits;
        if (m_session.writer().entry(target).kind == StickEntry::Kind::File &&
            m_session.sameBytes(staged(target), target))
            continue;
        moves << target;
    }
    // The record reaches the device before the first move, so a stick pulled during the
    // moves is completed on its next use, never left half old and half new.
    if (!moves.isEmpty()) {
        if (const StickStatus written = m_session.writeWhole(kCommitRecord, commitRecordText(moves));
            !written.ok())
            return written;
        if (recorded != nullptr)
            *recorded = true;
        if (const StickStatus flushed = m_session.syncFolder(QString()); !flushed.ok())
            return flushed;
    }
    for (const QString& target : moves)
        if (const StickStatus moved = m_session.move(staged(target), target); !moved.ok())
            return moved;
    // The moves reach the device before the record goes.
    if (const StickStatus flushed = m_session.syncAll(); !flushed.ok())
        return flushed;
    if (!moves.isEmpty())
        if (const StickStatus removed = m_session.remove(kCommitRecord); !removed.ok())
            return removed;
    if (const StickStatus removed = m_session.removeTree(kStagingFolder); !removed.ok())
        return removed;
    return m_session.syncAll();
}

void StagedUpdate::discard() {
    if (m_session.stillThere().ok())
        m_session.removeTree(kStagingFolder);
}

Recovery StagedUpdate::recover(platform::StickSession& session, std::optional<QStringList> sweepFolders) {
    Recovery done;
    if (done.status = session.stillThere(); !done.status.ok())
        return done;
    platform::StickWriter& writer = session.writer();
    const StickEntry::Kind record = writer.entry(kCommitRecord).kind;
    if (record == StickEntry::Kind::File) {
        const std::optional<QStringList> targets =
            parseCommitRecord(readSmallFile(session, kCommitRecord, nullptr));
        for (const QString& target : targets.value_or(QStringList())) {
            if (writer.entry(staged(target)).kind != StickEntry::Kind::File)
                continue; // moved before the run ended
            if (done.status = session.move(staged(target), target); !done.status.ok())
                return done; // the record stays for the next time
            ++done.completed;
        }
        done.discarded = !targets.has_value();
        if (done.status = session.syncAll(); !done.status.ok())
            return done;
        if (done.status = session.remove(kCommitRecord); !done.status.ok())
            return done;
        if (done.status = session.removeTree(kStagingFolder); done.status.ok())
            done.status = session.syncAll();
    } else if (writer.entry(kStagingFolder).kind == StickEntry::Kind::Folder) {
        done.discarded = true;
        done.status = session.removeTree(kStagingFolder);
    }
    if (done.status.ok() && sweepFolders)
        done.strays = sweep(session, QStringList{QString()} + *sweepFolders);
    return done;
}

int StagedUpdate::sweep(platform::StickSession& session, QStringList folders) {
    folders.removeDuplicates();
    int removed = 0;
    for (const QString& folder : std::as_const(folders)) {
        for (const QString& name : session.entries(folder)) {
            const QString path = folder.isEmpty() ? name : folder + u'/' + name;
            if (isWriterTemporaryName(name) && session.writer().entry(path).kind == StickEntry::Kind::File &&
                session.remove(path).ok())
                ++removed;
        }
    }
    return removed;
}

} // namespace norvane
