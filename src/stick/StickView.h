#pragma once
// The stick panel of the main window as the drive object fills it. The drive
// object holds the stick logic; the window implements this view and owns the
// controls, so the stick library never touches a widget.

#include <QString>

namespace norvane {

// A colour by its red, green and blue parts, 0 to 255 each.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

class StickView {
public:
    virtual ~StickView() = default;

    // lblLW: the root of the current stick.
    virtual void setDriveCaption(const QString& root) = 0;
    // txtOpenPath.
    virtual QString openPathText() const = 0;
    virtual void setOpenPathText(const QString& text) = 0;
    // txtDT_Cap and txtFAT.
    virtual void setVolumeLabelText(const QString& label) = 0;
    virtual void setFileSystemText(const QString& fileSystem) = 0;
    // cmdChoose and panel 1 of the status bar for a stick found or none: the button
    // enabled or not with its caption, the panel's picture file, text, enabled state and
    // tool tip. The window words them.
    virtual void showStickFound(bool found, const QString& picturePath) = 0;
    // Position and item data (the power of 1024) of the selected unit of cmbSize;
    // position -1 when nothing is selected.
    virtual int unitPosition() const = 0;
    virtual int unitPower() const = 0;
    // lblHDSize, lblHDFree, lblHDUsed.
    virtual void setSizeCaptions(const QString& total, const QString& free, const QString& used) = 0;
    // The colour swatches lblHDUsedColor and lblHDFreeColor.
    virtual void setSwatchColours(Rgb used, Rgb free) = 0;
    // Picture1: the fill bar drawn at a whole percent, or cleared.
    virtual void showFillBar(int percent) = 0;
    virtual void clearFillBar() = 0;
    // Opens the drive picker, modeless and owned by the window; returns at once.
    virtual void showDrivePicker() = 0;
};

} // namespace norvane
