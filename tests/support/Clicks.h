#pragma once
// Clicks where a user clicks. Needs Qt Test in the linking test.

#include <QAbstractButton>
#include <QTest>

namespace norvane::test {

// A click on the round or square indicator of an option button or check box,
// which is clickable however wide the layout made the control.
inline void clickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

} // namespace norvane::test
