// The progress bar at the ends of its range and beyond them, in both orientations, with pictures
// from a theme file whose colours tell which part was drawn.
#include "SkinControlsSupport.h"

#include "skin-extra/SKProgressBar.h"

#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

constexpr TColor kDone = 0x30A050, kRest = 0xF0F0E0, kBorder = 0x202080;

// A theme whose progress picture is one flat colour with a different first row, so its
// direction shows.
TskFileTheme* ProgressTheme(QObject* owner, const QTemporaryDir& dir) {
    QImage picture = Strip(6, 10, {kDone});
    for (int x = 0; x < 6; ++x)
        picture.setPixel(x, 0, qRgb(255, 255, 0));
    TskThemeFileWriter w;
    w.AddBitmap("ProgressBarImage", Bmp(picture));
    w.AddInt("ControlBackgroundColor", static_cast<int32_t>(kRest));
    w.AddInt("ControlBorderColor", static_cast<int32_t>(kBorder));
    const QString path = dir.filePath("progress.skn");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(w.Data());
    f.close();
    auto* theme = new TskFileTheme(owner);
    theme->SetThemeFile(path);
    return theme;
}

// How many columns (or rows from the bottom) of the inside show the done colour.
int DoneColumns(const QImage& image) {
    int n = 0;
    for (int x = 1; x < image.width() - 1; ++x)
        n += At(image, x, image.height() / 2) == kDone;
    return n;
}
int DoneRows(const QImage& image) {
    int n = 0;
    for (int y = 1; y < image.height() - 1; ++y)
        n += At(image, image.width() / 2, y) != kRest;
    return n;
}

} // namespace

TEST(ProgressBar, DonePartAndCaptionAtTheEndsOfTheRangeAndBeyond) {
    QTemporaryDir dir;
    QWidget window;
    auto* bar = new TskProgressBar(&window);
    EXPECT_EQ(bar->size(), QSize(150, 12));
    EXPECT_EQ(bar->Caption(), "50%");
    bar->SetFileTheme(ProgressTheme(&window, dir));
    bar->SetUIStyle(FromThemeFile);
    bar->resize(101, 20); // 100 inner columns and the frame
    bar->SetShowCaption(false);
    struct Case {
        int min, max, position, done;
        const char* caption;
    };
    // The done part is at least one pixel wide (the first column: the frame's), so at 0 % the
    // inside shows none of the picture.
    const Case cases[] = {{0, 100, 0, 0, "0%"},     {0, 100, 100, 99, "100%"}, {0, 100, 37, 36, "37%"},
                          {0, 100, -20, 0, "-20%"}, {0, 100, 250, 99, "250%"}, {50, 50, 50, 0, "0%"},
                          {80, 20, 50, 0, "50%"}};
    for (const Case& c : cases) {
        bar->SetMin(c.min);
        bar->SetMax(c.max);
        bar->SetPosition(c.position);
        const QImage image = bar->Render();
        EXPECT_EQ(bar->Caption(), c.caption) << c.position;
        EXPECT_EQ(DoneColumns(image), c.done) << c.min << ".." << c.max << " at " << c.position;
        EXPECT_EQ(At(image, 0, 0), kBorder);
        EXPECT_EQ(At(image, 100, 19), kBorder);
    }
    // The caption: centred, in the caption colour; with SmartShowCaption none while at Min.
    bar->SetMin(0);
    bar->SetMax(100);
    bar->SetPosition(0);
    bar->SetCaptionColor(0x0000FF);
    bar->SetShowCaption(true);
    EXPECT_TRUE(Contains(bar->Render(), QRect(30, 3, 40, 14), 0x0000FF));
    bar->SetSmartShowCaption(true);
    EXPECT_FALSE(Contains(bar->Render(), QRect(1, 1, 99, 18), 0x0000FF));
    bar->SetPosition(1);
    EXPECT_TRUE(Contains(bar->Render(), QRect(30, 3, 40, 14), 0x0000FF));
}

TEST(ProgressBar, AVerticalBarGrowsFromTheBottomWithThePictureTurned) {
    QTemporaryDir dir;
    QWidget window;
    auto* bar = new TskProgressBar(&window);
    bar->SetFileTheme(ProgressTheme(&window, dir));
    bar->SetUIStyle(FromThemeFile);
    bar->resize(200, 12);
    bar->SetOrientation(skVertical);
    EXPECT_EQ(bar->size(), QSize(12, 200)); // the longer side stays the length
    // The picture was turned a quarter (its yellow first row is now its first column).
    EXPECT_EQ(At(bar->Picture(), 0, 3), 0x00FFFFu);
    EXPECT_EQ(At(bar->Picture(), 5, 3), kDone);
    bar->resize(12, 101);
    bar->SetPosition(25);
    const QImage image = bar->Render();
    EXPECT_EQ(DoneRows(image), 25);
    EXPECT_EQ(At(image, 6, 98), kDone);
    EXPECT_EQ(At(image, 6, 70), kRest);
    EXPECT_FALSE(bar->ShowCaption()); // a vertical bar never shows its caption
    bar->SetPosition(500);
    EXPECT_EQ(DoneRows(bar->Render()), 99);
    bar->SetPosition(-500);
    EXPECT_EQ(DoneRows(bar->Render()), 0);
    // Back to horizontal: 12 high, the picture taken again unturned.
    bar->SetOrientation(skHorizontal);
    EXPECT_EQ(bar->size(), QSize(101, 12));
    EXPECT_EQ(At(bar->Picture(), 3, 0), 0x00FFFFu);
    // A picture set by hand stays until the style changes.
    bar->SetPicture(Strip(4, 4, {0x112233}));
    EXPECT_EQ(At(bar->Picture(), 0, 0), 0x112233u);
    bar->SetUIStyle(DeepBlue);
    EXPECT_NE(At(bar->Picture(), 0, 0), 0x112233u);
}
