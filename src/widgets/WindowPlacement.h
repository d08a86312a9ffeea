#pragma once
// Where a window of the program opens.

class QWidget;

namespace norvane {

// Makes a window owned by another one open over the middle of its owner, kept on
// the owner's screen, the first time both are shown.
void openOverOwner(QWidget& window);

} // namespace norvane
