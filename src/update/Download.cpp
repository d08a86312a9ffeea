#include "update/Download.h"

#include "update/DownloadProgress.h"

namespace norvane {

namespace {
constexpr int kDirectAccess = 1;
}

Downloader::Downloader(StatusSink& sink, TransferLimits limits) : sink_(sink), limits_(limits) {}

QByteArray Downloader::OpenURL(const QString& url, const QString& kind, int accessType) {
    // Everything a nested call could disturb lives on this stack frame.
    StatusSink& sink = sink_;
    DownloadProgress progress(sink, kind);
    HttpGetRequest request;
    request.url = url;
    request.direct = accessType == kDirectAccess;
    request.limits = limits_;
    if (progress.showsStatus()) {
        request.onBodyGrown = [&progress](qsizetype received) { progress.bodyReceived(received); };
        request.onIdle = [&sink] { sink.processPendingEvents(); };
    }
    std::optional<QByteArray> body = httpGet(request);
    if (!body)
        return {};
    progress.bodyComplete(body->size());
    return *std::move(body);
}

} // namespace norvane
