#pragma once
// What assistive technology is told about our controls.
//
// Qt names a control without a name of its own after the frame around it, so an
// empty label inside a group box is read out as the box's title. Labels that show
// a changing value are therefore marked: such a label is read by its text, and
// while that is empty by its caption (or as empty), never by the frame's title.
// Option buttons (see OptionButton.h) are presented as radio buttons with their
// checked state.

#include <QString>

class QLabel;

namespace norvane {

// Marks `label` as showing a value: its accessible name is its current text, or
// `caption` while the text is empty. The name follows every later setText().
void markValueLabel(QLabel* label, const QString& caption = {});

// Makes the accessible interfaces of our own controls known to Qt. Needed once per
// program; safe to call again. markValueLabel and OptionButton call it.
void installAccessibility();

} // namespace norvane
