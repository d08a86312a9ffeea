// The fill bar drawn into a real picture box offscreen, read back pixel by pixel.

#include "widgets/cProgressBar.h"
#include "widgets/PictureBox.h"

#include <QAccessible>
#include <gtest/gtest.h>

namespace norvane {
namespace {

using progressbar::rgbColour;

// A blue ground no strip can have (strips carry no blue in these tests).
const QColor kGround(0x12, 0x34, 0x56);

struct Picture {
    PictureBox box;
    explicit Picture(int width, int height = 18) {
        QPalette palette = box.palette();
        palette.setColor(box.backgroundRole(), kGround);
        box.setPalette(palette);
        box.resize(width, height);
        box.Cls();
    }
    quint32 at(int x, int y) const {
        const QRgb rgb = box.picture().pixel(x, y);
        return rgbColour(qRed(rgb), qGreen(rgb), qBlue(rgb));
    }
    bool anyPixel(const std::function<bool(QRgb)>& test) const {
        const QImage& image = box.picture();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (test(image.pixel(x, y)))
                    return true;
        return false;
    }
};

// The capacity display's bar: the used share in two shades of red.
cProgressBar capacityBar() {
    cProgressBar bar;
    bar.StartFarbe(100, 0, 0);
    bar.EndFarbe(200, 0, 0);
    return bar;
}

TEST(cProgressBar, DrawsTheValueInItsGradientAndTheRestFromRedToGreen) {
    Picture p(200);
    p.box.ForeColor(0x123456);
    cProgressBar bar = capacityBar();
    bar.ShowProgress(p.box, 30, 0, 100, false);

    EXPECT_EQ(p.at(0, 0), rgbColour(200, 0, 0));
    EXPECT_EQ(p.at(0, 17), rgbColour(200, 0, 0));
    EXPECT_EQ(p.at(59, 9), rgbColour(171, 0, 0)) << "value part at 0.29";
    EXPECT_EQ(p.at(60, 9), rgbColour(140, 60, 0)) << "remainder from 0.30";
    EXPECT_EQ(p.at(199, 17), rgbColour(2, 198, 0)) << "remainder at 0.99";
    EXPECT_EQ(p.box.ForeColor(), 0x123456u) << "no text, no text colour";
    EXPECT_EQ(p.box.accessibleDescription(), QStringLiteral("30 %"));
    // The drawing leaves the red-to-green scheme in the object.
    EXPECT_EQ(bar.colours().red.atLeft, 200);
    EXPECT_EQ(bar.colours().green.atRight, 200);
    EXPECT_EQ(bar.colours().red.atRight, 0);
}

TEST(cProgressBar, FillsThePictureToItsRightEdgeAtAnyWidth) {
    struct Row {
        int value, max;
    };
    const Row rows[] = {{1, 100}, {10, 100}, {50, 100}, {99, 100}, {100, 100}, {150, 200}};
    for (int width : {50, 157, 199, 333}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << "width " << width << ", value " << row.value);
            Picture p(width);
            capacityBar().ShowProgress(p.box, row.value, 0, row.max, false);
            EXPECT_FALSE(p.anyPixel([](QRgb rgb) { return rgb == kGround.rgb(); }));
        }
    }
}

TEST(cProgressBar, NothingToShowLeavesThePictureClearAndTheColoursAlone) {
    for (int value : {0, -5}) {
        SCOPED_TRACE(value);
        Picture p(200);
        capacityBar().ShowProgress(p.box, 50, 0, 100, true);
        p.box.ForeColor(0x123456);
        cProgressBar bar = capacityBar();
        bar.ShowProgress(p.box, value, 0, 100, true);
        EXPECT_FALSE(p.anyPixel([](QRgb rgb) { return rgb != kGround.rgb(); }));
        EXPECT_EQ(p.box.ForeColor(), 0x123456u);
        EXPECT_TRUE(p.box.accessibleDescription().isEmpty());
        EXPECT_EQ(bar.colours().red.atRight, 100);
    }
}

TEST(cProgressBar, PrintsACentredPercentInAColourReadableOverTheBar) {
    struct Row {
        const char* name;
        qint16 r, g, b; // the value part's colour at both ends
        quint32 textColour;
    };
    const Row rows[] = {
        {"white text over dark red", 200, 0, 0, 0xFFFFFF},
        {"black text over white", 255, 255, 255, 0x000000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Picture p(200, 24);
        cProgressBar bar;
        bar.EndFarbe(row.r, row.g, row.b);
        bar.StartFarbe(row.r, row.g, row.b);
        bar.ShowProgress(p.box, 100, 0, 100, true);
        EXPECT_EQ(p.box.ForeColor(), row.textColour);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&p.box);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->text(QAccessible::Description), QStringLiteral("100 %"));
        // Over a one-coloured bar only the text can bring the other extreme.
        const bool textDrawn = p.anyPixel(
            [&](QRgb rgb) { return row.textColour == 0xFFFFFF ? qBlue(rgb) > 128 : qGreen(rgb) < 128; });
        EXPECT_TRUE(textDrawn);
    }
}

} // namespace
} // namespace norvane
