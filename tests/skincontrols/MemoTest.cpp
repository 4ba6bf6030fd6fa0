// The skinned memo: its skin border, skin scroll bars that follow its own bars both ways as text
// comes and goes, attaching and detaching them, and the editing rules.
#include "SkinControlsSupport.h"

#include "skin/SKButton.h"
#include "skin/SKMemo.h"
#include "skin/SKScrollBar.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

QString ManyLines(int count, int width = 10) {
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("line %1 ").arg(i) + QString(width, u'x');
    return lines.join(u'\n');
}

} // namespace

TEST(MemoTest, SkinBarsFollowTheTextAddedAndRemovedBothWays) {
    QWidget form;
    form.resize(400, 300);
    form.show();
    auto* memo = new TskMemo(&form);
    memo->setGeometry(10, 10, 200, 120);
    memo->SetWordWrap(false);
    memo->show();
    auto* vbar = new TskScrollBar(&form);
    auto* hbar = new TskScrollBar(&form);
    vbar->show();
    hbar->show();
    EXPECT_EQ(memo->ScrollBars(), ssNone);
    memo->SetVScrollBar(vbar);
    memo->SetHScrollBar(hbar);
    EXPECT_EQ(memo->ScrollBars(), ssBoth);
    EXPECT_EQ(vbar->Orientation(), skVertical);
    EXPECT_EQ(hbar->Orientation(), skHorizontal);
    // Over the memo's own bars, inside its border.
    EXPECT_EQ(vbar->geometry(), QRect(10 + 200 - vbar->width() - 2, 11, vbar->width(), 118 - hbar->height()));
    EXPECT_EQ(hbar->geometry(),
              QRect(11, 10 + 120 - hbar->height() - 2, 198 - vbar->width(), hbar->height()));

    // Text that fits: the bars are disabled and show no slider.
    QScrollBar* native = memo->Editor()->verticalScrollBar();
    EXPECT_FALSE(vbar->isEnabled());
    EXPECT_FALSE(vbar->GetSliderVisible());
    // Typing past the last line: enabled, the slider where the memo's own thumb is.
    memo->Editor()->setFocus();
    memo->SetText(ManyLines(40));
    memo->Editor()->moveCursor(QTextCursor::End);
    memo->Editor()->ensureCursorVisible();
    QApplication::processEvents();
    ASSERT_GT(native->maximum(), 0);
    EXPECT_TRUE(vbar->isEnabled());
    EXPECT_TRUE(vbar->GetSliderVisible());
    EXPECT_EQ(vbar->Max(), native->maximum());
    EXPECT_EQ(vbar->Position(), native->value());
    EXPECT_GT(native->value(), 0);
    EXPECT_GE(vbar->LineButton(), 18);
    // Long lines: the horizontal bar too, stepping by three pages.
    memo->SetText(ManyLines(40, 200));
    QApplication::processEvents();
    EXPECT_TRUE(hbar->isEnabled());
    EXPECT_EQ(hbar->Max(), memo->Editor()->horizontalScrollBar()->maximum());
    EXPECT_EQ(hbar->SmallChange(), std::min(32767, 3 * hbar->PageSize()));

    // The skin bar moves the memo, and the memo's answer does not move the skin bar back.
    vbar->SetPosition(5);
    EXPECT_EQ(native->value(), 5);
    EXPECT_EQ(vbar->Position(), 5);
    Press(vbar->ForwardButton(), {2, 2});
    Release(vbar->ForwardButton(), {2, 2});
    EXPECT_EQ(native->value(), 6);
    // The memo scrolled by itself moves the skin bar.
    native->setValue(9);
    EXPECT_EQ(vbar->Position(), 9);

    // Text removed: back to disabled, no slider.
    memo->SetText(QStringLiteral("short"));
    QApplication::processEvents();
    EXPECT_FALSE(vbar->isEnabled());
    EXPECT_FALSE(vbar->GetSliderVisible());

    // Hiding the memo hides its bars; they come back with the next placement.
    memo->hide();
    EXPECT_FALSE(vbar->isVisible());
    memo->show();
    memo->move(20, 20);
    EXPECT_TRUE(vbar->isVisible());

    // Detached: enabled, Max 100, and its changes no longer scroll the memo.
    memo->SetText(ManyLines(40));
    QApplication::processEvents();
    memo->SetVScrollBar(nullptr);
    EXPECT_EQ(memo->ScrollBars(), ssHorizontal);
    EXPECT_TRUE(vbar->isEnabled());
    EXPECT_EQ(vbar->Max(), 100);
    EXPECT_EQ(vbar->LineButton(), 0);
    const int before = native->value();
    vbar->SetPosition(vbar->Position() == 50 ? 51 : 50);
    EXPECT_EQ(native->value(), before);
    // A bar that is freed is forgotten.
    delete hbar;
    EXPECT_EQ(memo->HScrollBar(), nullptr);
    EXPECT_EQ(memo->ScrollBars(), ssNone);
}

TEST(MemoTest, BorderAndEditingRules) {
    QWidget form;
    auto* memo = new TskMemo(&form);
    form.show();
    memo->resize(120, 60);
    memo->SetUIStyle(WinXP);
    EXPECT_EQ(memo->BorderColor(), GetBuiltInColor(WinXP, SkinElement::ControlBorderColor));
    const QImage image = memo->Render();
    EXPECT_EQ(At(image, 0, 30), memo->BorderColor());
    EXPECT_EQ(At(image, 1, 30), QColorToColor(ColorToQColor(memo->Color()))); // the window colour
    EXPECT_EQ(memo->Editor()->geometry(), QRect(2, 2, 116, 56));

    QSignalSpy changes(memo, &TskMemo::OnChange);
    memo->SetMaxLength(5);
    memo->Editor()->setFocus();
    QTest::keyClicks(memo->Editor(), QStringLiteral("abcdefgh"));
    EXPECT_EQ(memo->Text(), QStringLiteral("abcde"));
    EXPECT_GE(changes.count(), 5);
    memo->SetMaxLength(0);
    memo->SetWantReturns(false);
    QTest::keyClick(memo->Editor(), Qt::Key_Return);
    EXPECT_EQ(memo->Lines(), QStringList{QStringLiteral("abcde")});
    memo->SetWantReturns(true);
    QTest::keyClick(memo->Editor(), Qt::Key_Return);
    QTest::keyClicks(memo->Editor(), QStringLiteral("z"));
    EXPECT_EQ(memo->Lines(), (QStringList{QStringLiteral("abcde"), QStringLiteral("z")}));
    memo->SetMaxLength(-3);
    EXPECT_EQ(memo->MaxLength(), 0);
}
