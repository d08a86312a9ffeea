#pragma once
// An option button that behaves like the classic ones: the options of one
// container are mutually exclusive, selecting one from code raises `selected`
// exactly like a user's click, and code may also deselect an option (which
// raises nothing). Qt's exclusive radio buttons refuse to be deselected, so the
// exclusivity is kept here instead. Assistive technology is still told that
// these are radio buttons, with their checked state (Accessibility.h).

#include <QRadioButton>

namespace norvane {

class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(QWidget* parent = nullptr);

Q_SIGNALS:
    // The option has just become selected, by the user or by code.
    void selected();

protected:
    // A click on the selected option leaves it selected.
    void nextCheckState() override;

private:
    void onToggled(bool on);
};

} // namespace norvane
