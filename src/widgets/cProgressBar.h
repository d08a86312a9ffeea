#pragma once
// The gradient fill bar: narrow full-height colour strips drawn into a picture
// box, with an optional centred percent text. Up to the value the strips run
// through the object's own gradient (left colour from EndFarbe, right colour from
// StartFarbe); the remainder runs from red to green. The object keeps only its
// colours; picture, value and range come with every call.

#include "widgets/ProgressBarMath.h"

#include <QtGlobal>

namespace norvane {

class PictureBox;

class cProgressBar {
public:
    // The gradient's colour at the left edge.
    void EndFarbe(qint16 R0, qint16 G0, qint16 B0);
    // The gradient's colour at the right end.
    void StartFarbe(qint16 R1, qint16 G1, qint16 B1);

    // Clears PicProgress and draws Value of Min..Max into it. The strips take the
    // clamped Value as a share of 100, the text takes it as a share of Max. A value
    // of 0 or less leaves the picture clear. Every drawing of a positive value ends
    // with the colours at red (200, 0, 0) on the left and green (0, 200, 0) on the
    // right, so a second drawing with the same object uses those. The picture box's
    // accessible description tells the percent drawn.
    void ShowProgress(PictureBox& PicProgress, qint32 Value, qint32 Min, qint32 Max, bool bShowProzent);

    const progressbar::GradientColours& colours() const { return m_colours; }

private:
    void drawPhase(PictureBox& picture, double from, double to, int height, bool reachesRightEdge) const;

    progressbar::GradientColours m_colours;
};

} // namespace norvane
