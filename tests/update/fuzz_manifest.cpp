// Feeds arbitrary bytes to the parser of the signed list of digests. Besides the
// sanitizers' checks it verifies that every accepted entry is a plain name with a
// 32-byte digest, that no more entries come out than lines went in, and that a serial
// comes only from the first line.
#include "signature/Manifest.h"
#include "update/catalogue/ServerFiles.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace norvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<Manifest> manifest = parseManifest(text);
    if (!manifest)
        return 0;
    if (manifest->digests.size() > text.count('\n') + 1)
        std::abort();
    if (manifest->serial && !text.startsWith("# serial " + QByteArray::number(*manifest->serial)))
        std::abort();
    for (auto entry = manifest->digests.cbegin(); entry != manifest->digests.cend(); ++entry) {
        if (entry.value().size() != 32 || !isPlainFileName(entry.key()))
            std::abort();
    }
    return 0;
}
