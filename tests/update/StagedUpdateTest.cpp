// Staging, commit and recovery on a folder stick: the record's form, the order of
// flushes and moves, and a run ended at every step (and killed at random moments) that
// always leaves the earlier set whole or the new one whole, with nothing of the run left
// after the next start.

#include "update/StagedUpdate.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace norvane::test {
namespace {

using platform::StickSession;
using Files = QMap<QString, QByteArray>;

// An earlier firmware and a newer one with the same names plus more; autorun.inf last.
Files firmware(const QByteArray& version, int members) {
    Files files;
    for (int i = 0; i < members; ++i)
        files.insert(QStringLiteral("flash/part%1.bin").arg(i, 3, 10, QChar(u'0')),
                     version + QByteArray::number(i).repeated(40));
    files.insert("loader.cfg", version + " loader");
    files.insert("autorun.inf", version + " autorun");
    return files;
}

QStringList inOrder(const Files& files) {
    QStringList names = files.keys();
    names.removeOne("autorun.inf");
    return names << "autorun.inf";
}

void stageAndCommit(StickSession& session, const Files& files) {
    StagedUpdate update(session);
    ASSERT_TRUE(update.prepare().ok());
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        platform::StickFile file = session.writer().create(StagedUpdate::staged(it.key()));
        ASSERT_TRUE(file.write(it->constData(), std::size_t(it->size())).ok());
        ASSERT_TRUE(file.commit().ok());
    }
    ASSERT_TRUE(update.verify(inOrder(files)).ok());
    ASSERT_TRUE(update.commit(inOrder(files)).ok());
}

// Records each step that changes or flushes the stick; can end the process at step n as
// a crash would (nothing after it reaches the stick, nothing is cleaned up).
class RecordingSession final : public StickSession {
public:
    using StickSession::StickSession;
    QStringList steps;
    int crashAt = -1;

    Failure writeWhole(const QString& name, const QByteArray& content) override {
        step("write " + name);
        return StickSession::writeWhole(name, content);
    }
    Failure move(const QString& from, const QString& to) override {
        step("move " + to);
        return StickSession::move(from, to);
    }
    Failure remove(const QString& name) override {
        step("remove " + name);
        return StickSession::remove(name);
    }
    Failure removeTree(const QString& name) override {
        step("remove tree " + name);
        return StickSession::removeTree(name);
    }
    Failure syncAll() override {
        step("sync");
        return StickSession::syncAll();
    }
    Failure syncFolder(const QString& name) override {
        step("sync folder " + name);
        return StickSession::syncFolder(name);
    }

private:
    void step(const QString& what) {
        if (steps.size() == crashAt)
            ::_exit(0);
        steps << what;
    }
};

// In memory where the machine has it: killing a process loses no page cache, so the
// device's speed is beside the point, and a busy disk would only make the test slow.
const QString kInMemory = QStringLiteral("/dev/shm");

// What the stick holds after the next start's recovery: exactly the old set or the new one.
template <typename Dir>
void expectWholeAfterRecovery(const Dir& stick, const Files& old, const Files& fresh) {
    StickSession session(stick.path());
    const Recovery recovery = StagedUpdate::recover(session, QStringList{"flash"});
    EXPECT_TRUE(recovery.status.ok());
    const Files now = filesBelow(stick.path());
    EXPECT_TRUE(now == old || now == fresh) << QStringList(now.keys()).join(' ').toStdString();
}

TEST(StagedUpdate, TheCommitRecordIsWholeAndNamesOnlyTheStick) {
    const QByteArray good = commitRecordText({"a.bin", "Kanäle/b.bin"});
    EXPECT_EQ(parseCommitRecord(good), (QStringList{"a.bin", "Kanäle/b.bin"}));
    // clang-format off
    const QByteArray broken[] = {
        good.chopped(1),                                  // cut short
        good.left(good.size() / 2),
        commitRecordText({"a.bin"}).replace("end 1", "end 2"),
        commitRecordText({"../outside"}), commitRecordText({"/etc/passwd"}), commitRecordText({"a/./b"}),
        commitRecordText({".norvane-update/x"}), commitRecordText({".norvane-update.commit"}),
        commitRecordText({"a\\..\\b"}), "", "end 0\n",
    };
    // clang-format on
    for (const QByteArray& text : broken)
        EXPECT_FALSE(parseCommitRecord(text)) << text.toStdString();
    EXPECT_TRUE(isWriterTemporaryName(".~nvw1234-15.tmp"));
    EXPECT_FALSE(isWriterTemporaryName(".~nvw1234-15.tmp.keep"));
    EXPECT_FALSE(isWriterTemporaryName("~nvw1-1.tmp"));
}

TEST(StagedUpdate, TheRecordReachesTheDeviceBeforeTheFirstMoveAndTheMovesBeforeItGoes) {
    TempDir stick;
    const Files old = firmware("old", 2);
    for (auto it = old.cbegin(); it != old.cend(); ++it)
        stick.writeFile(it.key(), *it);
    stick.writeFile("loader.cfg", "new loader"); // identical: not moved
    Files fresh = firmware("new", 2);
    RecordingSession session(stick.path());
    stageAndCommit(session, fresh);
    EXPECT_EQ(session.steps,
              (QStringList{"sync", "write .norvane-update.commit", "sync folder ", "move flash/part000.bin",
                           "move flash/part001.bin", "move autorun.inf", "sync",
                           "remove .norvane-update.commit", "remove tree .norvane-update", "sync"}));
    EXPECT_EQ(filesBelow(stick.path()), fresh);
    // A constant number of flushes: the staging flush, the record, its folder, two after the moves.
    EXPECT_EQ(session.flushCalls(), 5);
}

