// The track bar: range writers and the OnChange rule, slider placement, page steps while held,
// dragging, keys, ticks and drawing over the parent.
#include "SkinControlsSupport.h"

#include "skin/SKImagePanel.h"
#include "skin/SKPublic.h"
#include "skin/SKTrackBar.h"

#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>
#include <limits>

#include <time.h>

using namespace SkinControlsTest;

namespace {

class TrackBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<QWidget>();
        form->resize(400, 300);
        theme = MakeTheme(form.get(), dir, "track.skn");
        bar = new TskTrackBar(form.get());
        bar->SetFileTheme(theme);
        bar->SetUIStyle(FromThemeFile);
        bar->resize(114, bar->height()); // room for the 14-pixel slider: 100 pixels
    }
    QTemporaryDir dir;
    std::unique_ptr<QWidget> form;
    TskFileTheme* theme = nullptr;
    TskTrackBar* bar = nullptr;
    ThemeColors colors;
};

} // namespace

TEST_F(TrackBarTest, StartValuesAndThickness) {
    TskTrackBar plain(form.get());
    EXPECT_EQ(plain.Max(), 10);
    EXPECT_EQ(plain.Min(), 0);
    EXPECT_EQ(plain.Position(), 0);
    EXPECT_EQ(plain.PageSize(), 2);
    EXPECT_EQ(plain.LineSize(), 1);
    EXPECT_TRUE(plain.ShowTick());
    EXPECT_FALSE(plain.Transparent());
    EXPECT_EQ(plain.Frequency(), 1);
    EXPECT_EQ(plain.Orientation(), skHorizontal);
    EXPECT_TRUE(plain.TabStop());
    // The thickness fits the larger of bar and slider; the slider takes its picture's size.
    EXPECT_EQ(bar->height(), 14);
    EXPECT_EQ(bar->SliderPart()->size(), QSize(14, 14));
    // Resizing keeps the fitted thickness (here on a shown form, where resizes arrive at once).
    form->show();
    bar->resize(200, 40);
    EXPECT_EQ(bar->size(), QSize(200, 14));
    bar->SetOrientation(skVertical);
    bar->resize(40, 120);
    EXPECT_EQ(bar->size(), QSize(22, 120));
    // MacOS draws over the parent.
    plain.SetUIStyle(MacOS);
    EXPECT_TRUE(plain.Transparent());
}

TEST_F(TrackBarTest, OnChangeOnlyWhenThePositionLeavesTheLastReportedOne) {
    QSignalSpy changes(bar, &TskTrackBar::OnChange);
    bar->SetPosition(0);
    EXPECT_EQ(changes.count(), 0);
    bar->SetPosition(4);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(bar->LastChange(), 4);
    bar->SetPosition(4);
    EXPECT_EQ(changes.count(), 1);
    bar->SetPosition(25);
    EXPECT_EQ(bar->Position(), 10);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(bar->LastChange(), 6);
    bar->SetPosition(99); // clamped to Max, which was reported already
    EXPECT_EQ(changes.count(), 2);
    // Lowering Max below the position moves it and reports it.
    bar->SetMax(6);
    EXPECT_EQ(bar->Position(), 6);
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(bar->LastChange(), -4);
    // Max below Min is raised to Min; Min above Max lowered to Max.
    bar->SetMin(2);
    bar->SetMax(1);
    EXPECT_EQ(bar->Max(), 2);
    bar->SetMin(5);
    EXPECT_EQ(bar->Min(), 2);
    EXPECT_EQ(bar->Position(), 2);
    // Writes of the same value do nothing.
    const auto count = changes.count();
    bar->SetMax(2);
    bar->SetMin(2);
    EXPECT_EQ(changes.count(), count);
}

TEST_F(TrackBarTest, PageAndLineSizesAreAcceptedOnlyWithinZeroToMax) {
    bar->SetPageSize(11);
    EXPECT_EQ(bar->PageSize(), 2);
    bar->SetPageSize(-1);
    EXPECT_EQ(bar->PageSize(), 2);
    bar->SetPageSize(10);
    EXPECT_EQ(bar->PageSize(), 10);
    bar->SetLineSize(12);
    EXPECT_EQ(bar->LineSize(), 1);
    bar->SetLineSize(0);
    EXPECT_EQ(bar->LineSize(), 0);
}

