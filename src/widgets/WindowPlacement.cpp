#include "widgets/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

namespace norvane {

void centreOnOwner(QWidget& window) {
    const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible())
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    if (const QScreen* screen = owner->screen()) {
        const QRect available = screen->availableGeometry();
        frame.moveLeft(qBound(available.left(), frame.left(),
                              qMax(available.left(), available.right() - frame.width())));
        frame.moveTop(
            qBound(available.top(), frame.top(), qMax(available.top(), available.bottom() - frame.height())));
    }
    window.move(frame.topLeft());
}

} // namespace norvane
