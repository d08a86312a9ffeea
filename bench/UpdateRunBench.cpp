// A whole update run in this process: the main window offscreen searches a loopback
// server for updates, then downloads a large firmware package onto a folder-backed
// stick, unpacks it, checks it and copies the autorun files. Run it under
// `/usr/bin/time -v` for the peak memory of the run.
//
//   bench_update_run [megabytes]   (default 200; the package holds one member per 100 kB)
//
// The package is stored without compression, so its size on the wire is the size given.
// The server streams every file from disk, so the process's memory is the program's own.
#include "BenchSupport.h"
#include "app/frmMain.h"
#include "platform/drives/FolderDrives.h"
#include "storage/basINI.h"
#include "support/FakeDialogs.h"
#include "support/FakeShell.h"
#include "support/ScopedEnvironment.h"
#include "update/catalogue/ProgramVersion.h"

#include <httplib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <memory>

namespace {

using namespace norvane;

constexpr qint64 kMemberBytes = 100'000;
const QString kPackage = QStringLiteral("Bench_Firmware.zip");

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Bytes that do not compress, as a real firmware image; the same for every run.
QByteArray memberBytes(int member) {
    return bench::incompressibleBytes(member, kMemberBytes);
}

QByteArray memberName(int member) {
    return "firmware/part" + QByteArray::number(member).rightJustified(5, '0') + ".bin";
}

bool writePackage(const QString& path, int members) {
    return bench::writeStoredZip(path, members, memberName, memberBytes);
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Serves the files of one folder under /norvane/download/, read from disk in blocks.
class FolderServer {
public:
    explicit FolderServer(QString folder) : m_folder(std::move(folder)) {
        m_server.Get(R"(/norvane/download/([A-Za-z0-9_.-]+))",
                     [this](const httplib::Request& req, httplib::Response& res) { answer(req, res); });
        m_running = std::make_unique<bench::ServerThread>(m_server);
    }
    QString url() const { return m_running->url(); }

private:
    void answer(const httplib::Request& req, httplib::Response& res) const {
        auto file = std::make_shared<QFile>(m_folder + u'/' + QString::fromStdString(req.matches[1].str()));
        if (req.matches[1].str().front() == '.' || !file->open(QIODevice::ReadOnly)) {
            res.status = 404;
            return;
        }
        res.set_content_provider(
            size_t(file->size()), "application/octet-stream",
            [file](size_t offset, size_t length, httplib::DataSink& sink) {
                QByteArray block(qsizetype(std::min<size_t>(length, 64 * 1024)), Qt::Uninitialized);
                const qint64 read = file->seek(qint64(offset)) ? file->read(block.data(), block.size()) : -1;
                return read > 0 && sink.write(block.constData(), size_t(read));
            });
    }

    QString m_folder;
    httplib::Server m_server;
    std::unique_ptr<bench::ServerThread> m_running;
};

// The members on the stick that are missing or differ from the package.
int membersDiffering(const QString& stick, int members) {
    int differing = 0;
    for (int i = 0; i < members; ++i) {
        QFile file(stick + QString::fromLatin1(memberName(i)));
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != memberBytes(i))
            ++differing;
    }
    return differing;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const test::NoProxyEnvironment noProxy;
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? QByteArray(argv[1]).toInt() : 200;
    const int members = megabytes * 10;

    QTemporaryDir work;
    const QString download = work.filePath(QStringLiteral("download"));
    const QString stick = work.filePath(QStringLiteral("stick")) + u'/';
    const QString programFolder = work.filePath(QStringLiteral("program")) + u'/';
    const QString table = work.filePath(QStringLiteral("drives.ini"));
    for (const QString& folder : {download, stick, programFolder})
        QDir().mkpath(folder);
    std::fprintf(stderr, "Writing a package of %d members of %lld bytes ...\n", members,
                 static_cast<long long>(kMemberBytes));
    const QByteArray catalogue =
        "Q200 HD;q200.png;" + kPackage.toLatin1() + ";01.01.2025;Benchmark;;;;;;;;;;\r\n";
    const bool ready =
        // The server holds packages under their catalogue name with ".txt" appended.
        work.isValid() && writePackage(download + u'/' + kPackage + QStringLiteral(".txt"), members) &&
        writeFile(download + QStringLiteral("/usb-version.txt"), QByteArray(kProgramVersion)) &&
        writeFile(download + QStringLiteral("/usb-news.csv"), "Neue Firmware;;;\r\n") &&
        writeFile(download + QStringLiteral("/usb-list.csv"), catalogue) &&
        writeFile(table, QStringLiteral("[Stick]\nRoot=%1\nType=removable\nCapacity=%2\nLabel=BENCH\n"
                                        "FileSystem=FAT32\n")
                             .arg(stick)
                             .arg(qint64(megabytes) * 3'000'000 + 100'000'000)
                             .toUtf8()) &&
        QFile::copy(QStringLiteral(NORVANE_ASSETS_DIR "/autorun.inf"), programFolder + "autorun.inf") &&
        QFile::copy(QStringLiteral(NORVANE_ASSETS_DIR "/norvstick.ico"), programFolder + "norvstick.ico");
    if (!ready) {
        std::fprintf(stderr, "cannot prepare the server folder, the stick or the program folder\n");
        return 1;
    }
    const qint64 packageBytes = QFileInfo(download + u'/' + kPackage + QStringLiteral(".txt")).size();

    FolderServer server(download);
    platform::FolderDrives drives(table);
    test::FakeShell shell;
    test::FakeDialogs dialogs; // answers every box with OK
    basINI ini;
    frmMain window({.drives = drives,
                    .shell = shell,
                    .ini = ini,
                    .dialogs = &dialogs,
                    .programFolder = programFolder,
                    .serverAddress = server.url()});
    const double peakBefore = peakMiB();

    QElapsedTimer clock;
    clock.start();
    window.Timer1_Timer();
    const qint64 searchMs = clock.restart();
    window.cmdChoose_Click();
    const qint64 runMs = clock.elapsed();

    const QString lastTitle = dialogs.shown().empty() ? QString() : dialogs.shown().back().title;
    const int differing = membersDiffering(stick, members);
    const bool ok = lastTitle == QStringLiteral("Update erfolgreich") && differing == 0;
    std::printf("package: %lld bytes, %d members\n", static_cast<long long>(packageBytes), members);
    std::printf("search %lld ms, update run %lld ms (%.0f MB/s), last message \"%s\"\n",
                static_cast<long long>(searchMs), static_cast<long long>(runMs),
                double(packageBytes) / 1000.0 / double(qMax<qint64>(1, runMs)), qPrintable(lastTitle));
    std::printf("members on the stick missing or differing: %d\n", differing);
    std::printf("peak RSS of this process: %.1f MiB before the search, %.1f MiB after the run\n", peakBefore,
                peakMiB());
    std::printf("update run: %s\n", ok ? "ok" : "FAILED");
    for (const test::ShownMessage& shown : dialogs.shown())
        if (!ok)
            std::fprintf(stderr, "  box \"%s\": %s\n", qPrintable(shown.title), qPrintable(shown.text));
    return ok ? 0 : 1;
}
