#include "widgets/cProgressBar.h"

#include "widgets/PictureBox.h"

#include <QString>
#include <algorithm>
#include <cmath>

namespace norvane {

using namespace progressbar;

void cProgressBar::EndFarbe(qint16 R0, qint16 G0, qint16 B0) {
    m_colours.red.atLeft = R0;
    m_colours.green.atLeft = G0;
    m_colours.blue.atLeft = B0;
}

void cProgressBar::StartFarbe(qint16 R1, qint16 G1, qint16 B1) {
    m_colours.red.atRight = R1;
    m_colours.green.atRight = G1;
    m_colours.blue.atRight = B1;
}

void cProgressBar::ShowProgress(PictureBox& PicProgress, qint32 Value, qint32 Min, qint32 Max,
                                bool bShowProzent) {
    Value = clampValue(Value, Min, Max);
    PicProgress.Cls();
    const float scaleWidth = PicProgress.ScaleWidth();
    const float scaleHeight = PicProgress.ScaleHeight();
    const int height = static_cast<int>(roundHalfEven(scaleHeight));
    // Only a positive value is drawn; it then lies in 1..Max, so the percent exists.
    const std::optional<qint16> percent = percentOf(Value, Max);
    if (Value <= 0 || !percent)
        return;

    const double share = Value / 100.0;
    drawPhase(PicProgress, 0.0, share, height, false);
    StartFarbe(0, 200, 0);
    EndFarbe(200, 0, 0);
    drawPhase(PicProgress, share, 1.0, height, true);

    const QString text = QString::number(*percent) + QStringLiteral(" %");
    if (bShowProzent) {
        PicProgress.CurrentX((scaleWidth - PicProgress.TextWidth(text)) / 2);
        PicProgress.CurrentY((scaleHeight - PicProgress.TextHeight(text)) / 2);
        PicProgress.ForeColor(
            textColourOver(PicProgress.Point(PicProgress.CurrentX(), PicProgress.CurrentY())));
        PicProgress.Print(text);
    }
    // A screen reader reads the fill level even when no text is printed.
    PicProgress.setAccessibleDescription(text);
}

void cProgressBar::drawPhase(PictureBox& picture, double from, double to, int height,
                             bool reachesRightEdge) const {
    const double width = picture.ScaleWidth();
    const std::vector<double> fractions = stripFractions(from, to);
    for (std::size_t n = 0; n < fractions.size(); ++n) {
        const double fraction = fractions[n];
        const int left = stripEdge(fraction, width);
        int right = stripEdge(fraction + kStripStep, width);
        // The last strip of the remainder closes the bar at the right edge, whatever
        // fraction the accumulated counter stopped at.
        if (reachesRightEdge && n + 1 == fractions.size())
            right = std::max(right, static_cast<int>(std::ceil(width)));
        picture.Line(static_cast<float>(left), 0.0f, static_cast<float>(right), static_cast<float>(height),
                     stripColour(m_colours, fraction));
    }
}

} // namespace norvane
