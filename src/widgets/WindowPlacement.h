#pragma once
// Where a window of the program opens.

class QWidget;

namespace norvane {

// Moves a window owned by another one over the middle of its owner, kept on the
// owner's screen. Nothing happens while the owner is not shown.
void centreOnOwner(QWidget& window);

} // namespace norvane
