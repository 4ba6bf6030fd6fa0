// The title bar: sections, button row and caption placement, window actions by mouse, the system
// menu, custom bars and bars inside a skinned form panel.
#include "SkinControlsSupport.h"

#include "platform/UserMessages.h"
#include "skin/SKPublic.h"
#include "skin/SKTitleBar.h"

#include <QAction>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

// Stands in for the skinned form panel: the bar knows it by its class name.
class TskForm : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

class TitleBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<QWidget>();
        form->resize(300, 200);
        theme = MakeTheme(form.get(), dir, "title.skn");
        bar = new TskTitleBar(form.get());
        bar->resize(200, bar->height());
        bar->SetFileTheme(theme);
        bar->SetUIStyle(FromThemeFile);
        bar->resize(200, bar->height());
    }
    QTemporaryDir dir;
    std::unique_ptr<QWidget> form;
    TskFileTheme* theme = nullptr;
    TskTitleBar* bar = nullptr;
    ThemeColors colors;
};

} // namespace

TEST_F(TitleBarTest, ANewBarsButtonsCaptionAndSections) {
    EXPECT_EQ(bar->Buttons()->Count(), 4);
    EXPECT_EQ(bar->Buttons()->Items(0)->ButtonType(), skControlBox);
    EXPECT_EQ(bar->Buttons()->Items(1)->ButtonType(), skClose);
    EXPECT_EQ(bar->Buttons()->Items(2)->ButtonType(), skMax);
    EXPECT_EQ(bar->Buttons()->Items(3)->ButtonType(), skMin);
    EXPECT_EQ(bar->Sections()->Count(), 3);
    EXPECT_EQ(bar->height(), 24); // the left picture's height
    EXPECT_EQ(bar->LeftBtnXOffset(), 5);
    EXPECT_EQ(bar->RightBtnXOffset(), -5);
    EXPECT_EQ(bar->ButtonTop(), 5);
    EXPECT_EQ(bar->RoundCorner(), 13);
    EXPECT_EQ(form->minimumWidth(), 200);
    // From the right: close, maximise, minimise, 1 pixel apart; right edge = 200 + 1 - 5.
    EXPECT_EQ(bar->ButtonRect(1), QRect(185, 5, 10, 10));
    EXPECT_EQ(bar->ButtonRect(2), QRect(174, 5, 10, 10));
    EXPECT_EQ(bar->ButtonRect(3), QRect(163, 5, 10, 10));
    EXPECT_EQ(bar->ButtonRect(0), QRect(5, 5, 10, 10));
    EXPECT_EQ(bar->CaptionLeft(), 5 + 10 + 5);
    bar->SetDrawAppIcon(true);
    EXPECT_EQ(bar->CaptionLeft(), 5 + 21);
    bar->SetDrawAppIcon(false);
    const QImage image = bar->Render();
    EXPECT_EQ(At(image, 2, 20), colors.titleLeft());
    EXPECT_EQ(At(image, 100, 20), colors.titleClient());
    EXPECT_EQ(At(image, 190, 20), colors.titleRight());
    EXPECT_EQ(At(image, 186, 6), colors.titleButton(16)); // close, normal
    EXPECT_EQ(At(image, 175, 6), colors.titleButton(7));  // maximise, normal
    EXPECT_EQ(At(image, 164, 6), colors.titleButton(13)); // minimise, normal
    EXPECT_EQ(At(image, 6, 6), colors.titleButton(1));    // control box
    EXPECT_EQ(At(image, 184, 6), colors.titleRight());    // the pixel between buttons
    // The caption is white over a built-in or ordinary theme.
    EXPECT_EQ(FontColor(bar), 0xFFFFFFu);
}

TEST_F(TitleBarTest, TheBarIsAlignedToTheTopOfItsParent) {
    ASSERT_TRUE(ShowActive(form.get()));
    form->resize(350, 200);
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 350, 24));
    EXPECT_EQ(bar->ButtonRect(1).right(), 350 + 1 - 5 - 11 + 9);
}

