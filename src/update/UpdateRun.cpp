#include "update/UpdateRun.h"

#include "platform/WorkerThread.h"
#include "platform/drives/Drives.h"
#include "platform/files/StickSession.h"
#include "update/ServerUrls.h"
#include "update/StickCopy.h"

#include <algorithm>
#include <climits>
#include <limits>

namespace norvane {

namespace {

constexpr qint64 kServerTextLimit = 1024 * 1024; // the catalogue of the connection check
constexpr qint64 kMegabyte = 1024 * 1024;

// Runs a step that waits on the device (flushes, read-backs, moves) on a worker, so the
// window keeps repainting meanwhile.
template <typename Step> auto onWorker(Step&& step) {
    decltype(step()) result{};
    platform::runOnWorkerAndWait([&] { result = step(); });
    return result;
}

} // namespace

UpdateRun::UpdateRun(UpdateRunServices services, UpdatePlan plan)
    : m_(services), m_plan(std::move(plan)), m_staging(services.stick) {}

UpdateOutcome UpdateRun::run() {
    m_.view.refreshStickCapacity();
    m_.view.processPendingEvents();

    if (freeBytes() < kMinimumFreeBytes) {
        m_.view.tellFailure({FailureKind::UpdateBelowMinimum, m_plan.root}, RunEnd::NotStarted);
        return UpdateOutcome::NoRoom;
    }

    if (!m_.view.confirmUpdate(m_plan.firmName, m_plan.settName) || m_.view.windowClosed())
        return UpdateOutcome::NotConfirmed;

    const QString catalogue = downloadFileUrl(m_.serverAddress, QStringLiteral("usb-list.csv"));
    if (m_.downloads.OpenURL(catalogue, QStringLiteral("0"), 0, kServerTextLimit).isEmpty()) {
        m_.view.tellFailure({FailureKind::UpdateNoConnection, catalogue}, RunEnd::NotStarted);
        return UpdateOutcome::NoConnection;
    }

    // A signed server names every package it serves: one it does not name is refused
    // before anything is written.
    if (m_plan.digests) {
        for (const QString& file : {m_plan.firmFile, m_plan.settFile}) {
            if (!file.isEmpty() && !m_plan.digests->digestOf(file + QStringLiteral(".txt"))) {
                m_.view.tellFailure({FailureKind::PackageMismatch, file}, RunEnd::NothingChanged);
                m_.view.showRunPhase(RunPhase::Cancelled);
                return UpdateOutcome::NotSigned;
            }
        }
    }
    if (m_.view.windowClosed())
        return UpdateOutcome::Stopped;

    // What an earlier run left behind is finished or cleared first, so this run starts
    // from whole files.
    const Recovery recovered = onWorker([this] { return StagedUpdate::recover(m_.stick, QStringList()); });
    if (recovered.didSomething())
        m_.view.showRecovery(recovered);
    if (!recovered.status.ok())
        return refuseStick(recovered.status);
    return stageAndCommit();
}

UpdateOutcome UpdateRun::stageAndCommit() {
    if (const Failure prepared = m_staging.prepare(); !prepared.ok())
        return refuseStick(prepared);

    // The firmware is staged, unpacked and checked before the channel list is fetched.
    if (const UpdateOutcome fetched = fetchPackage(m_plan.firmFile, QStringLiteral("1"));
        fetched != UpdateOutcome::Done)
        return fetched;
    if (const UpdateOutcome unpacked = unpackFirmware(); unpacked != UpdateOutcome::Done)
        return unpacked;
    if (!m_plan.settFile.isEmpty())
        if (const UpdateOutcome fetched = fetchPackage(m_plan.settFile, QStringLiteral("2"));
            fetched != UpdateOutcome::Done)
            return fetched;

    m_.view.showRunPhase(RunPhase::Staged);
    m_.view.refreshStickCapacity();
    m_.view.processPendingEvents();
    for (const QString& name : {QStringLiteral("autorun.inf"), QStringLiteral("norvstick.ico")})
        if (const UpdateOutcome copied = copyFromProgramFolder(name); copied != UpdateOutcome::Done)
            return copied;
    return commit();
}

// Downloads one package into the staging folder, refusing it before the first byte when
// the server announces more than the stick can take.
UpdateOutcome UpdateRun::fetchPackage(const QString& file, const QString& kind) {
    if (stickGone())
        return refuseStick(platform::stickFailure(FailureKind::StickGone, QString(), ENODEV));
    m_.view.showRunProgress(0, -1);
    const qint64 room = freeBytes();
    // Hashed while it streams: a package that does not match its signed digest is dropped
    // before it takes its name in the staging folder.
    const QByteArray digest =
        m_plan.digests ? m_plan.digests->digestOf(file + QStringLiteral(".txt")).value_or(QByteArray())
                       : QByteArray();
    const FileDownloadResult result = m_.downloads.DownloadToFile(
        downloadFileUrl(m_.serverAddress, file + QStringLiteral(".txt")), kind, 0, m_.stick.writer(),
        StagedUpdate::staged(file), room,
        [this](qint64 received, qint64 total) { m_.view.showRunProgress(received, total); }, digest);
    m_.view.hideRunProgress();
    if (m_.view.windowClosed())
        return refuse(UpdateOutcome::Stopped, {});
    if (result.failure.kind == FailureKind::DownloadDigestMismatch)
        return refuse(UpdateOutcome::NotSigned, {FailureKind::PackageMismatch, file});
    if (result.failure.kind == FailureKind::DownloadTooLarge)
        return refuseRoom(m_stagedBytes + onClusters(result.announced > 0 ? result.announced : room + 1));
    if (!result.ok()) {
        // The stick's failure names the file in the staging folder; the user knows it by its own name.
        Failure why = result.failure;
        why.subject = StagedUpdate::targetOf(why.subject);
        discard();
        if (m_.view.windowClosed())
            return UpdateOutcome::Stopped;
        m_.view.showRunPhase(RunPhase::Cancelled);
        m_.view.tellDownloadFailed(file, why);
        return UpdateOutcome::DownloadFailed;
    }
    m_stagedBytes += onClusters(result.bytes);
    m_targets << file;
    return UpdateOutcome::Done;
}

// Unpacks the staged firmware package into the staging folder, after checking that its
// members fit beside everything already on the stick.
UpdateOutcome UpdateRun::unpackFirmware() {
    const QString archive = StagedUpdate::staged(m_plan.firmFile);
    if (stickGone())
        return refuseStick(platform::stickFailure(FailureKind::StickGone, QString(), ENODEV));
    const std::optional<qint64> unpacked =
        m_.extraction.unpackedBytes(m_.stick.writer(), archive, m_.stick.clusterBytes());
    if (unpacked && *unpacked > freeBytes())
        return refuseRoom(m_stagedBytes + *unpacked);

    unzip::Plan plan;
    plan.mode = unzip::Mode::Extract;
    plan.overwriteWithoutAsking = true;
    plan.recreateFolders = true;
    m_.view.showRunPhase(RunPhase::Unpacking);
    const Failure unpackedFailure =
        m_.extraction.extract(m_.stick.writer(), archive, kStagingFolder, plan, freeBytes(),
                              [this](int done, int total) { m_.view.showRunProgress(done, total); });
    m_.view.hideRunProgress();
    if (m_.view.windowClosed())
        return refuse(UpdateOutcome::Stopped, {});
    // The archive's result code has been shown; a damaged or refused package never
    // reaches the stick's files.
    if (unpackedFailure.kind == FailureKind::ArchiveFailed)
        return refuse(
            UpdateOutcome::Refused,
            {FailureKind::ArchiveFailed, m_plan.firmFile, {}, unpackedFailure.code, unpackedFailure.detail});
    if (!unpackedFailure.ok()) {
        Failure member = unpackedFailure;
        member.other = StagedUpdate::targetOf(member.other);
        return refuseStick(member);
    }
    QStringList members;
    for (const QString& name : m_.extraction.extractedFiles()) {
        members << StagedUpdate::targetOf(name);
        if (const auto written = m_.stick.writer().writtenFile(name))
            m_stagedBytes += onClusters(written->size);
    }
    // The package file stays on the stick next to its members.
    m_targets << members;
    // Temporary files an older version left in the members' folders go with this update.
    QStringList folders;
    for (const QString& member : std::as_const(members))
        if (const qsizetype slash = member.lastIndexOf(u'/'); slash > 0)
            folders << member.left(slash);
    folders.removeDuplicates();
    onWorker([&] { return StagedUpdate::sweep(m_.stick, folders); });
    return UpdateOutcome::Done;
}

UpdateOutcome UpdateRun::copyFromProgramFolder(const QString& name) {
    const Failure copied =
        copyToStick(m_.programFolder + name, m_.stick.writer(), StagedUpdate::staged(name));
    if (copied.kind == FailureKind::UpdateProgramFileMissing)
        return refuse(UpdateOutcome::Refused, {FailureKind::UpdateProgramFileMissing, name});
    if (!copied.ok())
        return refuseStick(copied);
    m_targets << name;
    return UpdateOutcome::Done;
}

UpdateOutcome UpdateRun::commit() {
    if (m_.view.windowClosed())
        return refuse(UpdateOutcome::Stopped, {});
    const Failure verified = onWorker([&] { return m_staging.verify(m_targets); });
    if (verified.kind == FailureKind::StickDamaged)
        return refuse(UpdateOutcome::Damaged, verified);
    if (!verified.ok())
        return refuseStick(verified);

    bool recorded = false;
    const Failure committed = onWorker([&] { return m_staging.commit(m_targets, &recorded); });
    if (!committed.ok() && !recorded)
        return refuseStick(committed);
    if (!committed.ok()) {
        // The record is on the stick: the next time the stick is used the update is finished.
        m_.view.tellFailure(named(committed), RunEnd::CompletedLater);
        return UpdateOutcome::Incomplete;
    }
    m_.view.refreshStickCapacity();
    if (m_.view.windowClosed())
        return UpdateOutcome::Stopped;
    m_.view.tellDone();
    m_.view.openWebPage(linkPageUrl(m_.serverAddress));
    return UpdateOutcome::Done;
}

void UpdateRun::discard() {
    onWorker([this] {
        m_staging.discard();
        return 0;
    });
    m_.view.hideRunProgress();
}

UpdateOutcome UpdateRun::refuse(UpdateOutcome outcome, const Failure& failure) {
    discard();
    if (outcome == UpdateOutcome::Stopped || m_.view.windowClosed())
        return UpdateOutcome::Stopped;
    m_.view.showRunPhase(RunPhase::Cancelled);
    m_.view.tellFailure(failure, RunEnd::NothingChanged);
    return outcome;
}

// The stick's failure with the name the user knows: without the staging folder, and the
// stick's root where it named nothing (a pulled stick is told without a name). The hidden
// staging folder itself is named only where a link or a file in its place is the fault.
Failure UpdateRun::named(Failure failure) const {
    failure.subject = StagedUpdate::targetOf(failure.subject);
    if (failure.subject == kStagingFolder && failure.kind != FailureKind::StickLink &&
        failure.kind != FailureKind::StickNotAFile)
        failure.subject.clear();
    if (failure.subject.isEmpty() && failure.kind != FailureKind::StickGone)
        failure.subject = m_plan.root;
    return failure;
}

UpdateOutcome UpdateRun::refuseStick(const Failure& failure) {
    if (failure.kind == FailureKind::StickNoSpace && StagedUpdate::targetOf(failure.subject).isEmpty())
        return refuseRoom(m_stagedBytes);
    return refuse(UpdateOutcome::Refused, named(failure));
}

UpdateOutcome UpdateRun::refuseRoom(qint64 neededBytes) {
    const qint64 megabytes = std::max<qint64>(1, (neededBytes + kMegabyte - 1) / kMegabyte);
    return refuse(UpdateOutcome::NoRoom, {FailureKind::UpdateNeedsRoom,
                                          m_plan.root,
                                          {},
                                          static_cast<int>(std::min<qint64>(megabytes, INT_MAX))});
}

// The root path no longer leads to the stick the run opened: it was pulled or unmounted.
bool UpdateRun::stickGone() {
    return !m_.stick.stillThere().ok();
}

// The bytes this user may still write onto the stick; 0 when it cannot be measured.
qint64 UpdateRun::freeBytes() const {
    const std::optional<platform::DiskSpace> space = m_.drives.diskSpace(m_plan.root);
    if (!space)
        return 0;
    return qint64(std::min<std::uint64_t>(space->availableBytes, std::numeric_limits<qint64>::max()));
}

qint64 UpdateRun::onClusters(qint64 bytes) const {
    const qint64 cluster = std::max<qint64>(m_.stick.clusterBytes(), 1);
    return (std::max<qint64>(bytes, 0) + cluster - 1) / cluster * cluster;
}

} // namespace norvane
