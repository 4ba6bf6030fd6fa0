// Skinned controls facing odd input: theme files from outside with tiny, missing or broken
// pictures and extreme numbers, forms torn down with their theme components, ranges that span the
// whole integer range.
#include "SkinControlsSupport.h"

#include "skin/SKButton.h"
#include "skin/SKForm.h"
#include "skin/SKGroupBox.h"
#include "skin/SKImagePanel.h"
#include "skin/SKMainMenu.h"
#include "skin/SKPopupMenu.h"
#include "skin/SKScrollBar.h"
#include "skin/SKTitleBar.h"
#include "skin/SKTrackBar.h"

#include <QMenu>
#include <QScreen>

#include <gtest/gtest.h>
#include <limits>

using namespace SkinControlsTest;

namespace {

constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();

struct AllControls {
    explicit AllControls(QWidget* form, TskFileTheme* theme) {
        frame = new TskForm(form);
        button = new TskButton(form);
        box = new TskCheckBox(form);
        radio = new TskRadioButton(form);
        track = new TskTrackBar(form);
        vtrack = new TskTrackBar(form);
        vtrack->SetOrientation(skVertical);
        group = new TskGroupBox(form);
        inGroup = new TskCheckBox(group);
        title = new TskTitleBar(form);
        panel = new TskImagePanel(form);
        scroll = new TskScrollBar(form);
        vscroll = new TskScrollBar(form);
        vscroll->SetOrientation(skVertical);
        popup = new TskPopupMenu(form);
        popup->addAction(QStringLiteral("&Open\tCtrl+O"))->setCheckable(true);
        popup->addSeparator();
        for (QObject* o : std::initializer_list<QObject*>{button, box, radio, track, vtrack, group, title,
                                                          popup, scroll, vscroll}) {
            o->setProperty("FileTheme", QVariant::fromValue(theme));
            o->setProperty("UIStyle", QVariant::fromValue(FromThemeFile));
        }
        button->SetCaption(QStringLiteral("&Go"));
        box->SetCaption(QStringLiteral("Box"));
        title->SetCaption(QStringLiteral("A caption long enough to be shortened"));
    }
    void RenderAll() {
        frame->Render();
        button->Render();
        box->Render();
        radio->Render();
        track->Render();
        vtrack->Render();
        group->Render();
        inGroup->Render();
        title->Render();
        panel->Render();
        scroll->Render();
        vscroll->Render();
        popup->grab();
    }
    TskForm* frame;
    TskButton* button;
    TskCheckBox* box;
    TskRadioButton* radio;
    TskTrackBar* track;
    TskTrackBar* vtrack;
    TskGroupBox* group;
    TskCheckBox* inGroup;
    TskTitleBar* title;
    TskImagePanel* panel;
    TskScrollBar* scroll;
    TskScrollBar* vscroll;
    TskPopupMenu* popup;
};

// A theme whose every picture is a 1 x 1 or 2 x 1 bitmap or not a bitmap at all, and whose numbers
// are at the ends of the integer range.
QByteArray HostileTheme() {
    TskThemeFileWriter w;
    const QByteArray tiny = Bmp(Strip(1, 1, {0x123456}));
    const QByteArray two = Bmp(Strip(1, 1, {0x123456, 0x654321}));
    w.AddBitmap("ButtonImage", two);
    w.AddBitmap("CheckBoxImage", tiny);
    w.AddBitmap("RadioButtonImage", QByteArray("BM not really a bitmap"));
    w.AddBitmap("TitleBarButtonImage", two);
    // Taller than any skin part: counts as missing (the bar would be 5000 pixels high).
    w.AddBitmap("TitleBarLeftImage", Bmp(Strip(1, 5000, {0x123456})));
    w.AddBitmap("TitleBarClientImage", QByteArray());
    w.AddBitmap("TitleBarRightImage", two);
    w.AddBitmap("TrackBarBarImage", two);
    w.AddBitmap("TrackBarSliderImage", tiny);
    w.AddBitmap("TrackBarSliderVImage", QByteArray("BM"));
    w.AddBitmap("ScrollBarButtonImage", two);
    w.AddBitmap("ScrollBarSliderImage", Bmp(Strip(1, 5000, {0x123456})));
    for (const char* key :
         {"TitleBarButtonLeftOffsetInt", "TitleBarButtonTopInt", "FormRoundCornerInt", "FormMinWidthInt"})
        w.AddInt(key, kIntMax);
    w.AddInt("TitleBarButtonRightOffsetInt", kIntMin);
    return w.Data();
}

} // namespace

