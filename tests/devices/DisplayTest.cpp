// The display and spectrum controls draw every mode offscreen and clear on an empty block.
#include "DeviceTestSupport.h"

#include "components/SpectrumBars.h"
#include "components/TAudioDisplay2.h"
#include "components/TAudioVisualization2.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace devtest;

namespace {
// Pixels that differ from the background colour.
int drawnPixels(QWidget& w, const QColor& back) {
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    w.render(&img);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != back.rgb()) ++n;
    return n;
}
} // namespace

TEST(Display, EveryModeDrawsAndAnEmptyBlockClears) {
    const AudioBlock music(sine(44100, 2, 0.05, {440.0, 3000.0}, {0.6, 0.3}), 2);
    for (int mode = 0; mode < TAudioDisplay2::kModes; ++mode) {
        TAudioDisplay2 ad;
        ad.resize(400, 150);
        ad.setTypeDisplay(mode);
        EXPECT_EQ(ad.TypeDisplay(), mode);
        ASSERT_GT(ad.FFTWindowsSize(), 0);
        for (int i = 0; i < 3; ++i) {
            const std::size_t n =
                std::min<std::size_t>(music.samples.size(), static_cast<std::size_t>(ad.FFTWindowsSize()));
            ad.DisplayArray(
                AudioBlock(std::vector<int16_t>(music.samples.begin(),
                                                music.samples.begin() + static_cast<std::ptrdiff_t>(n)),
                           2));
        }
        EXPECT_GT(drawnPixels(ad, ad.BackColor()), 100) << "mode " << mode;
        ad.DisplayArray(AudioBlock());
        EXPECT_EQ(drawnPixels(ad, ad.BackColor()), 0) << "mode " << mode << " after clearing";
    }
    TAudioDisplay2 ad;
    ad.setTypeDisplay(9);
    EXPECT_EQ(ad.TypeDisplay(), 4);
}

TEST(Display, SpectrumViewDrawsAndClears) {
    TAudioVisualization2 av;
    av.resize(300, 60);
    const int n = av.WindowArraySize();
    ASSERT_GT(n, 0);
    AudioBlock block(sine(44100, 2, static_cast<double>(n) / 44100.0, {1000.0, 5000.0}, {0.8, 0.8}), 2);
    av.DisplayArray(block);
    EXPECT_GT(drawnPixels(av, av.BackColor()), 50);
    av.DisplayArray(AudioBlock());
    EXPECT_EQ(drawnPixels(av, av.BackColor()), 0);
    // Silence and a tiny block draw nothing wrong either.
    av.DisplayArray(AudioBlock(std::vector<int16_t>(4, 0), 2));
    EXPECT_EQ(drawnPixels(av, av.BackColor()), 0);
}

TEST(Display, BarsRiseAndFallAtTheirSetPace) {
    SpectrumBars bars;
    bars.feed({0.0f, -36.0f, -100.0f}, -72.0f, 4, 2); // full, half, below the floor
    EXPECT_FLOAT_EQ(bars.bars()[0], 0.25f);           // a quarter of the height per update
    EXPECT_FLOAT_EQ(bars.bars()[1], 0.25f);
    EXPECT_FLOAT_EQ(bars.bars()[2], 0.0f);
    bars.feed({0.0f, -36.0f, -100.0f}, -72.0f, 4, 2);
    bars.feed({0.0f, -36.0f, -100.0f}, -72.0f, 4, 2);
    EXPECT_FLOAT_EQ(bars.bars()[0], 0.75f);
    EXPECT_FLOAT_EQ(bars.bars()[1], 0.5f); // never past its level
    bars.feed({-120.0f, -120.0f, -120.0f}, -72.0f, 4, 2);
    EXPECT_FLOAT_EQ(bars.bars()[0], 0.25f);   // half the height per update down
    EXPECT_FLOAT_EQ(bars.peaks()[0], 0.625f); // caps fall four times slower
    bars.feed({-120.0f, -120.0f, -120.0f}, -72.0f, 0, 0);
    EXPECT_FLOAT_EQ(bars.bars()[0], 0.0f); // 0: at once
    bars.clear(5);
    EXPECT_EQ(bars.bars().size(), 5u);
    EXPECT_FLOAT_EQ(bars.peaks()[4], 0.0f);
}

TEST(Display, BorderAndFloorKeptWithTheForm) {
    TAudioDisplay2 ad;
    ad.resize(200, 80);
    ad.setBorder(true);
    ad.setForeColor(QColor(10, 200, 30));
    QImage img(ad.size(), QImage::Format_RGB32);
    ad.render(&img);
    EXPECT_EQ(img.pixelColor(0, 0), QColor(10, 200, 30));
    EXPECT_EQ(img.pixelColor(199, 79), QColor(10, 200, 30));
    EXPECT_EQ(img.pixelColor(100, 40), ad.BackColor());
    ad.setMinLevel(-500);
    EXPECT_EQ(ad.MinLevel(), -120);
    ad.setMinLevel(0);
    EXPECT_EQ(ad.MinLevel(), -6);
    ad.setReleaseTime(-3);
    EXPECT_EQ(ad.ReleaseTime(), 0);
}
