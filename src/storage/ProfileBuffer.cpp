#include "storage/ProfileBuffer.h"

#include <algorithm>
#include <cstring>

namespace norvane::storage {

qsizetype copyToProfileBuffer(const QByteArray& list, QByteArray& buffer) {
    const qsizetype size = buffer.size();
    if (size < 2) {
        buffer.fill('\0');
        return 0;
    }
    char* out = buffer.data();
    if (list.size() + 1 <= size) {
        std::memcpy(out, list.constData(), static_cast<size_t>(list.size()));
        out[list.size()] = '\0';
        return list.size();
    }
    const qsizetype kept = size - 2;
    std::memcpy(out, list.constData(), static_cast<size_t>(std::min(kept, list.size())));
    out[kept] = '\0';
    out[kept + 1] = '\0';
    return kept;
}

} // namespace norvane::storage
