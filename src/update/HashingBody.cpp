#include "update/HashingBody.h"

namespace norvane {

TransferError HashingBody::receive(const char* data, std::size_t size) noexcept {
    m_hash.add(data, size);
    return m_inner.receive(data, size);
}

bool HashingBody::matches(const QByteArray& sha256) {
    const QByteArray digest = m_hash.finish();
    return !digest.isEmpty() && digest == sha256;
}

} // namespace norvane
