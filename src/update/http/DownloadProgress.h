#pragma once
// The running status of a package download: counted per 2048-byte block of the body,
// one dot growing to two after 20 blocks of firmware, after 2 blocks of a channel list,
// and so on; the window words it.
//
// The window is told at display rate: the status of the latest block is shown and the
// window's events are run at most once per frame (16 ms), and once more at the end for a
// block not yet shown. What the window shows is the same as with a status per block, and
// the last text is exactly the last block's.

#include "update/http/StatusSink.h"

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <optional>

namespace norvane {

class DownloadProgress {
public:
    static constexpr qsizetype kBlockBytes = 2048;
    static constexpr std::chrono::milliseconds kFrame{16};
    // A monotonic clock; tests hand in their own.
    using Clock = std::function<std::chrono::milliseconds()>;
    static Clock steadyClock();

    // kind "1": firmware package, "2": settings package, anything else shows nothing.
    DownloadProgress(StatusSink& sink, const QString& kind, Clock clock = steadyClock());

    bool showsStatus() const { return dotEvery_ > 0; }
    // The body has grown to `received` bytes: each block completed since the last call is read.
    void bodyReceived(qsizetype received);
    // The body is complete: a last, shorter block is read as well.
    void bodyComplete(qsizetype size);

private:
    void countBlocksUpTo(qsizetype blocks);
    void show();

    StatusSink& sink_;
    Clock clock_;
    PackageKind kind_ = PackageKind::Firmware;
    qint16 dotEvery_ = 0;
    int dots_ = 1;
    qint16 counter_ = 0;
    qsizetype blocksRead_ = 0;
    // How many dots the latest block's text carries; the text is set before the dots grow.
    int latestDots_ = 1;
    bool unshown_ = false;
    std::optional<std::chrono::milliseconds> lastShown_;
};

} // namespace norvane
