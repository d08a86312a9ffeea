#include "update/Download.h"

#include "update/HashingBody.h"
#include "update/StickMessages.h"
#include "update/http/BodyReceivers.h"
#include "update/http/DownloadProgress.h"

#include <QFileInfo>

namespace norvane {

namespace {

constexpr int kDirectAccess = 1;

QString reasonFor(const TransferOutcome& outcome) {
    switch (outcome.error) {
    case TransferError::None:
        return {};
    case TransferError::Connection:
        return QStringLiteral("Keine Verbindung zum Server.");
    case TransferError::HttpStatus:
        return QStringLiteral("Der Server meldet den Fehler %1.").arg(outcome.httpStatus);
    case TransferError::Interrupted:
        return QStringLiteral("Die Verbindung wurde unterbrochen.");
    case TransferError::Stalled:
        return QStringLiteral("Der Server antwortet nicht.");
    case TransferError::TooLarge:
        return QStringLiteral("Die Datei ist größer als der freie Speicherplatz.");
    case TransferError::Write:
        return QStringLiteral("Die Datei konnte nicht geschrieben werden.");
    case TransferError::OutOfMemory:
        return QStringLiteral("Nicht genügend Arbeitsspeicher.");
    case TransferError::Cancelled:
        return QStringLiteral("Der Download wurde abgebrochen.");
    case TransferError::Empty:
        return QStringLiteral("Der Server hat eine leere Datei geschickt.");
    }
    return {};
}

} // namespace

Downloader::Downloader(StatusSink& sink, TransferLimits limits) : sink_(sink), limits_(limits) {}

void Downloader::cancelAll() {
    running_.cancelAll();
}

// Everything a nested call could disturb lives on this stack frame.
TransferOutcome Downloader::run(const QString& kind, const TransferJob& job,
                                const std::function<void(qint64, qint64)>& onProgress) {
    DownloadProgress progress(sink_, kind);
    qint64 received = 0;
    WaitOptions options;
    options.acceptUserInput = progress.showsStatus();
    if (progress.showsStatus() || onProgress)
        options.onProgress = [&](qint64 now, qint64 total) {
            received = now;
            progress.bodyReceived(now);
            if (onProgress)
                onProgress(now, total);
        };
    const TransferOutcome outcome = runOnWorker(job, running_, options);
    if (outcome.ok())
        progress.bodyComplete(received);
    return outcome;
}

HttpGetRequest Downloader::request(const QString& url, int accessType, qint64 maxBytes) const {
    HttpGetRequest request;
    request.url = url;
    request.direct = accessType == kDirectAccess;
    request.limits = limits_;
    request.maxBytes = maxBytes;
    return request;
}

QByteArray Downloader::OpenURL(const QString& url, const QString& kind, int accessType, qint64 maxBytes) {
    const HttpGetRequest get =
        request(url, accessType, maxBytes == kDefaultLimit ? limits_.maxBodyBytes : maxBytes);
    MemoryBody body;
    const TransferOutcome outcome =
        run(kind, [&](TransferControl& control) { return runHttpGet(get, body, control); }, {});
    if (!outcome.ok())
        return {};
    return body.take();
}

FileDownloadResult Downloader::DownloadToFile(const QString& url, const QString& kind, int accessType,
                                              const QString& targetPath, qint64 maxBytes,
                                              std::function<void(qint64 received, qint64 total)> onProgress,
                                              const QByteArray& expectedSha256) {
    const QFileInfo target(targetPath);
    platform::StickWriter folder(target.path());
    return DownloadToFile(url, kind, accessType, folder, target.fileName(), maxBytes, std::move(onProgress),
                          expectedSha256);
}

FileDownloadResult Downloader::DownloadToFile(const QString& url, const QString& kind, int accessType,
                                              platform::StickWriter& writer, const QString& name,
                                              qint64 maxBytes,
                                              std::function<void(qint64 received, qint64 total)> onProgress,
                                              const QByteArray& expectedSha256) {
    const HttpGetRequest get = request(url, accessType, maxBytes);
    qint64 written = 0;
    qint64 announced = -1;
    Failure stick;
    bool digestMismatch = false;
    // The file is opened, written, committed and closed on the worker thread.
    const auto job = [&](TransferControl& control) -> TransferOutcome {
        FileBody file(writer, name);
        const auto failed = [&](TransferOutcome outcome) {
            stick = file.status();
            announced = control.total.load();
            return outcome;
        };
        if (!file.open())
            return failed({TransferError::Write, 0});
        HashingBody hashed(file);
        const TransferOutcome outcome =
            runHttpGet(get, expectedSha256.isEmpty() ? static_cast<BodyReceiver&>(file) : hashed, control);
        if (!outcome.ok())
            return failed(outcome);
        if (control.cancel.load())
            return {TransferError::Cancelled, outcome.httpStatus};
        // Checked before the rename: a body with another digest never takes the target's place.
        if (!expectedSha256.isEmpty() && !hashed.matches(expectedSha256)) {
            digestMismatch = true;
            return {TransferError::Write, outcome.httpStatus};
        }
        if (!file.commit())
            return failed({TransferError::Write, outcome.httpStatus});
        written = control.received.load();
        return outcome;
    };
    const TransferOutcome outcome = run(kind, job, onProgress);
    FileDownloadResult result;
    result.ok = outcome.ok();
    result.bytes = result.ok ? written : 0;
    result.reason = stick.ok() ? reasonFor(outcome) : stickFaultLines(stick.kind, stick.subject).join(u' ');
    result.stickRefused = !stick.ok();
    result.tooLarge = outcome.error == TransferError::TooLarge;
    result.announced = announced;
    if (digestMismatch) {
        result.digestMismatch = true;
        result.reason = QStringLiteral("Die Datei stimmt nicht mit der Signatur des Servers überein.");
    }
    return result;
}

} // namespace norvane
