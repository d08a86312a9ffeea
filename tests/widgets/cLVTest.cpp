// The list-view helper switches a header between push buttons and flat sections.

#include "widgets/cLV.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace norvane {
namespace {

TEST(cLV, FlatListViewTogglesBetweenButtonsAndAFlatHeader) {
    QTreeWidget list;
    list.setHeaderLabels({QStringLiteral("Laufwerksbuchstabe"), QStringLiteral("Laufwerksbezeichnung")});
    list.resize(300, 120);
    list.show();
    QHeaderView& header = *list.header();
    const QImage buttons = header.grab().toImage();

    cLV lv;
    lv.FlatListView(list);
    EXPECT_FALSE(header.sectionsClickable());
    EXPECT_NE(header.grab().toImage(), buttons) << "the header looks different when flat";

    lv.FlatListView(list);
    EXPECT_TRUE(header.sectionsClickable());
    EXPECT_EQ(header.grab().toImage(), buttons);
}

} // namespace
} // namespace norvane
