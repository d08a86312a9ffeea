#pragma once
// One HTTP GET with libcurl, driven by the multi interface so that the caller can keep
// its window alive while the network is slow.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

namespace norvane {

// Time-outs and size limit of one transfer. A transfer that stays below
// lowSpeedBytesPerSecond for lowSpeedSeconds counts as stalled and fails.
struct TransferLimits {
    long connectTimeoutSeconds = 30;
    long lowSpeedBytesPerSecond = 100;
    long lowSpeedSeconds = 60;
    // A body that grows beyond this fails instead of exhausting memory.
    qint64 maxBodyBytes = qint64(1) << 30;
};

struct HttpGetRequest {
    QString url;
    // true: connect directly even when the environment names a proxy.
    bool direct = false;
    TransferLimits limits;
    // Called outside libcurl whenever the body has grown, with the number of bytes received so far.
    std::function<void(qsizetype received)> onBodyGrown;
    // Called between waits for the network, at most 100 ms apart, while the transfer runs.
    std::function<void()> onIdle;
};

// The complete body of a 2xx answer, or nothing on any failure: transport error, HTTP status
// outside 200-299, a body shorter than its Content-Length, connect time-out, stall, a scheme
// other than http or https, more than a few redirects.
std::optional<QByteArray> httpGet(const HttpGetRequest& request);

} // namespace norvane
