#pragma once
// Setting the label of the file system on a block device. Several ways exist on
// Linux; each says whether it did it, refused, or is not offered here, and the
// next way is only tried when the earlier ones are not offered.

#include <QString>
#include <memory>
#include <vector>

namespace norvane::platform {

enum class LabelOutcome {
    Renamed,
    Refused,    // the way exists and said no (a label the file system does not allow, ...)
    NotOffered, // the way is not available for this device here
};

class VolumeLabeler {
public:
    virtual ~VolumeLabeler() = default;
    // device: the device node ("/dev/sdb1"); fileSystemType: the mount's type ("vfat").
    virtual LabelOutcome setLabel(const QString& device, const QString& fileSystemType,
                                  const QString& label) = 0;
};

// Asks each labeler in turn until one is offered for the device.
class LabelerChain final : public VolumeLabeler {
public:
    explicit LabelerChain(std::vector<std::shared_ptr<VolumeLabeler>> labelers);
    LabelOutcome setLabel(const QString& device, const QString& fileSystemType,
                          const QString& label) override;

private:
    std::vector<std::shared_ptr<VolumeLabeler>> m_labelers;
};

// UDisks2 over the system bus, which works for an ordinary desktop user; then,
// only when running as root, the file system's own label tool.
std::shared_ptr<VolumeLabeler> createVolumeLabeler();

} // namespace norvane::platform
