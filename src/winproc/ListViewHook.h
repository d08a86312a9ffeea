#pragma once
// Keeps the user from changing the column header of a list view: while the list
// is hooked, every mouse button action on its header is refused before the header
// sees it (dragging a divider, double-clicking a divider to fit a column, dragging
// a column to another place). Hovering and everything else pass on untouched.
// Code may still set the widths.

class QEvent;
class QTreeView;

namespace norvane::winproc {

// Installs the guard on the list's header. Hooking a hooked list changes nothing.
void HookListView(QTreeView& list);
// Removes the guard; the header takes the user's changes again.
void UnhookListView(QTreeView& list);
bool isListViewHooked(const QTreeView& list);

// The guard's decision for one event that reaches the header: true when the event
// is refused and must not be passed on.
bool ListViewProc(const QEvent& event);

} // namespace norvane::winproc
