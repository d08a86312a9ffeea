#pragma once
// The fixed-size character buffer through which profile sections and section names
// are handed out: the text is copied with a NUL after it; when it does not fit, it is
// cut, closed by two NULs and the count returned is exactly the buffer size − 2.

#include <QByteArray>

namespace norvane::storage {

// Copies `list` (NUL-ended items) into `buffer`, whose size is the buffer's capacity.
// Returns the number of bytes copied, not counting the final NUL.
qsizetype copyToProfileBuffer(const QByteArray& list, QByteArray& buffer);

} // namespace norvane::storage
