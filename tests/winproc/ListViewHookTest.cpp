// The header guard of a list view: while hooked, the user's mouse gestures on
// the header change nothing; unhooked, the same gestures work again.

#include "winproc/ListViewHook.h"
#include "winproc/HeaderGestures.h"

#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace norvane::winproc {
namespace {

// A list whose header takes every change a user can make.
struct ResizableList {
    QTreeWidget list;
    ResizableList() {
        list.setHeaderLabels({QStringLiteral("Laufwerksbuchstabe"), QStringLiteral("Laufwerksbezeichnung")});
        list.addTopLevelItem(new QTreeWidgetItem(
            {QStringLiteral("/media/anna/a very long name of a stick/"), QStringLiteral("NORVANE")}));
        QHeaderView* header = list.header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->resizeSection(0, 120);
        header->resizeSection(1, 133);
        list.resize(400, 200);
        list.show();
    }
    QHeaderView& header() { return *list.header(); }
    std::array<int, 2> state() { return {header().sectionSize(0), header().sectionSize(1)}; }
};

struct Gesture {
    const char* name;
    std::function<void(QHeaderView&)> perform;
};

TEST(ListViewHook, RefusesEveryHeaderGestureWhileHookedAndOnlyThen) {
    const Gesture gestures[] = {
        {"drag a divider wider", [](QHeaderView& h) { test::dragDivider(h, 0, 60); }},
        {"drag a divider narrower", [](QHeaderView& h) { test::dragDivider(h, 1, -50); }},
        {"double-click a divider", [](QHeaderView& h) { test::doubleClickDivider(h, 0); }},
    };
    for (const Gesture& gesture : gestures) {
        SCOPED_TRACE(gesture.name);
        ResizableList unhooked;
        const auto before = unhooked.state();
        gesture.perform(unhooked.header());
        ASSERT_NE(unhooked.state(), before) << "the gesture changes an unguarded header";

        ResizableList hooked;
        HookListView(hooked.list);
        gesture.perform(hooked.header());
        EXPECT_EQ(hooked.state(), before);

        UnhookListView(hooked.list);
        gesture.perform(hooked.header());
        EXPECT_NE(hooked.state(), before) << "unhooked, the header takes changes again";
    }
}

TEST(ListViewHook, HookingTwiceNeedsOneUnhookAndCodeMayStillSetWidths) {
    ResizableList l;
    HookListView(l.list);
    HookListView(l.list);
    l.header().resizeSection(0, 90);
    EXPECT_EQ(l.header().sectionSize(0), 90);
    UnhookListView(l.list);
    EXPECT_FALSE(isListViewHooked(l.list));
}

} // namespace
} // namespace norvane::winproc