TEST_F(TrackBarTest, SliderPositionAtMinMaxAndAfterAPageStep) {
    bar->SetMax(100);
    EXPECT_EQ(bar->GetSliderPos(), QPoint(0, 0));
    QImage image = bar->grab().toImage();
    EXPECT_EQ(At(image, 7, 7), colors.slider());
    bar->SetPosition(100);
    EXPECT_EQ(bar->GetSliderPos(), QPoint(100, 0));
    image = bar->grab().toImage();
    EXPECT_EQ(At(image, 107, 7), colors.slider());
    EXPECT_NE(At(image, 7, 7), colors.slider());
    // A press to the left of the slider steps back by PageSize.
    bar->SetPageSize(20);
    Press(bar, {10, 7});
    Release(bar, {10, 7});
    EXPECT_EQ(bar->Position(), 80);
    EXPECT_EQ(bar->SliderPart()->pos(), QPoint(80, 0));
    image = bar->grab().toImage();
    EXPECT_EQ(At(image, 87, 7), colors.slider());
    // Min = Max: the slider stays at the start.
    bar->SetMin(100);
    EXPECT_EQ(bar->GetSliderPos().x(), 0);
}

TEST_F(TrackBarTest, TheBarStripAndTicks) {
    bar->SetMax(4);
    bar->SliderPart()->hide();
    QImage image = bar->Render();
    // The 84 x 1 bar in three parts: ends of 28 pixels, the middle stretched, centred (row 6).
    EXPECT_EQ(At(image, 0, 6), colors.bar(1));
    EXPECT_EQ(At(image, 50, 6), colors.bar(2));
    EXPECT_EQ(At(image, 113, 6), colors.bar(3));
    // Ticks: at the slider centre of each value, 3 pixels up from the bottom edge.
    for (int v = 0; v <= 4; ++v) {
        const int x = 100 * v / 4 + 7;
        EXPECT_EQ(At(image, x, 13), 0u) << v;
        EXPECT_EQ(At(image, x, 11), 0u) << v;
        EXPECT_NE(At(image, x, 10), 0u) << v;
    }
    EXPECT_NE(At(image, 20, 13), 0u);
    bar->SetMin(4);
    image = bar->Render();
    EXPECT_NE(At(image, 7, 13), 0u); // Min = Max: no ticks
}

namespace {

// CPU time of this thread, in milliseconds (what the work costs, whatever else the machine runs).
double ThreadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

} // namespace

// A large bar picture (three parts of 1300 x 1500, 23 MB decoded) is masked once for every rebuild
// that follows: forty resizes of a narrow bar together cost a fraction of what masking the whole
// picture forty times would, measured against one masking of it; and the bar still shows its three
// parts.
TEST_F(TrackBarTest, ALargeBarPictureIsMaskedOnceForAllItsRebuilds) {
    TskThemeFileWriter w;
    w.AddBitmap("TrackBarBarImage", Bmp(Strip(1300, 1500, {colors.bar(1), colors.bar(2), colors.bar(3)})));
    w.AddBitmap("TrackBarSliderImage", Bmp(Strip(14, 14, {colors.slider()})));
    const QString path = dir.filePath("large.skn");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(w.Data());
    }
    auto* large = new TskFileTheme(form.get());
    large->SetThemeFile(path);
    QImage picture;
    large->GetBitmap(SkinElement::TrackBarBarImage, picture);
    ASSERT_EQ(picture.size(), QSize(3900, 1500));
    form->show();
    bar->SetFileTheme(large);
    bar->resize(90, bar->height());
    ASSERT_EQ(bar->height(), 1500);

    double start = ThreadMs();
    const QImage masked = MaskedImage(picture, 0xFF00FF);
    const double once = ThreadMs() - start;
    ASSERT_FALSE(masked.isNull());
    start = ThreadMs();
    for (int i = 0; i < 40; ++i)
        bar->resize(50 + i, bar->height());
    const double resizes = ThreadMs() - start;
    EXPECT_LT(resizes, 12 * once) << "40 resizes took " << resizes << " ms; one masking " << once << " ms";
    bar->resize(3000, bar->height());
    bar->SliderPart()->hide();
    const QImage image = bar->Render();
    EXPECT_EQ(At(image, 0, 700), colors.bar(1));
    EXPECT_EQ(At(image, 1500, 700), colors.bar(2));
    EXPECT_EQ(At(image, 2999, 700), colors.bar(3));
}

