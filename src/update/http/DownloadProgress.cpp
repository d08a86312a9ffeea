#include "update/http/DownloadProgress.h"

namespace norvane {

DownloadProgress::Clock DownloadProgress::steadyClock() {
    return [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    };
}

DownloadProgress::DownloadProgress(StatusSink& sink, const QString& kind, Clock clock)
    : sink_(sink), clock_(std::move(clock)) {
    switch (kind.trimmed().toInt()) {
    case 1:
        kind_ = PackageKind::Firmware;
        dotEvery_ = 20;
        break;
    case 2:
        kind_ = PackageKind::Settings;
        dotEvery_ = 2;
        break;
    default:
        break;
    }
}

void DownloadProgress::bodyReceived(qsizetype received) {
    countBlocksUpTo(received / kBlockBytes);
    if (!unshown_)
        return;
    const std::chrono::milliseconds now = clock_();
    if (!lastShown_ || now - *lastShown_ >= kFrame) {
        lastShown_ = now;
        show();
    }
}

void DownloadProgress::bodyComplete(qsizetype size) {
    countBlocksUpTo((size + kBlockBytes - 1) / kBlockBytes);
    if (unshown_)
        show();
}

// Per block: the text is that of the dots so far, then the dots grow.
void DownloadProgress::countBlocksUpTo(qsizetype blocks) {
    if (!showsStatus())
        return;
    while (blocksRead_ < blocks) {
        ++blocksRead_;
        ++counter_;
        latestDots_ = dots_;
        if (counter_ == dotEvery_) {
            ++dots_;
            counter_ = 0;
        }
        unshown_ = true;
    }
}

void DownloadProgress::show() {
    unshown_ = false;
    sink_.showDownloadStatus(kind_, latestDots_);
    sink_.processPendingEvents();
}

} // namespace norvane
