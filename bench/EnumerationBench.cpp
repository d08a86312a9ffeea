// One full enumeration of the drive object (mp_GetDriveTyps, then the first
// drive-letter entry) on a recorded system with 48 mounted volumes and the
// usual pseudo file systems. Reference in the same run: the same drives reading
// the mount table and sysfs again for every per-root query.
#include "RecordedSystem.h"
#include "stick/cDrive.h"

#include <benchmark/benchmark.h>

namespace {

using norvane::test::RecordedSystem;

constexpr int removableCount = 32;
constexpr int fixedCount = 12;
constexpr int networkCount = 4;
constexpr int pseudoCount = 30;

const RecordedSystem& system48() {
    static const RecordedSystem* system = [] {
        auto* recorded = new RecordedSystem;
        int disk = 0;
        const auto addDisk = [&](bool removable) {
            const QString name =
                QStringLiteral("sd%1%2").arg(QChar(u'a' + disk / 26)).arg(QChar(u'a' + disk % 26));
            const QString number = recorded->addDisk(name, removable, removable, 8, disk * 16);
            ++disk;
            return std::pair{number,
                             QStringLiteral("/dev/") + name + (removable ? QStringLiteral("1") : QString())};
        };
        for (int i = 0; i < pseudoCount; ++i)
            recorded->mount(QStringLiteral("pseudo%1").arg(i), QStringLiteral("0:%1").arg(20 + i),
                            QStringLiteral("tmpfs"), QStringLiteral("tmpfs"));
        for (int i = 0; i < fixedCount; ++i) {
            const auto [number, source] = addDisk(false);
            recorded->mount(QStringLiteral("disk%1").arg(i), number, QStringLiteral("ext4"), source);
        }
        for (int i = 0; i < removableCount; ++i) {
            const auto [number, source] = addDisk(true);
            recorded->mount(QStringLiteral("stick%1").arg(i), number, QStringLiteral("vfat"), source);
        }
        for (int i = 0; i < networkCount; ++i)
            recorded->mount(QStringLiteral("nas%1").arg(i), QStringLiteral("0:%1").arg(80 + i),
                            QStringLiteral("nfs4"), QStringLiteral("nas:/export/%1").arg(i));
        return recorded;
    }();
    return *system;
}

void enumerate(benchmark::State& state, std::chrono::milliseconds snapshotLife) {
    const auto drives = system48().drives(nullptr, snapshotLife);
    for (auto _ : state) {
        norvane::cDrive drive(*drives);
        drive.mp_GetDriveTyps();
        const QString first = drive.p_GetDriveLetters(QStringLiteral("0"));
        if (first.isEmpty() || drive.p_GetDL_Count() != removableCount)
            state.SkipWithError("sticks not found");
        benchmark::DoNotOptimize(first.constData());
    }
}

void BM_Enumeration_Snapshot(benchmark::State& state) {
    enumerate(state, norvane::platform::SystemDrives::defaultSnapshotLife);
}
void BM_Enumeration_ReadPerQuery(benchmark::State& state) {
    enumerate(state, std::chrono::milliseconds(0));
}

BENCHMARK(BM_Enumeration_ReadPerQuery)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Enumeration_Snapshot)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
