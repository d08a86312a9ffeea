#include "widgets/cLV.h"

#include <QHeaderView>
#include <QTreeView>

namespace norvane {

namespace {

// Marks a header that was made flat here; its absence means push buttons.
constexpr char kFlatProperty[] = "norvaneFlatHeader";

const QString flatSections = QStringLiteral("QHeaderView::section {"
                                            " background-color: palette(window);"
                                            " border: none;"
                                            " border-right: 1px solid palette(mid);"
                                            " border-bottom: 1px solid palette(mid);"
                                            " padding: 2px 4px; }");

} // namespace

void cLV::FlatListView(QTreeView& CListView) {
    QHeaderView* header = CListView.header();
    if (!header)
        return;
    const bool flat = !header->property(kFlatProperty).toBool();
    header->setProperty(kFlatProperty, flat);
    header->setSectionsClickable(!flat);
    header->setStyleSheet(flat ? flatSections : QString());
    header->update();
}

} // namespace norvane
