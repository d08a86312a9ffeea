#include "platform/udisks/VolumeLabeler.h"

#include "platform/AsyncResult.h"
#include "platform/udisks/LabelTool.h"
#include "platform/udisks/UDisksLabeler.h"

#include <unistd.h>

namespace norvane::platform {

namespace {

using Labelers = std::vector<std::shared_ptr<VolumeLabeler>>;

// Asks labelers[index] and, while the answer is NotOffered, the ones after it.
void askFrom(const Labelers& labelers, std::size_t index, const QString& device, const QString& type,
             const QString& label, QObject* context, VolumeLabeler::Done done) {
    if (index == labelers.size()) {
        deliverLater(context, std::move(done), LabelOutcome::NotOffered);
        return;
    }
    labelers[index]->setLabel(device, type, label, context, [=](LabelOutcome outcome) {
        if (outcome == LabelOutcome::NotOffered)
            askFrom(labelers, index + 1, device, type, label, context, done);
        else
            done(outcome);
    });
}

} // namespace

LabelerChain::LabelerChain(std::vector<std::shared_ptr<VolumeLabeler>> labelers)
    : m_labelers(std::move(labelers)) {}

void LabelerChain::setLabel(const QString& device, const QString& fileSystemType, const QString& label,
                            QObject* context, Done done) {
    askFrom(m_labelers, 0, device, fileSystemType, label, context, std::move(done));
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
