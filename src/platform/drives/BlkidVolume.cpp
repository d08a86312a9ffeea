#include "platform/drives/BlkidVolume.h"

#include <QFile>
#include <blkid/blkid.h>
#include <memory>

namespace norvane::platform {

namespace {
struct ProbeFree {
    void operator()(blkid_struct_probe* probe) const { blkid_free_probe(probe); }
};
using Probe = std::unique_ptr<blkid_struct_probe, ProbeFree>;

void copyValue(blkid_probe probe, const char* name, const QString& key, DeviceProperties& properties) {
    const char* value = nullptr;
    std::size_t length = 0;
    if (blkid_probe_lookup_value(probe, name, &value, &length) == 0 && value)
        properties.insert(key, QString::fromUtf8(value)); // libblkid gives labels as UTF-8
}
} // namespace

DeviceProperties blkidProperties(const QString& path) {
    DeviceProperties properties;
    const Probe probe(blkid_new_probe_from_filename(QFile::encodeName(path).constData()));
    if (!probe)
        return properties;
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(probe.get(),
                                      BLKID_SUBLKS_LABEL | BLKID_SUBLKS_TYPE | BLKID_SUBLKS_VERSION);
    // Safe probing gives nothing rather than a guess when signatures disagree.
    if (blkid_do_safeprobe(probe.get()) != 0)
        return properties;
    copyValue(probe.get(), "LABEL", QStringLiteral("ID_FS_LABEL"), properties);
    copyValue(probe.get(), "TYPE", QStringLiteral("ID_FS_TYPE"), properties);
    copyValue(probe.get(), "VERSION", QStringLiteral("ID_FS_VERSION"), properties);
    return properties;
}

} // namespace norvane::platform
