#include "winproc/ListViewHook.h"

#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QObject>
#include <QTreeView>

namespace norvane::winproc {

namespace {

// Mouse events of a header arrive at its viewport, so the guard sits there and
// lives as the viewport's child: it goes with the header, and the list carries no
// state of its own.
class HeaderGuard final : public QObject {
public:
    explicit HeaderGuard(QObject* parent) : QObject(parent) { setObjectName(name()); }
    static QString name() { return QStringLiteral("norvaneListViewHook"); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return ListViewProc(*event) || QObject::eventFilter(watched, event);
    }
};

QWidget* headerViewport(const QTreeView& list) {
    QHeaderView* header = list.header();
    return header ? header->viewport() : nullptr;
}

HeaderGuard* guardOf(const QTreeView& list) {
    QWidget* viewport = headerViewport(list);
    return viewport ? viewport->findChild<HeaderGuard*>(HeaderGuard::name(), Qt::FindDirectChildrenOnly)
                    : nullptr;
}

} // namespace

bool ListViewProc(const QEvent& event) {
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::MouseMove:
        // A move with a button held drags; a plain move only hovers.
        return static_cast<const QMouseEvent&>(event).buttons() != Qt::NoButton;
    default:
        return false;
    }
}

void HookListView(QTreeView& list) {
    QWidget* viewport = headerViewport(list);
    if (!viewport || guardOf(list))
        return;
    viewport->installEventFilter(new HeaderGuard(viewport));
}

void UnhookListView(QTreeView& list) {
    delete guardOf(list);
}

bool isListViewHooked(const QTreeView& list) {
    return guardOf(list) != nullptr;
}

} // namespace norvane::winproc
