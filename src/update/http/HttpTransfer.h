#pragma once
// One HTTP GET with libcurl, run to its end on the calling thread. The body goes to a
// receiver as it arrives; a control block shared with other threads carries the progress
// out and a cancel request in.

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <cstddef>
#include <functional>

namespace norvane {

// Time-outs and the default size limit of one transfer. A transfer that stays below
// lowSpeedBytesPerSecond for lowSpeedSeconds (waiting for the answer's header included)
// counts as stalled and fails.
struct TransferLimits {
    long connectTimeoutSeconds = 30;
    long lowSpeedBytesPerSecond = 100;
    long lowSpeedSeconds = 60;
    // The limit of a body kept in memory when the caller names none.
    qint64 maxBodyBytes = qint64(1) << 30;
};

struct HttpGetRequest {
    QString url;
    // true: connect directly even when the environment names a proxy.
    bool direct = false;
    TransferLimits limits;
    // A body announced or grown beyond this many bytes fails the transfer.
    qint64 maxBytes = 0;
};

enum class TransferError {
    None,
    Connection,  // no connection, name not resolved, refused, bad URL or scheme, redirect loop
    HttpStatus,  // the server answered with a status outside 200-299
    Interrupted, // the body ended before its announced length, or the connection broke
    Stalled,     // connect time-out or too slow
    TooLarge,    // the body is larger than the request's maxBytes
    Write,       // the receiver could not store the body
    OutOfMemory, // the receiver ran out of memory
    Cancelled,   // cancel was requested
    Empty,       // the server answered with success but sent no byte of a body
};

struct TransferOutcome {
    TransferError error = TransferError::Connection;
    long httpStatus = 0;
    bool ok() const { return error == TransferError::None; }
};

// Where a body goes while it arrives. Called on the transfer's thread, never with an
// exception escaping: a receiver that cannot take the bytes returns an error instead.
class BodyReceiver {
public:
    virtual ~BodyReceiver() = default;
    virtual TransferError receive(const char* data, std::size_t size) noexcept = 0;
    // The server announced the body's length (within the request's limit), before its first bytes.
    virtual void expect(qint64 /*size*/) noexcept {}
};

// Shared between the thread that runs the transfer and the one that waits for it.
struct TransferControl {
    std::atomic<bool> cancel{false};
    std::atomic<qint64> received{0};
    // The announced Content-Length, -1 while unknown.
    std::atomic<qint64> total{-1};
    // Called on the transfer's thread whenever `received` has grown and once at the end;
    // must be cheap and must not throw.
    std::function<void()> notify;
};

// Runs the GET to its end on the calling thread. A body of 0 bytes fails as Empty: nothing
// could be read. Agent "Orvalis:INET", no-cache headers,
// http and https only, a few redirects followed, no content encoding.
TransferOutcome runHttpGet(const HttpGetRequest& request, BodyReceiver& receiver, TransferControl& control);

} // namespace norvane