TEST_F(TrackBarTest, VerticalBarPutsMinAtTheTop) {
    bar->SetOrientation(skVertical);
    bar->resize(bar->width(), 211);
    bar->SetMin(-15000);
    bar->SetMax(15000);
    bar->SetPosition(-15000);
    EXPECT_EQ(bar->width(), 22); // the 22 x 11 vertical slider
    EXPECT_EQ(bar->GetSliderPos(), QPoint(0, 0));
    bar->SetPosition(15000);
    EXPECT_EQ(bar->GetSliderPos(), QPoint(0, 200));
    bar->SetPosition(0);
    EXPECT_EQ(bar->GetSliderPos(), QPoint(0, 100));
}

TEST_F(TrackBarTest, HoldingTheButtonStepsThreePagesEveryTenthOfASecond) {
    bar->SetMax(100);
    bar->SetPageSize(5);
    QSignalSpy changes(bar, &TskTrackBar::OnChange);
    // The value under x = 97 is round((97 - 7) * 100 / 100) = 90.
    Press(bar, {97, 7});
    EXPECT_EQ(bar->Position(), 5);
    // Timers may run late on a loaded machine: wait for the steps rather than for a time.
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->Position() != 5; }, 5000));
    EXPECT_EQ(bar->Position(), 20); // one tick: three pages
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->Position() == 90; }, 5000));
    QTest::qWait(250);
    EXPECT_EQ(bar->Position(), 90); // stops at the value under the cursor
    Release(bar, {97, 7});
    EXPECT_FALSE(bar->IsRepeating());
    EXPECT_GE(changes.count(), 4);
    // A vertical bar steps one page per tick.
    bar->SetOrientation(skVertical);
    bar->resize(22, 111);
    bar->SetPosition(0);
    Press(bar, {11, 105});
    EXPECT_EQ(bar->Position(), 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->Position() != 5; }, 5000));
    EXPECT_EQ(bar->Position(), 10);
    Release(bar, {11, 105});
}

// Through Qt's own dispatch: while the button is held Qt keeps the mouse on the bar and tells of
// the leave only after the release, yet the steps end as the pointer slides off the bar.
TEST_F(TrackBarTest, SlidingOffWhileHeldEndsTheSteps) {
    bar->SetMax(1000);
    bar->SetPageSize(5);
    bar->move(20, 20);
    ASSERT_TRUE(ShowActive(form.get()));
    QWindow* window = form->windowHandle();
    const QPoint far = bar->mapTo(form.get(), QPoint(110, bar->height() / 2));
    QTest::mouseMove(window, far);
    QTest::mousePress(window, Qt::LeftButton, {}, far);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->Position() >= 20; }, 5000)); // stepping
    QTest::mouseMove(window, far + QPoint(0, 3));                              // still on the bar: it goes on
    EXPECT_TRUE(bar->IsRepeating());
    QTest::mouseMove(window, far + QPoint(0, 80));
    EXPECT_FALSE(bar->IsRepeating());
    const int offAt = bar->Position();
    QTest::qWait(250);
    EXPECT_EQ(bar->Position(), offAt);
    QTest::mouseRelease(window, Qt::LeftButton, {}, far + QPoint(0, 80));
}

TEST_F(TrackBarTest, DisablingOrHidingEndsTheStepRepeatAndTheDrag) {
    bar->SetMax(100);
    Press(bar, {97, 7});
    EXPECT_EQ(bar->Position(), 2);
    bar->setEnabled(false);
    EXPECT_FALSE(bar->IsRepeating());
    QTest::qWait(150);
    EXPECT_EQ(bar->Position(), 2);
    bar->setEnabled(true);
    form->show();
    Press(bar->SliderPart(), {7, 7});
    EXPECT_TRUE(bar->IsDragging());
    bar->hide();
    EXPECT_FALSE(bar->IsDragging());
}

