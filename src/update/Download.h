#pragma once
// Fetching a server file or a package into memory, with the running status of package downloads.

#include "update/HttpTransfer.h"
#include "update/StatusSink.h"

#include <QByteArray>
#include <QString>

namespace norvane {

class Downloader {
public:
    explicit Downloader(StatusSink& sink, TransferLimits limits = {});

    // The whole body of the URL, or the empty text on any failure (see httpGet). kind "1" shows
    // the firmware status, "2" the settings status, anything else nothing. For kinds 1 and 2
    // pending window events run during the download, so a handler may call OpenURL again.
    // accessType 1 connects directly; any other value uses the proxies named in the environment.
    QByteArray OpenURL(const QString& url, const QString& kind, int accessType);

private:
    StatusSink& sink_;
    TransferLimits limits_;
};

} // namespace norvane
