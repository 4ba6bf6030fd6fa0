#include "recorder/MyAmpBar.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// A meter set up as the main window sets its two meters up.
void SetUpAsMainWindowDoes(TMyAmpBar& bar, bool vertical) {
    bar.SetVertical(vertical);
    bar.SetMax(100);
    bar.SetMin(0);
    bar.SetPosition(0);
    bar.SetBackColor(0x3A3C30);
    bar.SetFrameColor(0x808080);
    bar.SetLowColor(0xDB843A);
    bar.SetHighColor(0x0000FF);
}

QImage Paint(const TMyAmpBar& bar) {
    QImage image(bar.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    bar.PaintBar(painter);
    return image;
}

QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}

void Tick(TMyAmpBar& bar, int times) {
    for (int i = 0; i < times; ++i)
        bar.SmoothTimer();
}

} // namespace

TEST(LevelMeter, ClampsAndSmoothsOverFiveTicks) {
    TMyAmpBar bar;
    SetUpAsMainWindowDoes(bar, true);
    bar.SetPosition(150);
    EXPECT_EQ(bar.Position(), 100);
    Tick(bar, 5);
    EXPECT_EQ(bar.Shown(), 99);

    bar.SetPosition(0);
    std::vector<int> shown;
    for (int i = 0; i < 5; ++i) {
        bar.SmoothTimer();
        shown.push_back(bar.Shown());
    }
    EXPECT_EQ(shown, (std::vector<int>{79, 59, 39, 19, -1}));
    bar.SetPosition(-20);
    EXPECT_EQ(bar.Position(), 0);
}

TEST(LevelMeter, VerticalBarLightsItsRowsInTheGradient) {
    TMyAmpBar bar;
    bar.resize(10, 93);
    SetUpAsMainWindowDoes(bar, true);
    ASSERT_EQ(bar.ColorTable().size(), 93u);
    // Bottom row is the low colour; the top row comes close to halfway toward the high colour.
    EXPECT_EQ(bar.ColorTable()[92], 0xDB843Au);
    EXPECT_EQ(bar.ColorTable()[0], 0x6F439Bu);

    bar.SetPosition(51); // five ticks at 51 show 50
    Tick(bar, 5);
    ASSERT_EQ(bar.Shown(), 50);
    const QImage image = Paint(bar);
    EXPECT_EQ(image.pixel(0, 50), Rgb(0x808080)); // frame
    EXPECT_EQ(image.pixel(5, 45), Rgb(0x3A3C30)); // unlit row above the bar
    for (int y = 46; y <= 91; ++y)
        ASSERT_EQ(image.pixel(5, y), Rgb(bar.ColorTable()[y])) << "row " << y;
    EXPECT_EQ(image.pixel(5, 92), Rgb(0x808080));
    EXPECT_EQ(image.pixel(9, 60), Rgb(0x808080));
}

TEST(LevelMeter, HorizontalBarAndNothingForZeroOrNegative) {
    TMyAmpBar bar;
    bar.resize(101, 8);
    SetUpAsMainWindowDoes(bar, false);
    ASSERT_EQ(bar.ColorTable().size(), 101u);
    EXPECT_EQ(bar.ColorTable()[0], 0xDB843Au);

    QImage image = Paint(bar); // shown 0: only frame and background
    EXPECT_EQ(image.pixel(1, 4), Rgb(0x3A3C30));

    bar.SetPosition(26); // shows 25: columns 1..25 lit
    Tick(bar, 5);
    image = Paint(bar);
    EXPECT_EQ(image.pixel(25, 4), Rgb(bar.ColorTable()[25]));
    EXPECT_EQ(image.pixel(26, 4), Rgb(0x3A3C30));
    EXPECT_EQ(image.pixel(25, 0), Rgb(0x808080));
}
