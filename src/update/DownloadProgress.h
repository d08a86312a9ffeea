#pragma once
// The running status of a package download: one status per 2048-byte block of the body,
// "Firmware-Update ." growing by a dot every 20 blocks, "Settings-Update ." every 2 blocks.

#include "update/StatusSink.h"

#include <QString>
#include <QtGlobal>

namespace norvane {

class DownloadProgress {
public:
    static constexpr qsizetype kBlockBytes = 2048;

    // kind "1": firmware package, "2": settings package, anything else shows nothing.
    DownloadProgress(StatusSink& sink, const QString& kind);

    bool showsStatus() const { return dotEvery_ > 0; }
    // The body has grown to `received` bytes: each block completed since the last call is read.
    void bodyReceived(qsizetype received);
    // The body is complete: a last, shorter block is read as well.
    void bodyComplete(qsizetype size);

private:
    void reportBlocksUpTo(qsizetype blocks);
    void blockRead();

    StatusSink& sink_;
    QString label_;
    QString toolTip_;
    qint16 dotEvery_ = 0;
    QString dots_ = QStringLiteral(".");
    qint16 counter_ = 0;
    qsizetype blocksRead_ = 0;
};

} // namespace norvane
