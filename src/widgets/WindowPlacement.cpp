#include "widgets/WindowPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace norvane {

namespace {

QWidget* ownerOf(const QWidget& window) {
    return window.parentWidget() ? window.parentWidget()->window() : nullptr;
}

void centreOnOwner(QWidget& window, const QWidget& owner) {
    QRect frame = window.frameGeometry();
    frame.moveCenter(owner.frameGeometry().center());
    if (const QScreen* screen = owner.screen()) {
        const QRect available = screen->availableGeometry();
        frame.moveLeft(qBound(available.left(), frame.left(),
                              qMax(available.left(), available.right() - frame.width())));
        frame.moveTop(
            qBound(available.top(), frame.top(), qMax(available.top(), available.bottom() - frame.height())));
    }
    window.move(frame.topLeft());
}

// Places its window once both it and its owner are shown, then goes. A window
// opened while the program starts is shown before its owner.
class FirstShowPlacement final : public QObject {
public:
    FirstShowPlacement(QWidget& window, QWidget& owner) : QObject(&window), m_window(window), m_owner(owner) {
        m_window.installEventFilter(this);
        m_owner.installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show && m_window.isVisible() && m_owner.isVisible()) {
            centreOnOwner(m_window, m_owner);
            m_window.removeEventFilter(this);
            m_owner.removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QWidget& m_window;
    QWidget& m_owner;
};

} // namespace

void openOverOwner(QWidget& window) {
    if (QWidget* owner = ownerOf(window))
        new FirstShowPlacement(window, *owner);
}

} // namespace norvane
