// A status panel keeps its width whatever text it shows: the dots of a large download
// are cut at its edge instead of widening the window.

#include "widgets/StatusPanel.h"

#include <QHBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace norvane {
namespace {

TEST(StatusPanel, ALongTextNeverWidensTheWindow) {
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* panel = new StatusPanel(&window);
    layout->addWidget(panel);
    panel->setText(QStringLiteral("Bereit"));
    const int before = window.minimumSizeHint().width();
    panel->setText(QStringLiteral("Firmware-Update ") + QString(750, u'.'));
    EXPECT_EQ(window.minimumSizeHint().width(), before);
    EXPECT_EQ(panel->text().size(), 766);

    // A panel that does not stretch, beside it, still shows its whole text.
    auto* signedPanel = new StatusPanel(&window);
    layout->setStretchFactor(panel, 1);
    layout->addWidget(signedPanel);
    signedPanel->setText(QStringLiteral("Nicht signiert"));
    window.resize(600, 30);
    window.show();
    layout->activate();
    EXPECT_GE(signedPanel->width(), signedPanel->sizeHint().width());
    EXPECT_GT(signedPanel->sizeHint().width(), 50);
}

} // namespace
} // namespace norvane