TEST_F(TrackBarTest, DraggingTheSliderFollowsTheCursor) {
    bar->SetMax(100);
    QSignalSpy changes(bar, &TskTrackBar::OnChange);
    QSignalSpy downs(bar, &TskTrackBar::OnMouseDown);
    TskImagePanel* slider = bar->SliderPart();
    Press(slider, {7, 7});
    EXPECT_TRUE(bar->IsDragging());
    ASSERT_EQ(downs.count(), 1);
    EXPECT_EQ(downs[0][2].toInt(), 7); // in the bar's coordinates
    MoveHeld(slider, {57, 7});         // bar x = 57: value 50
    EXPECT_EQ(bar->Position(), 50);
    EXPECT_EQ(changes.count(), 1);
    MoveHeld(slider, {7, 7}); // slider now at 50: bar x = 57 again, no change
    EXPECT_EQ(changes.count(), 1);
    MoveHeld(slider, {500, 7});
    EXPECT_EQ(bar->Position(), 100);
    Release(slider, {500, 7});
    EXPECT_FALSE(bar->IsDragging());
}

TEST_F(TrackBarTest, Keys) {
    bar->SetMax(100);
    bar->SetPageSize(10);
    bar->SetLineSize(3);
    auto key = [&](Qt::Key k) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(bar, &e);
        return bar->Position();
    };
    EXPECT_EQ(key(Qt::Key_PageDown), 10);
    EXPECT_EQ(key(Qt::Key_Right), 13);
    EXPECT_EQ(key(Qt::Key_Down), 16);
    EXPECT_EQ(key(Qt::Key_Up), 13);
    EXPECT_EQ(key(Qt::Key_Left), 10);
    EXPECT_EQ(key(Qt::Key_PageUp), 0);
    EXPECT_EQ(key(Qt::Key_End), 100);
    EXPECT_EQ(key(Qt::Key_Home), 0);
    EXPECT_EQ(key(Qt::Key_A), 0);
}

TEST_F(TrackBarTest, TransparentBarShowsItsParent) {
    auto* panel = new TskImagePanel(form.get());
    panel->resize(200, 50);
    panel->SetColor(0x3366CC);
    auto* onPanel = new TskTrackBar(panel);
    onPanel->SetFileTheme(theme);
    onPanel->SetUIStyle(FromThemeFile);
    onPanel->move(10, 10);
    onPanel->SetShowTick(false);
    onPanel->SetColor(0x000001);
    EXPECT_EQ(At(onPanel->Render(), 60, 0), 0x000001u);
    onPanel->SetTransparent(true);
    EXPECT_EQ(At(onPanel->Render(), 60, 0), 0x3366CCu);
    // The horizontal slider leaves out its bottom-left colour; a scroll track bar's does not.
    EXPECT_TRUE(onPanel->SliderPart()->Transparent());
    TskScrollTrackBar scroll(panel);
    EXPECT_FALSE(scroll.SliderPart()->Transparent());
    scroll.SetSliderVisible(false);
    EXPECT_FALSE(scroll.GetSliderVisible());
}

TEST_F(TrackBarTest, ThemeRemovalFallsBackToDeepBlue) {
    delete theme;
    EXPECT_EQ(bar->FileTheme(), nullptr);
    EXPECT_EQ(bar->UIStyle(), DeepBlue);
    bar->Render(); // draws without the theme
}

TEST_F(TrackBarTest, ExtremeRangesAndFrequencies) {
    // A frequency of 0 or less draws ticks at Min and Max only (and never loops for ever).
    bar->SetMax(4);
    bar->SliderPart()->hide();
    bar->SetFrequency(0);
    QImage image = bar->Render();
    EXPECT_EQ(At(image, 7, 13), 0u);
    EXPECT_EQ(At(image, 107, 13), 0u);
    EXPECT_NE(At(image, 32, 13), 0u);
    bar->SetFrequency(-3);
    bar->Render();
    // The whole integer range: positions, ticks and steps stay in range.
    bar->SetFrequency(1);
    bar->SetMin(std::numeric_limits<int>::min());
    bar->SetMax(std::numeric_limits<int>::max());
    bar->SetPageSize(std::numeric_limits<int>::max());
    bar->SetPosition(std::numeric_limits<int>::max());
    EXPECT_EQ(bar->GetSliderPos().x(), 100);
    bar->SetPosition(std::numeric_limits<int>::min());
    EXPECT_EQ(bar->GetSliderPos().x(), 0);
    QKeyEvent up(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(bar, &up);
    EXPECT_EQ(bar->Position(), std::numeric_limits<int>::min());
    QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(bar, &down);
    QApplication::sendEvent(bar, &down);
    QApplication::sendEvent(bar, &down);
    EXPECT_EQ(bar->Position(), std::numeric_limits<int>::max());
    bar->Render();
}
