#pragma once
// The downloads an update run makes: a server file into memory and a package into a
// file. Downloader is the implementation; tests script the answers.

#include "platform/Failure.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace norvane {

namespace platform {
class StickWriter;
}

struct FileDownloadResult {
    // A download kind, or a stick kind naming the file when the stick refused it; none when
    // the file was stored.
    Failure failure = {};
    qint64 bytes = 0;      // the bytes stored
    qint64 announced = -1; // the server's Content-Length, -1 when it sent none
    bool ok() const { return failure.ok(); }
};

class PackageDownloads {
public:
    virtual ~PackageDownloads() = default;
    // The whole body of the URL, or the empty text on any failure. kind "1" shows the
    // firmware status, "2" the settings status, anything else nothing.
    virtual QByteArray OpenURL(const QString& url, const QString& kind, int accessType, qint64 maxBytes) = 0;
    // The body stored as `name` below the writer's root only when it arrived whole and
    // within maxBytes; on failure an existing file there is left untouched. onProgress
    // runs on the calling thread. With an expected SHA-256 (32 raw bytes) only a body with
    // that digest is stored. The writer is used by the transfer's thread meanwhile.
    virtual FileDownloadResult DownloadToFile(const QString& url, const QString& kind, int accessType,
                                              platform::StickWriter& stick, const QString& name,
                                              qint64 maxBytes,
                                              std::function<void(qint64 received, qint64 total)> onProgress,
                                              const QByteArray& expectedSha256) = 0;
};

} // namespace norvane
