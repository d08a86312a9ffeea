// Staging, commit and recovery on the file systems real sticks carry, mounted through
// FUSE: FAT32 (fusefat, ASCII names: 8.3 and long names, lookups that ignore case, a
// move over an existing file, a full stick) and exFAT (exfat-fuse on a loop device,
// names with umlauts). Each case ends with the file system's own check.

#include "support/FileBytes.h"
#include "support/RawZip.h"
#include "support/TempDir.h"
#include "unzip/UnzipEngine.h"
#include "update/StagedUpdate.h"

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>

#include <unistd.h>

#include <gtest/gtest.h>

namespace norvane::test {
namespace {

using Files = QMap<QString, QByteArray>;

QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(60'000);
    if (exitCode != nullptr)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAll());
}

enum class Kind { Fat32, ExFat };

// A stick image mounted through FUSE for the life of the object.
class FuseStick {
public:
    FuseStick(Kind kind, int megabytes) : m_kind(kind), m_image(m_dir.filePath("stick.img")) {
        m_mount = m_dir.mkdir("mnt");
        int code = 0;
        if (kind == Kind::Fat32) {
            m_log += run("mkfs.fat", {"-F", "32", "-C", m_image, QString::number(megabytes * 1024)}, &code);
            m_device = m_image;
            // In the foreground, so that the check can wait until it has written everything
            // back and ended.
            if (code == 0) {
                m_fusefat.setStandardOutputFile(QProcess::nullDevice());
                m_fusefat.setStandardErrorFile(QProcess::nullDevice());
                m_fusefat.start("fusefat", {"-f", "-o", "rw+", m_image, m_mount});
                code = waitForMount() ? 0 : 1;
            }
        } else {
            m_log += run("truncate", {"-s", QString::number(megabytes) + "M", m_image}, &code);
            m_log += run("mkfs.exfat", {m_image}, &code);
            m_device = run("losetup", {"-f", "--show", m_image}, &code).trimmed();
            if (code == 0)
                m_log += run("mount.exfat-fuse", {m_device, m_mount}, &code);
            else
                m_device.clear();
        }
        m_mounted = code == 0;
    }
    ~FuseStick() {
        unmount();
        if (m_kind == Kind::ExFat && !m_device.isEmpty())
            run("losetup", {"-d", m_device});
    }
    bool mounted() const { return m_mounted; }
    const QString& log() const { return m_log; }
    QString path() const { return m_mount; }
    void unmount() {
        if (m_mounted)
            run("fusermount", {"-u", m_mount});
        if (m_fusefat.state() != QProcess::NotRunning && !m_fusefat.waitForFinished(30'000))
            m_fusefat.kill();
        m_mounted = false;
    }
    // Unmounts and runs the file system's check without changing anything; its output
    // when it finds a fault.
    std::string check() {
        unmount();
        int code = 0;
        const QString said = m_kind == Kind::Fat32 ? run("fsck.fat", {"-n", m_image}, &code)
                                                   : run("fsck.exfat", {"-n", m_device}, &code);
        return code == 0 ? std::string() : said.toStdString();
    }

private:
    bool waitForMount() {
        for (int tries = 0; tries < 200; ++tries) {
            QFile mounts(QStringLiteral("/proc/self/mountinfo"));
            if (mounts.open(QIODevice::ReadOnly) &&
                mounts.readAll().contains(" " + QFile::encodeName(m_mount.chopped(1)) + " "))
                return true;
            if (m_fusefat.state() == QProcess::NotRunning)
                return false;
            ::usleep(50'000);
        }
        return false;
    }

    QProcess m_fusefat;
    Kind m_kind;
    TempDir m_dir;
    QString m_image, m_mount, m_device, m_log;
    bool m_mounted = false;
};

void write(const QString& root, const Files& files) {
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QDir(root).mkpath(QFileInfo(root + it.key()).path());
        QFile file(root + it.key());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << it.key().toStdString();
        file.write(*it);
    }
}

// Stages the files (through the writer) and commits them; the first failure.
Failure update(const QString& root, const Files& files) {
    platform::StickSession session(root);
    StagedUpdate staging(session);
    if (Failure prepared = staging.prepare(); !prepared.ok())
        return prepared;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        platform::StickFile file = session.writer().create(StagedUpdate::staged(it.key()));
        Failure done = file.write(it->constData(), std::size_t(it->size()));
        if (done.ok())
            done = file.commit();
        if (!done.ok()) {
            staging.discard();
            return done;
        }
    }
    QStringList names = files.keys();
    if (Failure verified = staging.verify(names); !verified.ok())
        return verified;
    return staging.commit(names);
}

bool fuseAvailable(std::string* why) {
    if (::access("/dev/fuse", R_OK | W_OK) != 0)
        *why = "/dev/fuse is missing or not usable here";
    else if (::geteuid() != 0)
        *why = "mounting stick images needs root";
    return why->empty();
}

class StickFileSystems : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        std::string why;
        if (!fuseAvailable(&why))
            GTEST_SKIP() << why;
    }
};

