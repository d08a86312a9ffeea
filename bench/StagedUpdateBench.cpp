// The flushes of a staged update against the number of members: a stored package of
// 10, 100 and 1,000 small members is unpacked into the staging folder of a folder stick,
// read back and committed, and the fsync and syncfs calls are counted. On a real USB
// stick every flush is a round of small random writes to the FAT, so the count must not
// grow with the members. The reference in the same run: bsdtar unpacking the same
// package into a folder of the same file system.
//
//   bench_staged_update [folder]   (default: a temporary folder)

#include "BenchSupport.h"
#include "unzip/UnzipEngine.h"
#include "update/StagedUpdate.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace norvane;

constexpr qsizetype kMemberBytes = 2000;

QByteArray memberName(int member) {
    return "flash/part" + QByteArray::number(member).rightJustified(5, '0') + ".bin";
}

struct Round {
    bool ok = false;
    int flushes = 0;
    qint64 ms = 0;
};

Round stagedUpdate(const QString& stick, const QString& package) {
    Round round;
    QElapsedTimer clock;
    clock.start();
    platform::StickSession session(stick);
    StagedUpdate staging(session);
    if (!staging.prepare().ok() || !QFile::copy(package, stick + StagedUpdate::staged("fw.zip")))
        return round;
    unzip::ExtractRequest request;
    request.stick = &session.writer();
    request.archivePath = StagedUpdate::staged("fw.zip");
    request.extractFolder = kStagingFolder;
    request.plan.mode = unzip::Mode::Extract;
    request.plan.recreateFolders = request.plan.overwriteWithoutAsking = true;
    const unzip::ExtractResult result = unzip::extractArchive(request, {});
    QStringList targets;
    for (const unzip::ExtractedFile& file : result.files)
        targets << file.name;
    round.ok = result.code == 0 && staging.verify(targets).ok() && staging.commit(targets).ok();
    round.flushes = session.flushCalls();
    round.ms = clock.elapsed();
    return round;
}

qint64 bsdtar(const QString& folder, const QString& package) {
    QDir().mkpath(folder);
    QElapsedTimer clock;
    clock.start();
    QProcess tar;
    tar.start(QStringLiteral("bsdtar"), {QStringLiteral("-xf"), package, QStringLiteral("-C"), folder});
    tar.waitForFinished(-1);
    QProcess::execute(QStringLiteral("sync"), {QStringLiteral("-f"), folder});
    return tar.exitCode() == 0 ? clock.elapsed() : -1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/bench-XXXXXX")
                                     : QDir::tempPath() + QStringLiteral("/bench-XXXXXX"));
    if (!temporary.isValid()) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    bool allOk = true;
    int firstFlushes = -1;
    std::printf("members  staged update        flushes  bsdtar + sync\n");
    for (const int members : {10, 100, 1000}) {
        const QString work = temporary.filePath(QString::number(members)) + u'/';
        const QString package = work + QStringLiteral("fw.zip");
        QDir().mkpath(work + QStringLiteral("stick"));
        if (!bench::writeStoredZip(package, members, memberName, [](int member) {
                return bench::incompressibleBytes(member, kMemberBytes);
            })) {
            std::fprintf(stderr, "cannot write the package\n");
            return 1;
        }
        const Round round = stagedUpdate(work + QStringLiteral("stick/"), package);
        const qint64 reference = bsdtar(work + QStringLiteral("tar"), package);
        std::printf("%7d  %6lld ms %-10s  %7d  %6lld ms\n", members, static_cast<long long>(round.ms),
                    round.ok ? "ok" : "FAILED", round.flushes, static_cast<long long>(reference));
        if (firstFlushes < 0)
            firstFlushes = round.flushes;
        allOk = allOk && round.ok && round.flushes == firstFlushes;
    }
    std::printf("flush calls independent of the number of members: %s\n", allOk ? "yes" : "NO");
    return allOk ? 0 : 1;
}
