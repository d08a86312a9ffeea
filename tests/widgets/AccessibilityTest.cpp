// What assistive technology is told about value labels and option buttons.

#include "widgets/Accessibility.h"
#include "widgets/OptionButton.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <gtest/gtest.h>

namespace norvane {
namespace {

QAccessibleInterface* accessible(QWidget* widget) {
    QAccessibleInterface* found = QAccessible::queryAccessibleInterface(widget);
    EXPECT_NE(found, nullptr);
    return found;
}

TEST(ValueLabel, ReadsItsTextOrItsCaptionButNeverTheFramesTitle) {
    QGroupBox frame(QStringLiteral("USB Stick Informationen"));
    auto* captioned = new QLabel(&frame);
    auto* bare = new QLabel(&frame);
    auto* marksLate = new QLabel(&frame);
    accessible(marksLate); // Qt has already made and cached its own interface
    markValueLabel(captioned, QStringLiteral("Laufwerk:"));
    markValueLabel(bare);
    markValueLabel(marksLate, QStringLiteral("Frei:"));

    EXPECT_EQ(accessible(captioned)->text(QAccessible::Name), QStringLiteral("Laufwerk:"));
    EXPECT_EQ(accessible(bare)->text(QAccessible::Name), QString());
    EXPECT_EQ(accessible(marksLate)->text(QAccessible::Name), QStringLiteral("Frei:"));
    EXPECT_EQ(accessible(bare)->role(), QAccessible::StaticText);

    captioned->setText(QStringLiteral("/media/anna/STICK"));
    bare->setText(QStringLiteral("<b>fett</b> &amp; klar"));
    EXPECT_EQ(accessible(captioned)->text(QAccessible::Name), QStringLiteral("/media/anna/STICK"));
    EXPECT_EQ(accessible(bare)->text(QAccessible::Name), QStringLiteral("fett & klar"));
    captioned->clear();
    EXPECT_EQ(accessible(captioned)->text(QAccessible::Name), QStringLiteral("Laufwerk:"));
}

TEST(OptionButtonAccessibility, IsARadioButtonWithItsCheckedStateAndPlainName) {
    QGroupBox frame(QStringLiteral("Norvane Receiver Type"));
    auto* a = new OptionButton(&frame);
    auto* b = new OptionButton(&frame);
    a->setText(QStringLiteral("Norvane Q&110"));
    b->setText(QStringLiteral("Q&&A"));
    QAccessibleInterface* first = accessible(a);
    EXPECT_EQ(first->role(), QAccessible::RadioButton);
    EXPECT_EQ(first->text(QAccessible::Name), QStringLiteral("Norvane Q110"));
    EXPECT_EQ(accessible(b)->text(QAccessible::Name), QStringLiteral("Q&A"));
    EXPECT_TRUE(first->state().checkable);
    EXPECT_FALSE(first->state().checked);

    b->setChecked(true);
    EXPECT_TRUE(accessible(b)->state().checked);
    // Pressing through assistive technology selects like a click.
    first->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(first->state().checked);
    EXPECT_FALSE(accessible(b)->state().checked);
}

} // namespace
} // namespace norvane
