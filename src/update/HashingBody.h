#pragma once
// A body receiver that hashes every byte (SHA-256) on its way to another receiver,
// so that a package can be checked against its signed digest before it is kept.

#include "signature/Sha256.h"
#include "update/http/HttpTransfer.h"

#include <QByteArray>

namespace norvane {

class HashingBody : public BodyReceiver {
public:
    explicit HashingBody(BodyReceiver& inner) : m_inner(inner) {}
    TransferError receive(const char* data, std::size_t size) noexcept override;
    // True when the bytes received so far have the digest (32 raw bytes). Call once,
    // after the transfer.
    bool matches(const QByteArray& sha256);

private:
    BodyReceiver& m_inner;
    Sha256 m_hash;
};

} // namespace norvane
