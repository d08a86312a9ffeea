#pragma once
// What a user does to a column header with the mouse, sent as the events the
// window system delivers to the header's viewport (through its event filters).

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>

namespace norvane::test {

inline void sendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

inline int headerMiddle(const QHeaderView& header) {
    return header.height() / 2;
}

// The divider at the right end of a section.
inline QPoint dividerAfter(const QHeaderView& header, int section) {
    return {header.sectionViewportPosition(section) + header.sectionSize(section) - 1, headerMiddle(header)};
}

// Presses at `from`, drags to `to` in small steps and lets go.
inline void dragHeader(QHeaderView& header, QPoint from, QPoint to) {
    QWidget* viewport = header.viewport();
    sendMouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (int step = 1; step <= 4; ++step)
        sendMouse(viewport, QEvent::MouseMove, from + (to - from) * step / 4, Qt::NoButton, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

inline void dragDivider(QHeaderView& header, int section, int by) {
    const QPoint divider = dividerAfter(header, section);
    dragHeader(header, divider, divider + QPoint(by, 0));
}

inline void doubleClickDivider(QHeaderView& header, int section) {
    QWidget* viewport = header.viewport();
    const QPoint divider = dividerAfter(header, section);
    sendMouse(viewport, QEvent::MouseButtonPress, divider, Qt::LeftButton, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseButtonRelease, divider, Qt::LeftButton, Qt::NoButton);
    sendMouse(viewport, QEvent::MouseButtonDblClick, divider, Qt::LeftButton, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseButtonRelease, divider, Qt::LeftButton, Qt::NoButton);
}

} // namespace norvane::test
