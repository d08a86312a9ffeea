#pragma once
// Setting the label of the file system on a block device. Several ways exist on
// Linux; each says whether it did it, refused, or is not offered here, and the
// next way is only tried when the earlier ones are not offered. Each answers later,
// as AsyncResult.h says, so that the window keeps running while a label is written.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QObject;

namespace norvane::platform {

enum class LabelOutcome {
    Renamed,
    Refused,    // the way exists and said no (a label the file system does not allow, ...)
    NotOffered, // the way is not available for this device here
};

class VolumeLabeler {
public:
    using Done = std::function<void(LabelOutcome)>;

    virtual ~VolumeLabeler() = default;
    // Starts labelling. device: the device node ("/dev/sdb1"); fileSystemType: the
    // mount's type ("vfat"). done gets the outcome on context's thread, after this call
    // has returned, and never once context is gone.
    virtual void setLabel(const QString& device, const QString& fileSystemType, const QString& label,
                          QObject* context, Done done) = 0;
};

// Asks each labeler in turn until one is offered for the device.
class LabelerChain final : public VolumeLabeler {
public:
    explicit LabelerChain(std::vector<std::shared_ptr<VolumeLabeler>> labelers);
    void setLabel(const QString& device, const QString& fileSystemType, const QString& label,
                  QObject* context, Done done) override;

private:
    std::vector<std::shared_ptr<VolumeLabeler>> m_labelers;
};

// UDisks2 over the system bus, which works for an ordinary desktop user; then,
// only when running as root, the file system's own label tool.
std::shared_ptr<VolumeLabeler> createVolumeLabeler();

} // namespace norvane::platform
