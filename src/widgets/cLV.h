#pragma once
// Helper for list views in report view (a QTreeView with a column header).

class QTreeView;

namespace norvane {

class cLV {
public:
    // Switches the header of CListView between push-button sections (the
    // standard raised look, clickable) and flat sections (a plain strip with thin
    // dividers, not clickable). A header in the standard look becomes flat; a
    // second call gives it its buttons back. A list without a header is left alone.
    void FlatListView(QTreeView& CListView);
};

} // namespace norvane