TEST_F(TitleBarTest, ApplicationIconInPlaceOfTheControlBox) {
    QPixmap icon(16, 16);
    icon.fill(QColor(0, 0, 255));
    form->setWindowIcon(QIcon(icon));
    bar->SetDrawAppIcon(true);
    const QImage image = bar->Render();
    EXPECT_EQ(At(image, 5 + 3, 5), 0xFF0000u); // at (LeftBtnXOffset + 3, button top)
    EXPECT_EQ(At(image, 5 + 3 + 15, 5 + 15), 0xFF0000u);
    EXPECT_NE(At(image, 5 + 3 + 16, 5), 0xFF0000u);
    // Without a control-box button no icon is drawn.
    bar->Buttons()->Items(0)->SetButtonType(skCustom);
    EXPECT_NE(At(bar->Render(), 5 + 3, 5), 0xFF0000u);
}

TEST_F(TitleBarTest, HoverAndPressPictures) {
    MoveFree(bar, {190, 10});
    EXPECT_EQ(At(bar->Render(), 186, 6), colors.titleButton(17));
    EXPECT_EQ(bar->HotButton(), 1);
    bar->SetButtonInterval(0);
    MoveFree(bar, {50, 10});
    EXPECT_EQ(At(bar->Render(), 186, 6), colors.titleButton(16));
    EXPECT_EQ(bar->HotButton(), -1);
}

TEST_F(TitleBarTest, CustomSkinWindowBarShowsOnlyTheCaption) {
    TskTitleBar custom(form.get());
    custom.Buttons()->Clear();
    TskTitleBarButton* b = custom.Buttons()->Add();
    EXPECT_EQ(b->ButtonType(), skCustom);
    custom.SetDrawAppIcon(true);
    custom.SetLeftBtnXOffset(0);
    EXPECT_EQ(custom.CaptionLeft(), 6);
    custom.SetLeftBtnXOffset(9);
    EXPECT_EQ(custom.CaptionLeft(), 9);
    QSignalSpy clicks(&custom, &TskTitleBar::OnCustomBtnsClick);
    b->SetPicNormal(Strip(10, 10, {0x0000FF}));
    custom.resize(100, 24);
    const QRect r = custom.ButtonRect(0);
    Press(&custom, r.center());
    Release(&custom, r.center());
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][1].toInt(), 0);
}

TEST_F(TitleBarTest, LongCaptionsEndInDotsAndFit) {
    bar->SetCaption("Short");
    EXPECT_EQ(bar->DisplayedCaption(), "Short");
    const QString longCaption(200, QChar('W'));
    bar->SetCaption(longCaption);
    const QString shown = bar->DisplayedCaption();
    EXPECT_TRUE(shown.endsWith("..."));
    const int available = 163 - bar->CaptionLeft();
    EXPECT_LE(QFontMetrics(bar->font()).horizontalAdvance(shown), available);
    EXPECT_GT(QFontMetrics(bar->font()).horizontalAdvance(shown.left(shown.size() - 3) + "W..."), available);
}

TEST_F(TitleBarTest, InactiveCaptionColour) {
    QFont f = bar->font();
    f.setPixelSize(13);
    bar->setFont(f);
    bar->SetCaption("WWWW");
    const QRect area(bar->CaptionLeft(), 0, 40, bar->height());
    EXPECT_FALSE(Contains(bar->Render(), area, 0x808080));
    bar->SetFormActive(false);
    EXPECT_TRUE(Contains(bar->Render(), area, 0x808080));
}

TEST_F(TitleBarTest, PressingOnAnEmptyPartMovesTheWindowUnlessMaximised) {
    ASSERT_TRUE(ShowActive(form.get()));
    const QPoint start = form->pos();
    Press(bar, {80, 10});
    MoveHeld(bar, {110, 30});
    Release(bar, {110, 30});
    EXPECT_EQ(form->pos(), start + QPoint(30, 20));
    form->setWindowState(Qt::WindowMaximized);
    const QPoint maximised = form->pos();
    Press(bar, {80, 10});
    MoveHeld(bar, {120, 30});
    Release(bar, {120, 30});
    EXPECT_EQ(form->pos(), maximised);
}

