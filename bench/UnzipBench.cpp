// Time to unpack a 200 MB archive of 2,000 members: UnzipArchive (worker thread, local
// event loop, temporary names, CRC-32) against bsdtar -xf into the same kind of folder,
// in the same run, alternating, and the ratio of the median times. The archive is made
// here with libarchive's writer and removed afterwards; its members are stored, as
// firmware images barely compress, so the archive really is 200 MB.
#include "BenchSupport.h"
#include "unzip/VBUnzBas.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int kMembers = 2000;
constexpr int kMemberBytes = 100 * 1000;
constexpr int kRounds = 3;

class SilentQuestions final : public norvane::unzip::Questions {
public:
    norvane::unzip::ReplaceAnswer askReplace(const QString&) override {
        return norvane::unzip::ReplaceAnswer::Keep;
    }
    std::optional<QString> askPassword() override { return {}; }
    void showResult(int code) override { std::fprintf(stderr, "UnzipArchive reported %d\n", code); }
};

QByteArray memberBytes(int member) {
    return norvane::bench::incompressibleBytes(member, kMemberBytes);
}

bool writeArchive(const QString& path) {
    return norvane::bench::writeStoredZip(
        path, kMembers,
        [](int i) { return "fw" + QByteArray::number(i % 20) + "/part" + QByteArray::number(i) + ".bin"; },
        memberBytes);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    const QString zip = work.filePath("bench.zip");
    std::fprintf(stderr, "Writing %d members of %d bytes ...\n", kMembers, kMemberBytes);
    if (!work.isValid() || !writeArchive(zip)) {
        std::fprintf(stderr, "cannot write the archive\n");
        return 1;
    }
    std::printf("archive: %lld bytes, %d members, %lld bytes unpacked\n",
                static_cast<long long>(QFile(zip).size()), kMembers,
                static_cast<long long>(kMembers) * kMemberBytes);

    SilentQuestions questions;
    std::vector<double> ours, reference;
    for (int round = 0; round < kRounds; ++round) {
        const QString mine = work.filePath("ours");
        const QString theirs = work.filePath("bsdtar");
        QDir().mkpath(mine);
        QDir().mkpath(theirs);

        norvane::VBUnzBas unz(questions);
        unz.UnzipOptions[9] = 1;
        unz.UnzipOptions[10] = 1;
        unz.archivePath = zip;
        unz.extractFolder = mine;
        QElapsedTimer timer;
        timer.start();
        const int code = unz.UnzipArchive();
        ours.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        const int bsdtar = QProcess::execute("bsdtar", {"-xf", zip, "-C", theirs});
        reference.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (code != 0 || bsdtar != 0 || unz.extractedFiles().size() != kMembers) {
            std::fprintf(stderr, "round %d failed: code %d, bsdtar %d\n", round, code, bsdtar);
            return 1;
        }
        QDir(mine).removeRecursively();
        QDir(theirs).removeRecursively();
    }
    const double a = median(ours);
    const double b = median(reference);
    std::printf("UnzipArchive    median %8.1f ms\n", a);
    std::printf("bsdtar -xf      median %8.1f ms\n", b);
    std::printf("ratio UnzipArchive / bsdtar: %.2f\n", a / b);
    return 0;
}
