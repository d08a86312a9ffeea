#include "platform/VolumeLabeler.h"

#include "platform/LabelTool.h"
#include "platform/UDisksLabeler.h"

#include <unistd.h>

namespace norvane::platform {

LabelerChain::LabelerChain(std::vector<std::shared_ptr<VolumeLabeler>> labelers)
    : m_labelers(std::move(labelers)) {}

LabelOutcome LabelerChain::setLabel(const QString& device, const QString& fileSystemType,
                                    const QString& label) {
    for (const std::shared_ptr<VolumeLabeler>& labeler : m_labelers) {
        const LabelOutcome outcome = labeler->setLabel(device, fileSystemType, label);
        if (outcome != LabelOutcome::NotOffered)
            return outcome;
    }
    return LabelOutcome::NotOffered;
}

std::shared_ptr<VolumeLabeler> createVolumeLabeler() {
    std::vector<std::shared_ptr<VolumeLabeler>> labelers;
    labelers.push_back(std::make_shared<UDisksLabeler>());
    // The label tools write the raw device, which only root may open.
    if (::geteuid() == 0)
        labelers.push_back(std::make_shared<LabelTool>());
    return std::make_shared<LabelerChain>(std::move(labelers));
}

} // namespace norvane::platform
