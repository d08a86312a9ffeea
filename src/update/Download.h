#pragma once
// Fetching a server file into memory or a package into a file, with the running status of
// package downloads. Every transfer runs on a worker thread while the window's thread waits
// in a local event loop.

#include "update/PackageDownloads.h"
#include "update/http/HttpTransfer.h"
#include "update/http/StatusSink.h"
#include "update/http/TransferWorker.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace norvane {

struct DownloadProgressInfo {
    qint64 received = 0;
    qint64 total = -1; // -1 when the server announced no Content-Length
};

class Downloader final : public PackageDownloads {
public:
    // maxBytes of OpenURL that means "the limit of `limits`".
    static constexpr qint64 kDefaultLimit = -1;

    explicit Downloader(StatusSink& sink, TransferLimits limits = {});

    // The whole body of the URL, or the empty text on any failure: no connection, an HTTP
    // status outside 200-299, a body cut short, a stall, more than maxBytes, a cancel.
    // kind "1" shows the firmware status, "2" the settings status, anything else nothing.
    // For kinds 1 and 2 all pending window events run while waiting, so a handler may call
    // OpenURL again; for any other kind the wait takes no user input.
    // accessType 1 connects directly; any other value uses the proxies named in the environment.
    QByteArray OpenURL(const QString& url, const QString& kind, int accessType,
                       qint64 maxBytes = kDefaultLimit) override;
    // The same with what went wrong: the body, or a failure of a download kind and an
    // empty body.
    struct Fetched {
        QByteArray body;
        Failure failure;
    };
    Fetched fetch(const QString& url, const QString& kind, int accessType, qint64 maxBytes = kDefaultLimit);

    // Streams the body into targetPath: into a temporary file in the target's folder, renamed
    // to targetPath only when the whole body has arrived and was written; on any failure the
    // temporary file is removed and an existing file at targetPath is left untouched. A file
    // there with exactly the downloaded bytes stays, time stamp and all. A link at targetPath
    // is refused, never followed. An empty body fails, and nothing is written. A body
    // announced or grown beyond maxBytes fails. Status and waiting as for OpenURL; onProgress
    // runs on the calling thread as the body grows. With an expected SHA-256 (32 raw bytes) the
    // body is hashed as it streams and a body with another digest is discarded like a failed one.
    FileDownloadResult DownloadToFile(const QString& url, const QString& kind, int accessType,
                                      const QString& targetPath, qint64 maxBytes,
                                      std::function<void(qint64 received, qint64 total)> onProgress = {},
                                      const QByteArray& expectedSha256 = {});
    // The same below a writer's root, for a run that holds the stick open.
    FileDownloadResult DownloadToFile(const QString& url, const QString& kind, int accessType,
                                      platform::StickWriter& stick, const QString& name, qint64 maxBytes,
                                      std::function<void(qint64 received, qint64 total)> onProgress,
                                      const QByteArray& expectedSha256) override;

    // Makes every running OpenURL and DownloadToFile return as failed. Returns at once; may be
    // called from any thread. Later downloads are not affected.
    void cancelAll();

private:
    HttpGetRequest request(const QString& url, int accessType, qint64 maxBytes) const;
    TransferOutcome run(const QString& kind, const TransferJob& job,
                        const std::function<void(qint64, qint64)>& onProgress);

    StatusSink& sink_;
    TransferLimits limits_;
    CancelRegistry running_;
};

} // namespace norvane