TEST_P(StickFileSystems, StagingCommitAndRecoveryKeepOneWholeSet) {
    FuseStick stick(GetParam(), 40);
    ASSERT_TRUE(stick.mounted()) << stick.log().toStdString();
    const QString root = stick.path();
    const bool fat = GetParam() == Kind::Fat32;
    // 8.3 and long names; on FAT the old autorun file is spelt in capitals.
    const Files old{{fat ? "AUTORUN.INF" : "autorun.inf", "old autorun"},
                    {"flash/a.bin", "old a"},
                    {"flash/long firmware name.bin", "old long"},
                    {"flash/c.bin", "old c, not in the new package"}};
    write(root, old);
    Files fresh{{"autorun.inf", "new autorun"},
                {"flash/a.bin", "new a"},
                {"flash/long firmware name.bin", "new long"}};
    if (!fat)
        fresh.insert("Kanäle/Österreich.txt", "Senderliste");
    ASSERT_TRUE(update(root, fresh).ok());
    Files expected = fresh;
    expected.insert("flash/c.bin", "old c, not in the new package");
    EXPECT_EQ(filesBelow(root), expected);

    // A run that ended after its record: the next use completes it.
    const Files newer{{"autorun.inf", "newer autorun"}, {"flash/a.bin", "newer a"}};
    Files staged;
    for (auto it = newer.cbegin(); it != newer.cend(); ++it)
        staged.insert(StagedUpdate::staged(it.key()), *it);
    staged.insert(kCommitRecord, commitRecordText(newer.keys()));
    staged.insert("flash/.~nvw12-1.tmp", "cut");
    write(root, staged);
    {
        platform::StickSession session(root);
        EXPECT_EQ(StagedUpdate::recover(session, QStringList{"flash"}).completed, 2);
    }
    expected.insert("autorun.inf", "newer autorun");
    expected.insert("flash/a.bin", "newer a");
    EXPECT_EQ(filesBelow(root), expected);
    EXPECT_EQ(stick.check(), "");
}

TEST_P(StickFileSystems, AFullStickKeepsItsEarlierFiles) {
    FuseStick stick(GetParam(), 40);
    ASSERT_TRUE(stick.mounted()) << stick.log().toStdString();
    const QString root = stick.path();
    const Files old{{"autorun.inf", "old autorun"}, {"flash/a.bin", QByteArray(512 * 1024, 'o')}};
    write(root, old);
    // Fill the stick, then leave a megabyte: room for the staging folder, not for the update.
    const QByteArray block(1024 * 1024, 'f');
    qint64 fits = 0;
    {
        QFile probe(root + "filler.bin");
        ASSERT_TRUE(probe.open(QIODevice::WriteOnly));
        while (probe.write(block) == block.size() && probe.flush())
            fits += block.size();
    }
    ASSERT_TRUE(QFile::remove(root + "filler.bin"));
    write(root, {{"filler.bin", QByteArray(fits - block.size(), 'f')}});
    Files expected = old;
    expected.insert("filler.bin", fileBytes(root + "filler.bin"));

    const Failure refused =
        update(root, {{"autorun.inf", "new"}, {"flash/a.bin", QByteArray(4 * 1024 * 1024, 'n')}});
    // fusefat tells a full disk as EPERM, which reads as a write-protected stick.
    EXPECT_EQ(refused.kind,
              GetParam() == Kind::Fat32 ? FailureKind::StickReadOnly : FailureKind::StickNoSpace);
    EXPECT_EQ(filesBelow(root), expected);
    EXPECT_EQ(stick.check(), "");
}

TEST_P(StickFileSystems, TheArchiveIsUnpackedIntoTheStagingFolder) {
    FuseStick stick(GetParam(), 40);
    ASSERT_TRUE(stick.mounted()) << stick.log().toStdString();
    const bool fat = GetParam() == Kind::Fat32;
    TempDir source;
    std::vector<RawMember> members{{"flash/a.bin", true, "A"}, {"LOADER.CFG", false, "L"}};
    if (!fat)
        members.push_back({QStringLiteral("Kanäle/Liste.txt").toUtf8(), true, "K"});
    writeRawZip(source.filePath("fw.zip"), members);
    write(stick.path(), {{StagedUpdate::staged("fw.zip"), fileBytes(source.filePath("fw.zip"))}});

    {
        platform::StickSession session(stick.path());
        unzip::ExtractRequest request;
        request.stick = &session.writer();
        request.archivePath = StagedUpdate::staged("fw.zip");
        request.extractFolder = kStagingFolder;
        request.plan.mode = unzip::Mode::Extract;
        request.plan.recreateFolders = request.plan.overwriteWithoutAsking = true;
        request.fatNames = true;
        const unzip::ExtractResult result = unzip::extractArchive(request, {});
        ASSERT_EQ(result.code, 0);
        QStringList targets;
        for (const unzip::ExtractedFile& file : result.files)
            targets << file.name;
        StagedUpdate staging(session);
        ASSERT_TRUE(staging.verify(targets).ok());
        ASSERT_TRUE(staging.commit(targets).ok());
    } // the session lets go of the stick before it is unmounted
    Files expected{{"flash/a.bin", "A"}, {"LOADER.CFG", "L"}};
    if (!fat)
        expected.insert("Kanäle/Liste.txt", "K");
    EXPECT_EQ(filesBelow(stick.path()), expected);
    EXPECT_EQ(stick.check(), "");
}

INSTANTIATE_TEST_SUITE_P(FuseMounted, StickFileSystems, ::testing::Values(Kind::Fat32, Kind::ExFat),
                         [](const auto& info) { return info.param == Kind::Fat32 ? "FAT32" : "exFAT"; });

} // namespace
} // namespace norvane::test