TEST(StagedUpdate, ARunEndedAtAnyStepIsWholeAfterTheNextStart) {
    const Files old = firmware("old", 3), fresh = firmware("new", 4);
    for (int crashAt = 0;; ++crashAt) {
        SCOPED_TRACE(crashAt);
        TempDir stick;
        for (auto it = old.cbegin(); it != old.cend(); ++it)
            stick.writeFile(it.key(), *it);
        const pid_t child = ::fork();
        if (child == 0) {
            RecordingSession session(stick.path());
            session.crashAt = crashAt;
            stageAndCommit(session, fresh);
            ::_exit(1); // the whole run went through
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        expectWholeAfterRecovery(stick, old, fresh);
        if (WEXITSTATUS(status) == 1) {
            EXPECT_EQ(filesBelow(stick.path()), fresh);
            break;
        }
    }
}

TEST(StagedUpdate, AProgramKilledAtRandomMomentsLeavesOneWholeSet) {
    const Files old = firmware("old", 120), fresh = firmware("new", 121);
    TempDir timing(kInMemory);
    for (auto it = old.cbegin(); it != old.cend(); ++it)
        timing.writeFile(it.key(), *it);
    QElapsedTimer clock;
    clock.start();
    {
        StickSession session(timing.path());
        stageAndCommit(session, fresh);
    }
    const qint64 runMicroseconds = std::max<qint64>(clock.nsecsElapsed() / 1000, 1000);
    int oldSets = 0, newSets = 0;
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        TempDir stick(kInMemory);
        for (auto it = old.cbegin(); it != old.cend(); ++it)
            stick.writeFile(it.key(), *it);
        const pid_t child = ::fork();
        if (child == 0) {
            StickSession session(stick.path());
            stageAndCommit(session, fresh);
            ::_exit(0);
        }
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(runMicroseconds * 3 / 2)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        expectWholeAfterRecovery(stick, old, fresh);
        (filesBelow(stick.path()) == old ? oldSets : newSets)++;
    }
    // Both ends were seen, so kills fell before and after the commit.
    RecordProperty("old", oldSets);
    RecordProperty("new", newSets);
}

TEST(StagedUpdate, LeftoversAreCompletedOrRemovedWithoutTouchingAnythingElse) {
    const Files old = firmware("old", 2), fresh = firmware("new", 2);
    struct Case {
        const char* name;
        QByteArray record; // empty: none
        Files expected;
    } const cases[] = {
        {"staging folder without a record", {}, old},
        {"a whole record", commitRecordText(inOrder(fresh)), fresh},
        {"a record cut short", commitRecordText(inOrder(fresh)).chopped(3), old},
        {"a record naming a file outside the stick", commitRecordText({"../escape", "autorun.inf"}), old},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir stick;
        for (auto it = old.cbegin(); it != old.cend(); ++it)
            stick.writeFile(it.key(), *it);
        for (auto it = fresh.cbegin(); it != fresh.cend(); ++it)
            stick.writeFile(StagedUpdate::staged(it.key()), *it);
        stick.writeFile("flash/.~nvw77-3.tmp", "cut");
        if (!c.record.isEmpty())
            stick.writeFile(kCommitRecord, c.record);
        StickSession session(stick.path());
        EXPECT_TRUE(StagedUpdate::recover(session, QStringList{"flash"}).didSomething());
        EXPECT_EQ(filesBelow(stick.path()), c.expected);
    }
}

// Another file system mounted below the staging folder (or at it) is never entered: its
// files survive the removal of the leftovers.
TEST(StagedUpdate, AFileSystemMountedBelowTheStickIsLeftAlone) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a bind mount needs root";
    TempDir stick, elsewhere;
    elsewhere.writeFile("precious.txt", "keep");
    stick.writeFile(StagedUpdate::staged("flash/a.bin"), "staged");
    const QString mountPoint = stick.mkdir(StagedUpdate::staged("mounted"));
    ASSERT_EQ(QProcess::execute("mount", {"--bind", elsewhere.path(), mountPoint}), 0);
    {
        StickSession session(stick.path());
        StagedUpdate::recover(session);
        EXPECT_FALSE(session.writer().writeWhole(StagedUpdate::staged("mounted/new.txt"), "x").ok());
    }
    QProcess::execute("umount", {mountPoint});
    EXPECT_EQ(filesBelow(elsewhere.path()), (Files{{"precious.txt", "keep"}}));
}

TEST(StagedUpdate, AStagingNameTakenByAFileOrALinkIsRefusedAndNamed) {
    TempDir stick, elsewhere;
    stick.writeFile(kStagingFolder, "a file of the user's");
    StickSession session(stick.path());
    StagedUpdate update(session);
    Failure refused = update.prepare();
    EXPECT_EQ(refused.kind, FailureKind::StickNotAFile);
    EXPECT_EQ(refused.subject, kStagingFolder);
    EXPECT_EQ(fileBytes(stick.filePath(kStagingFolder)), "a file of the user's");

    ASSERT_TRUE(QFile::remove(stick.filePath(kStagingFolder)));
    ASSERT_TRUE(QFile::link(elsewhere.path(), stick.filePath(kStagingFolder)));
    refused = update.prepare();
    EXPECT_EQ(refused.kind, FailureKind::StickLink);
    EXPECT_EQ(refused.subject, kStagingFolder);
    EXPECT_TRUE(QFileInfo(stick.filePath(kStagingFolder)).isSymLink());
}

} // namespace
} // namespace norvane::test
