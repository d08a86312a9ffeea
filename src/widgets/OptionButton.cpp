#include "widgets/OptionButton.h"

#include "widgets/Accessibility.h"

namespace norvane {

OptionButton::OptionButton(QWidget* parent) : QRadioButton(parent) {
    setAutoExclusive(false);
    installAccessibility();
    connect(this, &QAbstractButton::toggled, this, &OptionButton::onToggled);
}

void OptionButton::nextCheckState() {
    if (!isChecked())
        setChecked(true);
}

void OptionButton::onToggled(bool on) {
    if (!on)
        return;
    // Deselect the other options of the same container first, so the handler
    // sees a consistent group.
    if (QWidget* container = parentWidget()) {
        const auto siblings = container->findChildren<OptionButton*>(Qt::FindDirectChildrenOnly);
        for (OptionButton* other : siblings) {
            if (other != this && other->isChecked())
                other->setChecked(false);
        }
    }
    Q_EMIT selected();
}

} // namespace norvane