TEST_F(TitleBarTest, ButtonActions) {
    ASSERT_TRUE(ShowActive(form.get()));
    // Maximise: onto the work area, restore pictures.
    const QPoint maxCentre = bar->ButtonRect(2).center();
    Press(bar, maxCentre);
    EXPECT_EQ(At(bar->Render(), maxCentre.x(), maxCentre.y()), colors.titleButton(9)); // pressed
    Release(bar, maxCentre);
    EXPECT_TRUE(form->isMaximized());
    TRect work;
    GetWorkAreaRect(work);
    EXPECT_EQ(form->pos(), QPoint(work.Left, work.Top));
    EXPECT_EQ(form->size(), QSize(work.Width(), work.Height() - 1));
    const QRect normal(form->property("skRestoreBounds").toRect());
    EXPECT_EQ(bar->Buttons()->Items(2)->PicNormal().pixel(0, 0), Rgb(colors.titleButton(10)));
    // Double click on an empty part restores.
    SendMouse(bar, QEvent::MouseButtonDblClick, {80, 10});
    EXPECT_FALSE(form->isMaximized());
    EXPECT_EQ(form->geometry(), normal);
    EXPECT_EQ(bar->Buttons()->Items(2)->PicNormal().pixel(0, 0), Rgb(colors.titleButton(7)));
    SendMouse(bar, QEvent::MouseButtonDblClick, {80, 10});
    EXPECT_TRUE(form->isMaximized());
    form->setWindowState(Qt::WindowNoState);
    // Help and custom buttons raise their events.
    bar->Buttons()->Items(3)->SetButtonType(skHelp);
    QSignalSpy help(bar, &TskTitleBar::OnHelpBtnClick);
    const QPoint helpCentre = bar->ButtonRect(3).center();
    Press(bar, helpCentre);
    Release(bar, helpCentre);
    ASSERT_EQ(help.count(), 1);
    EXPECT_EQ(help[0][1].toInt(), 3);
    // Releasing over another button performs that one: close.
    Press(bar, helpCentre);
    Release(bar, bar->ButtonRect(1).center());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(TitleBarTest, DoubleClicks) {
    ASSERT_TRUE(ShowActive(form.get()));
    // Without a maximise button a double click on an empty part does nothing.
    bar->Buttons()->Items(2)->SetButtonType(skCustom);
    SendMouse(bar, QEvent::MouseButtonDblClick, {80, 10});
    EXPECT_FALSE(form->isMaximized());
    // On the control box (or the icon drawn in its place) it closes the window.
    bar->SetDrawAppIcon(true);
    SendMouse(bar, QEvent::MouseButtonDblClick, bar->ButtonRect(0).center());
    EXPECT_FALSE(form->isVisible());
}

// Through Qt's own dispatch: a click or a double click on the caption moves nothing (the window is
// handed to the window system only once the mouse moves with the button held, so the double click
// reaches the bar); a double click on the control box closes the window although its first click
// opened the window menu, and leaves no menu open.
TEST_F(TitleBarTest, DoubleClicksReachTheBarAndTheControlBoxClosesThroughItsMenu) {
    ASSERT_TRUE(ShowActive(form.get()));
    QWindow* window = form->windowHandle();
    const QPoint start = form->pos();
    const QPoint empty = bar->mapTo(form.get(), QPoint(80, 10));
    QTest::mouseClick(window, Qt::LeftButton, {}, empty);
    QTest::mouseMove(window, empty + QPoint(40, 30)); // no button held
    EXPECT_EQ(form->pos(), start);
    QTest::mouseDClick(window, Qt::LeftButton, {}, empty);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->isMaximized(); }, 5000));
    QTest::mouseDClick(window, Qt::LeftButton, {}, bar->mapTo(form.get(), QPoint(80, 10)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isMaximized(); }, 5000));

    const QPoint box = bar->mapTo(form.get(), bar->ButtonRect(0).center());
    QTest::mouseClick(window, Qt::LeftButton, {}, box);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->SystemMenu()->isVisible(); }, 5000));
    bar->SystemMenu()->hide();
    QTest::mouseDClick(window, Qt::LeftButton, {}, box);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 5000));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(TitleBarTest, OnlyOneControlBox) {
    TScriptedMessages script;
    bar->Buttons()->Items(0)->SetButtonType(skControlBox);
    EXPECT_EQ(script.All(),
              QStringList{"Sorry, only one button's ButtonType property can be \"skControlBox\""});
    EXPECT_EQ(bar->Buttons()->Items(0)->ButtonType(), skControlBox);
    bar->Buttons()->Items(1)->SetButtonType(skControlBox);
    EXPECT_EQ(bar->Buttons()->Items(1)->ButtonType(), skClose);
    script.Clear();
    bar->Sections()->Items(0)->SetAlign(skClient);
    EXPECT_EQ(script.All(), QStringList{"Sorry, only one section's Align property can be \"skClient\""});
    EXPECT_EQ(bar->Sections()->Items(0)->Align(), skLeft);
    EXPECT_TRUE(bar->Sections()->Items(2)->Stretch());
}

