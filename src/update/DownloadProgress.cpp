#include "update/DownloadProgress.h"

namespace norvane {

DownloadProgress::DownloadProgress(StatusSink& sink, const QString& kind) : sink_(sink) {
    switch (kind.trimmed().toInt()) {
    case 1:
        label_ = QStringLiteral("Firmware-Update ");
        toolTip_ = QStringLiteral("Firmwareupdate läuft...");
        dotEvery_ = 20;
        break;
    case 2:
        label_ = QStringLiteral("Settings-Update ");
        toolTip_ = QStringLiteral("Settingsupdate läuft...");
        dotEvery_ = 2;
        break;
    default:
        break;
    }
}

void DownloadProgress::bodyReceived(qsizetype received) {
    reportBlocksUpTo(received / kBlockBytes);
}

void DownloadProgress::bodyComplete(qsizetype size) {
    reportBlocksUpTo((size + kBlockBytes - 1) / kBlockBytes);
}

void DownloadProgress::reportBlocksUpTo(qsizetype blocks) {
    if (!showsStatus())
        return;
    while (blocksRead_ < blocks) {
        ++blocksRead_;
        blockRead();
    }
}

// The text is set before the dots grow, so a new dot shows from the following block on.
void DownloadProgress::blockRead() {
    ++counter_;
    sink_.showDownloadStatus(label_ + dots_, toolTip_);
    if (counter_ == dotEvery_) {
        dots_ += QLatin1Char('.');
        counter_ = 0;
    }
    sink_.processPendingEvents();
}

} // namespace norvane
