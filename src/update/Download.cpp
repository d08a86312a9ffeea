#include "update/Download.h"

#include "update/HashingBody.h"
#include "update/http/BodyReceivers.h"
#include "update/http/DownloadProgress.h"

#include <QFileInfo>

namespace norvane {

namespace {

constexpr int kDirectAccess = 1;

// The failure of a transfer, for the file at url.
Failure failureOf(const TransferOutcome& outcome, const QString& url) {
    switch (outcome.error) {
    case TransferError::None:
        return {};
    case TransferError::Connection:
        return {FailureKind::DownloadNoConnection, url};
    case TransferError::HttpStatus:
        return {FailureKind::DownloadHttpStatus, url, {}, static_cast<int>(outcome.httpStatus)};
    case TransferError::Interrupted:
        return {FailureKind::DownloadInterrupted, url};
    case TransferError::Stalled:
        return {FailureKind::DownloadStalled, url};
    case TransferError::TooLarge:
        return {FailureKind::DownloadTooLarge, url};
    case TransferError::Write:
        return {FailureKind::DownloadWrite, url};
    case TransferError::OutOfMemory:
        return {FailureKind::DownloadOutOfMemory, url};
    case TransferError::Cancelled:
        return {FailureKind::DownloadCancelled, url};
    case TransferError::Empty:
        return {FailureKind::DownloadEmpty, url};
    }
    return {FailureKind::DownloadWrite, url};
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
    return fetch(url, kind, accessType, maxBytes).body;
}

Downloader::Fetched Downloader::fetch(const QString& url, const QString& kind, int accessType,
                                      qint64 maxBytes) {
    const HttpGetRequest get =
        request(url, accessType, maxBytes == kDefaultLimit ? limits_.maxBodyBytes : maxBytes);
    MemoryBody body;
    const TransferOutcome outcome =
        run(kind, [&](TransferControl& control) { return runHttpGet(get, body, control); }, {});
    if (!outcome.ok())
        return {{}, failureOf(outcome, url)};
    return {body.take(), {}};
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
    result.bytes = outcome.ok() ? written : 0;
    result.announced = announced;
    if (!stick.ok())
        result.failure = stick;
    else if (digestMismatch)
        result.failure = {FailureKind::DownloadDigestMismatch, url};
    else
        result.failure = failureOf(outcome, url);
    return result;
}

} // namespace norvane