TEST_F(TitleBarTest, CustomBarsKeepEverything) {
    bar->SetCustom(true);
    const QImage maxPicture = bar->Buttons()->Items(2)->PicNormal();
    bar->SetUIStyle(WinXP);
    EXPECT_EQ(bar->UIStyle(), WinXP);
    EXPECT_EQ(bar->LeftBtnXOffset(), 5);
    EXPECT_EQ(bar->Sections()->Items(0)->Picture().pixel(0, 0), Rgb(colors.titleLeft()));
    form->setWindowState(Qt::WindowMaximized);
    bar->UpdateMaximizeButtons();
    EXPECT_EQ(bar->Buttons()->Items(2)->PicNormal(), maxPicture);
}

TEST_F(TitleBarTest, InsideASkinnedFormPanel) {
    auto* panel = new TskForm(form.get());
    panel->resize(300, 200);
    auto* inner = new TskTitleBar(panel);
    inner->SetFileTheme(theme);
    inner->SetUIStyle(FromThemeFile);
    inner->resize(200, inner->height());
    EXPECT_EQ(inner->height(), 21);   // 3 pixels lower than the left picture
    EXPECT_EQ(inner->ButtonTop(), 2); // TitleBarButtonTopInt - 3
    const QImage image = inner->Render();
    EXPECT_EQ(At(image, 15, 20), colors.titleLeft()); // left picture drawn at (-3, -3): 16 wide here
    EXPECT_EQ(At(image, 16, 20), colors.titleClient());
    EXPECT_EQ(At(image, 200 - 23 + 3, 20), colors.titleRight());
    EXPECT_EQ(At(image, 200 - 23 + 2, 20), colors.titleClient());
}

TEST_F(TitleBarTest, SystemMenu) {
    TskTitleBarPopupMenu* menu = bar->SystemMenu();
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->text(), QString::fromUtf8("最小化(&N)"));
    EXPECT_EQ(items[1]->text(), QString::fromUtf8("最大化/还原(&X)"));
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->text(), QString::fromUtf8("关闭(&C)"));
    EXPECT_EQ(menu->UIStyle(), FromThemeFile);
    EXPECT_EQ(menu->FileTheme(), theme);
    bar->Buttons()->Items(3)->SetButtonType(skCustom); // no minimise button
    bar->Buttons()->Items(1)->SetVisible(false);       // hidden, still a close button
    menu->UpdateItems();
    EXPECT_FALSE(items[0]->isEnabled());
    EXPECT_TRUE(items[1]->isEnabled());
    EXPECT_TRUE(items[3]->isEnabled());
    ASSERT_TRUE(ShowActive(form.get()));
    items[1]->trigger();
    EXPECT_TRUE(form->isMaximized());
    items[3]->trigger();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(TitleBarTest, ThemeRemovalAndFontColourRules) {
    TskFileTheme* dark = MakeTheme(form.get(), dir, "dark.skn", ThemeColors(1), 0x30000);
    bar->SetFileTheme(dark);
    EXPECT_EQ(FontColor(bar), 0xFFFFFFu); // assigning a theme keeps the font colour
    bar->SetUIStyle(FromThemeFile);
    EXPECT_EQ(FontColor(bar), 0x000000u); // ControlFontColor 0x30000: black
    bar->SetUIStyle(MacOS);
    EXPECT_EQ(FontColor(bar), 0x000000u);
    bar->SetUIStyle(FromThemeFile);
    delete dark;
    EXPECT_EQ(bar->FileTheme(), nullptr);
    EXPECT_EQ(bar->UIStyle(), DeepBlue);
    EXPECT_EQ(FontColor(bar), 0xFFFFFFu);
    EXPECT_EQ(bar->Buttons()->Items(1)->UIStyle(), DeepBlue);
}

#include "TitleBarTest.moc"
