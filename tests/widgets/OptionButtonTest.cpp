// Option buttons: exclusive within their container, selectable and deselectable
// from code, and a selection from code raises the handler like a click.

#include "widgets/OptionButton.h"
#include "support/Clicks.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace norvane {
namespace {

using test::clickIndicator;
void click(OptionButton* option) {
    clickIndicator(option);
}

struct Group {
    QWidget container;
    OptionButton* a = new OptionButton(&container);
    OptionButton* b = new OptionButton(&container);
    QWidget other;
    OptionButton* elsewhere = new OptionButton(&other);
    int aSelected = 0;
    int bSelected = 0;
    Group() {
        QObject::connect(a, &OptionButton::selected, [this] { ++aSelected; });
        QObject::connect(b, &OptionButton::selected, [this] { ++bSelected; });
        a->setText(QStringLiteral("A"));
        b->setText(QStringLiteral("B"));
        a->move(0, 0);
        b->move(0, 30);
    }
};

TEST(OptionButton, SelectingFromCodeRaisesTheHandlerOnceAndDeselectsTheOthers) {
    Group g;
    g.elsewhere->setChecked(true);
    g.a->setChecked(true);
    EXPECT_EQ(g.aSelected, 1);
    g.b->setChecked(true);
    EXPECT_EQ(g.bSelected, 1);
    EXPECT_FALSE(g.a->isChecked());
    EXPECT_EQ(g.aSelected, 1) << "deselecting raises nothing";
    EXPECT_TRUE(g.elsewhere->isChecked()) << "other containers are independent";
}

TEST(OptionButton, CodeMayDeselectWithoutRaisingTheHandler) {
    Group g;
    g.a->setChecked(true);
    g.a->setChecked(false);
    EXPECT_FALSE(g.a->isChecked());
    EXPECT_FALSE(g.b->isChecked());
    EXPECT_EQ(g.aSelected, 1);
}

TEST(OptionButton, UserClicksSelectAndNeverDeselect) {
    Group g;
    g.container.show();
    click(g.b);
    EXPECT_TRUE(g.b->isChecked());
    EXPECT_EQ(g.bSelected, 1);
    click(g.b);
    EXPECT_TRUE(g.b->isChecked());
    click(g.a);
    EXPECT_TRUE(g.a->isChecked());
    EXPECT_FALSE(g.b->isChecked());
    g.a->setEnabled(false);
    click(g.b);
    EXPECT_TRUE(g.b->isChecked());
}

} // namespace
} // namespace norvane
