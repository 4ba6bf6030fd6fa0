// The skinned scroll bar: layout around its buttons, the slider's length (fixed or proportional),
// the inner bar's range rules, and the buttons stepping at once and then while held.
#include "SkinControlsSupport.h"

#include "skin/SKButton.h"
#include "skin/SKScrollBar.h"
#include "skin/SKTrackBar.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <limits>

using namespace SkinControlsTest;

namespace {

constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();

int SliderLength(const TskScrollBar* bar) {
    const QWidget* slider = bar->TrackBar()->SliderPart();
    return bar->Orientation() == skHorizontal ? slider->width() : slider->height();
}

} // namespace

TEST(ScrollBarTest, LayoutSliderLengthAndRangeRules) {
    QWidget form;
    form.resize(400, 400);
    form.show(); // resize events arrive at once
    auto* bar = new TskScrollBar(&form);
    bar->show();
    bar->SetUIStyle(DeepBlue); // buttons 17 x 16 when horizontal, slider pieces 7 x 16
    bar->resize(217, 30);
    EXPECT_EQ(bar->height(), 16);
    EXPECT_EQ(bar->BackButton()->geometry(), QRect(0, 0, 17, 16));
    EXPECT_EQ(bar->ForwardButton()->geometry(), QRect(200, 0, 17, 16));
    EXPECT_EQ(bar->TrackBar()->geometry(), QRect(17, 0, 183, 16)); // fills the room
    EXPECT_EQ(bar->Color(), GetBuiltInColor(DeepBlue, SkinElement::ScrollBarBackgroundColor));

    // Proportional: PageSize percent of the inner bar, 10 % outside 10..100.
    bar->SetPageSize(50);
    EXPECT_EQ(SliderLength(bar), 91);
    bar->SetPageSize(5);
    EXPECT_EQ(SliderLength(bar), 18);
    bar->SetPageSize(0);
    EXPECT_EQ(bar->PageSize(), 0);
    EXPECT_EQ(SliderLength(bar), 18);
    bar->SetPageSize(101); // more than Max: refused
    EXPECT_EQ(bar->PageSize(), 0);
    // Fixed: at least 18, never longer than the room between the buttons.
    bar->SetLineButton(10);
    EXPECT_EQ(bar->LineButton(), 18);
    EXPECT_EQ(SliderLength(bar), 18);
    bar->SetLineButton(184);
    EXPECT_EQ(bar->LineButton(), 18);
    bar->SetLineButton(183);
    EXPECT_EQ(SliderLength(bar), 183);
    bar->SetLineButton(0);

    // Vertical: the buttons turn, the inner bar is one pixel shorter than the room.
    bar->SetOrientation(skVertical);
    bar->resize(30, 217);
    EXPECT_EQ(bar->width(), 16);
    EXPECT_EQ(bar->TrackBar()->geometry(), QRect(0, 17, 16, 182));
    EXPECT_EQ(bar->ForwardButton()->geometry(), QRect(0, 200, 16, 17));

    // Range rules of the inner bar; a position set again fires nothing.
    QSignalSpy changes(bar, &TskScrollBar::OnChange);
    bar->SetPosition(40);
    bar->SetPosition(40);
    EXPECT_EQ(changes.count(), 1);
    bar->SetPosition(5000);
    EXPECT_EQ(bar->Position(), 100);
    bar->SetMax(50);
    EXPECT_EQ(bar->Position(), 50);
    bar->SetSmallChange(0);
    EXPECT_EQ(bar->SmallChange(), 1);
    bar->SetSmallChange(1 << 20);
    EXPECT_EQ(bar->SmallChange(), 32767);
    bar->SetMax(100000);
    bar->SetLargeChange(1 << 20);
    EXPECT_EQ(bar->LargeChange(), 32767);
    bar->SetLargeChange(-5);
    EXPECT_EQ(bar->LargeChange(), 1);

    // The whole integer range: the slider keeps its proportion and stays inside the bar, and the
    // buttons step without wrapping round.
    bar->SetMin(kIntMin);
    bar->SetMax(kIntMax);
    bar->SetPageSize(50);
    EXPECT_EQ(SliderLength(bar), 91);
    bar->SetPosition(kIntMax);
    const QRect inner = bar->TrackBar()->rect();
    EXPECT_TRUE(inner.contains(bar->TrackBar()->SliderPart()->geometry()))
        << bar->TrackBar()->SliderPart()->y();
    const qsizetype before = changes.count();
    Press(bar->ForwardButton(), {3, 3});
    Release(bar->ForwardButton(), {3, 3});
    EXPECT_EQ(bar->Position(), kIntMax);
    EXPECT_EQ(changes.count(), before);
    bar->SetPosition(kIntMin);
    Press(bar->BackButton(), {3, 3});
    Release(bar->BackButton(), {3, 3});
    EXPECT_EQ(bar->Position(), kIntMin);
    EXPECT_EQ(bar->TrackBar()->SliderPart()->y(), 0);
}

TEST(ScrollBarTest, ButtonsStepAtOnceThenRepeatWhileHeldUpToTheEnd) {
    QWidget form;
    form.show();
    auto* bar = new TskScrollBar(&form);
    bar->show();
    bar->resize(200, 16);
    bar->SetMax(30);
    bar->SetSmallChange(7);
    QSignalSpy changes(bar, &TskScrollBar::OnChange);
    Press(bar->ForwardButton(), {3, 3});
    EXPECT_EQ(bar->Position(), 7); // the press itself steps
    // Every 100 ms one more step, clamped at Max (timers may run late: wait for the steps).
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->Position() == 30; }, 5000));
    EXPECT_EQ(changes.count(), 5); // 7, 14, 21, 28, 30
    QTest::qWait(250);
    EXPECT_EQ(changes.count(), 5);
    Release(bar->ForwardButton(), {3, 3});
    EXPECT_EQ(bar->Position(), 30); // the release steps no further
    Press(bar->BackButton(), {3, 3});
    Release(bar->BackButton(), {3, 3});
    EXPECT_EQ(bar->Position(), 23);
    EXPECT_EQ(bar->LastChange(), -7);
    QTest::qWait(150);
    EXPECT_EQ(bar->Position(), 23); // released: no repeat
}
