// The console runner over real child processes: what is collected, what the
// child is given, that waiting lets events run without keeping a processor busy,
// and the messages of its failures.

#include "format/ConsoleRunner.h"
#include "FakeFormatter.h"
#include "platform/process/ConsoleProcess.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace norvane::test {
namespace {

struct ChildCase {
    const char* name;
    const char* script;
    const char* expected;
};

TEST(RunConsoleCommand, CollectsTheWholeStandardOutput) {
    const ChildCase cases[] = {
        {"prints nothing", "exit 0", ""},
        {"last line right before the end", "printf 'a\\r\\nlast line\\r\\n'; exit 3", "a\r\nlast line\r\n"},
        {"slow chunks, then ends at once",
         "i=0; while [ $i -lt 20 ]; do printf 'chunk %02d ' $i; head -c 2000 /dev/zero | tr '\\0' x; "
         "echo; sleep 0.02; i=$((i+1)); done; printf END",
         nullptr},
        {"answer on standard input, once", "cat; echo; cat", "y\n"},
        {"standard error is not collected", "echo out; echo err >&2", "out\n"},
        {"umlauts decoded", "printf 'Gr\\303\\266\\303\\237e'", "Größe"},
    };
    TempDir dir;
    platform::QtConsoleProcess process;
    for (const ChildCase& c : cases) {
        FakeDialogs dialogs;
        const QString program = writeScript(dir.filePath(QStringLiteral("Mein Ordner/child")), c.script);
        const QString output = RunConsoleCommand(process, dialogs, program, {});
        if (c.expected) {
            EXPECT_EQ(output, QString::fromUtf8(c.expected)) << c.name;
        } else {
            QString expected;
            for (int i = 0; i < 20; ++i)
                expected +=
                    QStringLiteral("chunk %1 ").arg(i, 2, 10, QLatin1Char('0')) + QString(2000, u'x') + u'\n';
            EXPECT_EQ(output, expected + QStringLiteral("END")) << c.name;
        }
        EXPECT_TRUE(dialogs.shown().empty()) << c.name;
    }
}

TEST(RunConsoleCommand, ArgumentsReachTheChildAsTheyAre) {
    TempDir dir;
    const QString program = writeScript(dir.filePath(QStringLiteral("Program Files/fat32format")),
                                        "for a; do echo \"[$a]\"; done");
    FakeDialogs dialogs;
    platform::QtConsoleProcess process;
    EXPECT_EQ(RunConsoleCommand(process, dialogs, program,
                                {QStringLiteral("-c64"), QStringLiteral("/media/anna/USB DISK; rm -rf x")}),
              QStringLiteral("[-c64]\n[/media/anna/USB DISK; rm -rf x]\n"));
}

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(RunConsoleCommand, WaitsWithoutBusyLoopWhileEventsRun) {
    TempDir dir;
    const QString program = writeScript(dir.filePath(QStringLiteral("slow")), "sleep 1; echo Done");
    int ticks = 0;
    QTimer timer;
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();

    FakeDialogs dialogs;
    platform::QtConsoleProcess process;
    const double before = processorSeconds();
    EXPECT_EQ(RunConsoleCommand(process, dialogs, program, {}), QStringLiteral("Done\n"));
    EXPECT_LT(processorSeconds() - before, 0.3) << "the wait keeps a processor busy";
    EXPECT_GE(ticks, 10) << "timers must keep firing while the child runs";
}

class ScriptedProcess final : public platform::ConsoleProcess {
public:
    explicit ScriptedProcess(platform::ConsoleOutcome outcome) : m_outcome(std::move(outcome)) {}
    platform::ConsoleOutcome run(const QString&, const QStringList&, const QByteArray&) override {
        return m_outcome;
    }

private:
    platform::ConsoleOutcome m_outcome;
};

TEST(RunConsoleCommand, FailuresAreToldInTheirOwnWords) {
    using platform::ConsoleStart;
    struct Case {
        platform::ConsoleOutcome outcome;
        QStringList messages;
        QString result;
    } cases[] = {
        {{ConsoleStart::PipeNotCreated, "ignored", 0}, {"Anonymous pipe could not be created!"}, ""},
        {{ConsoleStart::ProcessNotCreated, "", 0}, {"New process could not be created!"}, ""},
        {{ConsoleStart::Started, "Done", 2},
         {"Reading data from file failed!", "Reading data from file failed!"},
         "Done"},
    };
    for (const Case& c : cases) {
        ScriptedProcess process(c.outcome);
        FakeDialogs dialogs;
        EXPECT_EQ(RunConsoleCommand(process, dialogs, QStringLiteral("x"), {}), c.result);
        QStringList shown;
        for (const ShownMessage& message : dialogs.shown()) {
            shown << message.text;
            EXPECT_EQ(message.icon, platform::MessageIcon::Warning);
            EXPECT_EQ(message.buttons, platform::MessageButtons::Ok);
            EXPECT_TRUE(message.title.isEmpty()) << "the program's own title";
        }
        EXPECT_EQ(shown, c.messages);
    }

    // The real runner on a program that does not exist.
    platform::QtConsoleProcess real;
    FakeDialogs dialogs;
    EXPECT_EQ(RunConsoleCommand(real, dialogs, QStringLiteral("/nonexistent/fat32format"), {}), QString());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("New process could not be created!"));
}

} // namespace
} // namespace norvane::test
