#include "update/StagedUpdate.h"

#include <QRegularExpression>

#include <cerrno>
#include <unistd.h>

namespace norvane {

namespace {

using platform::StickEntry;

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

QByteArray readSmallFile(platform::StickSession& session, const QString& name, Failure* status) {
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

Failure StagedUpdate::prepare() {
    if (const Failure there = m_session.stillThere(); !there.ok())
        return there;
    const StickEntry::Kind kind = m_session.writer().entry(kStagingFolder).kind;
    if (kind == StickEntry::Kind::Link)
        return platform::stickFailure(FailureKind::StickLink, kStagingFolder, ELOOP);
    if (kind == StickEntry::Kind::File || kind == StickEntry::Kind::Other)
        return platform::stickFailure(FailureKind::StickNotAFile, kStagingFolder, EEXIST);
    // A folder left by an earlier run holds nothing that was committed.
    if (kind == StickEntry::Kind::Folder)
        if (const Failure removed = m_session.removeTree(kStagingFolder); !removed.ok())
            return removed;
    return m_session.writer().makeFolders(kStagingFolder);
}

Failure StagedUpdate::verify(const QStringList& targets) {
    if (const Failure there = m_session.stillThere(); !there.ok())
        return there;
    if (Failure flushed = m_session.syncAll(); !flushed.ok()) {
        flushed.subject = targetOf(flushed.subject);
        return flushed;
    }
    for (const QString& target : targets) {
        const std::optional<platform::WrittenFile> written = m_session.writer().writtenFile(staged(target));
        const platform::ReadBack back = m_session.readBack(staged(target));
        if (!back.status.ok()) {
            Failure failed = back.status;
            failed.subject = target;
            return failed;
        }
        if (!written || back.size != written->size || back.crc32 != written->crc32)
            return {FailureKind::StickDamaged, target};
    }
    return {};
}

// A target can take its staged file when nothing but folders lies on its way and nothing
// but a file (or nothing) at its name.
Failure StagedUpdate::placeable(const QString& target) {
    const QStringList ways = waysTo(target);
    for (const QString& way : ways) {
        const StickEntry::Kind kind = m_session.writer().entry(way).kind;
        const bool last = way == ways.last();
        if (kind == StickEntry::Kind::Missing)
            return {};
        if (kind == StickEntry::Kind::Link)
            return platform::stickFailure(FailureKind::StickLink, way, ELOOP);
        if (kind != (last ? StickEntry::Kind::File : StickEntry::Kind::Folder))
            return platform::stickFailure(FailureKind::StickNotAFile, way, last ? EISDIR : ENOTDIR);
    }
    return {};
}

Failure StagedUpdate::commit(const QStringList& targets, bool* recorded) {
    if (recorded != nullptr)
        *recorded = false;
    if (const Failure there = m_session.stillThere(); !there.ok())
        return there;
    QStringList moves;
    for (const QString& target : targets) {
        // A member named like the staging folder or the record is not put in their place.
        if (!isSafeName(target))
            return platform::stickFailure(FailureKind::StickBadName, target, EINVAL);
        if (const Failure fits = placeable(target); !fits.ok())
            return fits;
        if (m_session.writer().entry(target).kind == StickEntry::Kind::File &&
            m_session.sameBytes(staged(target), target))
            continue;
        moves << target;
    }
    // The record reaches the device before the first move, so a stick pulled during the
    // moves is completed on its next use, never left half old and half new.
    if (!moves.isEmpty()) {
        if (const Failure written = m_session.writeWhole(kCommitRecord, commitRecordText(moves));
            !written.ok())
            return written;
        if (recorded != nullptr)
            *recorded = true;
        if (const Failure flushed = m_session.syncFolder(QString()); !flushed.ok())
            return flushed;
    }
    for (const QString& target : moves)
        if (const Failure moved = m_session.move(staged(target), target); !moved.ok())
            return moved;
    // The moves reach the device before the record goes.
    if (const Failure flushed = m_session.syncAll(); !flushed.ok())
        return flushed;
    if (!moves.isEmpty())
        if (const Failure removed = m_session.remove(kCommitRecord); !removed.ok())
            return removed;
    if (const Failure removed = m_session.removeTree(kStagingFolder); !removed.ok())
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