TEST(SkinRobustness, HostileThemeFilesDrawWithoutFault) {
    QTemporaryDir dir;
    QWidget form;
    form.resize(300, 200);
    const QString path = dir.filePath("hostile.skn");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(HostileTheme());
    f.close();
    auto* theme = new TskFileTheme(&form);
    theme->SetThemeFile(path);
    ASSERT_TRUE(theme->CanUse());
    QImage tall;
    theme->GetBitmap(SkinElement::TitleBarLeftImage, tall);
    EXPECT_TRUE(tall.isNull());
    AllControls controls(&form, theme);
    EXPECT_LT(controls.title->height(), 100);
    // The theme's minimum window width stays within the desktop.
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    EXPECT_LE(form.minimumWidth(), QGuiApplication::primaryScreen()->availableVirtualGeometry().width());
    EXPECT_LE(form.width(), QGuiApplication::primaryScreen()->availableVirtualGeometry().width());
    controls.RenderAll();
    controls.title->SetDrawAppIcon(true);
    controls.title->SetButtonInterval(kIntMax);
    controls.RenderAll();
    SendMouse(controls.title, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
}

TEST(SkinRobustness, FormsGoWithTheirThemesInEitherOrder) {
    QTemporaryDir dir;
    for (bool themeFirst : {true, false}) {
        auto form = std::make_unique<QWidget>();
        TskFileTheme* theme = nullptr;
        if (themeFirst) theme = MakeTheme(form.get(), dir, "first.skn");
        auto* holder = new QWidget(form.get());
        if (!themeFirst) theme = MakeTheme(form.get(), dir, "last.skn");
        AllControls controls(holder, theme);
        controls.RenderAll();
        form.reset();
    }
}

TEST(SkinRobustness, TrackBarOverTheWholeIntegerRange) {
    QWidget form;
    auto* bar = new TskTrackBar(&form);
    bar->SetUIStyle(DeepBlue);
    bar->resize(150, bar->height());
    bar->SetMin(kIntMin);
    bar->SetMax(kIntMax);
    bar->SetPosition(0);
    TskImagePanel* slider = bar->SliderPart();
    ASSERT_GT(slider->width(), 0);
    // Dragging the slider to either end gives the ends of the range.
    const QPoint grip(slider->width() / 2, slider->height() / 2);
    Press(slider, grip);
    MoveHeld(slider, QPoint(bar->width() + 50, grip.y()) - slider->pos());
    EXPECT_EQ(bar->Position(), kIntMax);
    MoveHeld(slider, QPoint(-50, grip.y()) - slider->pos());
    EXPECT_EQ(bar->Position(), kIntMin);
    Release(slider, QPoint(-50, grip.y()) - slider->pos());
    // A press beyond the slider steps towards the value under the cursor.
    bar->SetPageSize(1000);
    Press(bar, {bar->width() - 2, grip.y()});
    Release(bar, {bar->width() - 2, grip.y()});
    EXPECT_EQ(bar->Position(), kIntMin + 1000);
}

TEST(SkinRobustness, TitleBarOffsetsAtTheEndsOfTheIntegerRangeKeepEverythingOffTheBar) {
    QWidget form;
    form.resize(300, 100);
    auto* bar = new TskTitleBar(&form);
    bar->SetUIStyle(DeepBlue);
    bar->SetCaption(QStringLiteral("Caption"));
    // Buttons pushed out past the left edge by the interval stay there; none comes back round.
    bar->Buttons()->Items(0)->SetVisible(false); // the control box, which sits at the left
    bar->SetRightBtnXOffset(kIntMin);
    bar->SetButtonInterval(kIntMax);
    for (int x = 0; x < bar->width(); x += 2)
        EXPECT_EQ(bar->ButtonAt({x, bar->ButtonRect(1).center().y()}), -1) << x;
    for (int i = 1; i < bar->Buttons()->Count(); ++i)
        EXPECT_LT(bar->ButtonRect(i).right(), 0) << i;
    // A left offset beyond the bar puts the caption beyond it too, not before its left edge.
    bar->SetRightBtnXOffset(0);
    bar->SetButtonInterval(0);
    bar->Buttons()->Items(0)->SetVisible(true);
    bar->SetLeftBtnXOffset(kIntMax);
    EXPECT_GT(bar->CaptionLeft(), bar->width());
    bar->SetDrawAppIcon(true);
    EXPECT_GT(bar->CaptionLeft(), bar->width());
    bar->Render();
}

TEST(SkinRobustness, ScrollBarSizesAndValuesOutOfAllProportion) {
    QWidget form;
    form.show();
    auto* bar = new TskScrollBar(&form);
    bar->show();
    // Far wider than any screen: the slider stays a picture no skin part exceeds.
    bar->resize(1000000, 16);
    bar->SetMax(kIntMax);
    bar->SetPageSize(100);
    EXPECT_LE(bar->TrackBar()->SliderPart()->width(), kMaxThemePictureSide);
    bar->SetLineButton(kIntMax);
    EXPECT_EQ(bar->LineButton(), 0); // longer than the room: refused
    bar->SetLineButton(-7);
    EXPECT_EQ(bar->LineButton(), 0);
    bar->SetLineButton(500000);
    EXPECT_LE(bar->TrackBar()->SliderPart()->width(), kMaxThemePictureSide);
    // Shrunk below its buttons: nothing is laid out at a negative size, and growing again works.
    bar->resize(3, 16);
    EXPECT_GE(bar->TrackBar()->width(), 0);
    bar->resize(0, 16);
    EXPECT_FALSE(bar->TrackBar()->isVisible());
    bar->resize(200, 16);
    EXPECT_TRUE(bar->TrackBar()->isVisible());
    EXPECT_LE(bar->TrackBar()->SliderPart()->width(), bar->TrackBar()->width());
    bar->Render();
    bar->SetSmallChange(kIntMax);
    bar->SetPosition(kIntMax - 1);
    Press(bar->ForwardButton(), {2, 2});
    Release(bar->ForwardButton(), {2, 2});
    EXPECT_EQ(bar->Position(), kIntMax);
}
