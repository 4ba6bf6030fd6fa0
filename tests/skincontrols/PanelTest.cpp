// Image panels and group boxes: pictures, captions, auto size, the frame and its caption gap,
// enabling children, theme colours and the fall-back when the theme goes.
#include "SkinControlsSupport.h"

#include "skin/SKButton.h"
#include "skin/SKGroupBox.h"
#include "skin/SKImagePanel.h"

#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<QWidget>();
        form->resize(400, 300);
    }
    QTemporaryDir dir;
    std::unique_ptr<QWidget> form;
};

} // namespace

TEST_F(PanelTest, ImagePanelPictureColourAndCaption) {
    auto* panel = new TskImagePanel(form.get());
    panel->resize(40, 20);
    panel->SetColor(0x102030);
    EXPECT_EQ(At(panel->Render(), 5, 5), 0x102030u);
    panel->SetPicture(Strip(10, 10, {0x0000FF}));
    QImage image = panel->Render();
    EXPECT_EQ(At(image, 5, 5), 0x0000FFu);
    EXPECT_EQ(At(image, 15, 15), 0x000000u); // normal: drawn once at (0, 0), nothing else filled
    panel->SetDrawStyle(TskCustomPanel::skTile);
    EXPECT_EQ(At(panel->Render(), 35, 15), 0x0000FFu);
    panel->SetDrawStyle(TskCustomPanel::skStretch);
    EXPECT_EQ(At(panel->Render(), 39, 19), 0x0000FFu);
    // A caption of blanks draws nothing.
    panel->SetPicture(QImage());
    const QImage plain = panel->Render();
    panel->SetCaption("   ");
    EXPECT_EQ(panel->Render(), plain);
    panel->SetCaption("Text");
    EXPECT_NE(panel->Render(), plain);
}

TEST_F(PanelTest, ImagePanelAutoSizeRespectsAlign) {
    ASSERT_TRUE(ShowActive(form.get()));
    auto* panel = new TskImagePanel(form.get());
    panel->show();
    panel->SetAutoSize(true);
    panel->SetPicture(Strip(30, 12, {0x00FF00}));
    EXPECT_EQ(panel->size(), QSize(30, 12));
    panel->SetAlign(alClient);
    EXPECT_EQ(panel->size(), form->size());
    panel->SetPicture(Strip(50, 20, {0x00FF00}));
    EXPECT_EQ(panel->size(), form->size());
    panel->SetAlign(alTop);
    panel->SetPicture(Strip(60, 25, {0x00FF00}));
    EXPECT_EQ(panel->size(), QSize(form->width(), 25));
}

TEST_F(PanelTest, TransparentPanelShowsItsParent) {
    auto* back = new TskImagePanel(form.get());
    back->resize(100, 100);
    back->SetColor(0x00AA00);
    auto* front = new TskImagePanel(back);
    front->move(10, 10);
    front->resize(30, 30);
    front->SetTransparent(true);
    EXPECT_EQ(At(front->Render(), 5, 5), 0x00AA00u);
}

TEST_F(PanelTest, GroupBoxFrameAndCaptionGap) {
    auto* box = new TskGroupBox(form.get());
    EXPECT_EQ(box->size(), QSize(185, 105));
    EXPECT_TRUE(box->ParentColor());
    box->SetColor(0xFFFFFF);
    box->SetBorderColor(0x0000FF);
    box->SetCaption(QString());
    const int y = QFontMetrics(box->font()).height() / 2 + 1;
    QImage image = box->Render();
    for (int x : {0, 2, 50, 100, 184})
        EXPECT_EQ(At(image, x, y), 0x0000FFu) << x;
    EXPECT_EQ(At(image, 0, 104), 0x0000FFu);
    EXPECT_EQ(At(image, 184, 104), 0x0000FFu);
    EXPECT_EQ(At(image, 92, 50), 0xFFFFFFu);
    box->SetCaption("Caption");
    image = box->Render();
    const int gapEnd = QFontMetrics(box->font()).horizontalAdvance("Caption") + 6;
    EXPECT_EQ(At(image, 1, y), 0x0000FFu);
    EXPECT_NE(At(image, 3, y), 0x0000FFu);
    EXPECT_NE(At(image, gapEnd - 1, y), 0x0000FFu);
    EXPECT_EQ(At(image, gapEnd + 1, y), 0x0000FFu);
}

TEST_F(PanelTest, DisablingAGroupBoxDisablesItsChildrenAndGreysItsCaption) {
    auto* box = new TskGroupBox(form.get());
    auto* a = new TskButton(box);
    auto* b = new TskCheckBox(box);
    b->setEnabled(false); // disabled on its own
    box->SetColor(0xFFFFFF);
    QFont f = box->font();
    f.setPixelSize(14);
    f.setBold(true);
    box->setFont(f);
    box->SetCaption("WWW");
    SetFontColor(box, 0x000000);
    const QRect captionArea(5, 0, 40, QFontMetrics(f).height());
    EXPECT_EQ(Darkest(box->Render(), captionArea), 0x000000u);
    box->setProperty("Enabled", false);
    EXPECT_FALSE(a->isEnabled());
    EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(Darkest(box->Render(), captionArea), 0x808080u);
    box->SetEnabled(true);
    EXPECT_TRUE(a->isEnabled());
    EXPECT_TRUE(b->isEnabled());
}

TEST_F(PanelTest, GroupBoxTakesThemeColoursPassesThemOnAndFallsBack) {
    ThemeColors colors;
    TskFileTheme* theme = MakeTheme(form.get(), dir, "group.skn");
    auto* box = new TskGroupBox(form.get());
    auto* child = new TskButton(box);
    box->SetFileTheme(theme);
    box->SetUIStyle(FromThemeFile);
    EXPECT_EQ(box->BorderColor(), colors.controlBorder());
    EXPECT_EQ(FontColor(box), colors.controlFont());
    EXPECT_EQ(child->FileTheme(), theme);
    EXPECT_EQ(child->UIStyle(), FromThemeFile);
    box->SetUIStyle(WinXP);
    EXPECT_EQ(box->BorderColor(), GetBuiltInColor(WinXP, SkinElement::ControlBorderColor));
    EXPECT_EQ(FontColor(box), GetBuiltInColor(WinXP, SkinElement::ControlFontColor));
    EXPECT_EQ(child->UIStyle(), WinXP);
    box->SetUIStyle(FromThemeFile);
    delete theme;
    EXPECT_EQ(box->FileTheme(), nullptr);
    EXPECT_EQ(box->UIStyle(), DeepBlue);
    EXPECT_EQ(child->FileTheme(), nullptr);
    EXPECT_EQ(child->UIStyle(), DeepBlue);
    EXPECT_EQ(box->BorderColor(), GetBuiltInColor(DeepBlue, SkinElement::ControlBorderColor));
}

TEST_F(PanelTest, AlignedChildrenOfAGroupBoxKeepClearOfFrameAndCaption) {
    ASSERT_TRUE(ShowActive(form.get()));
    auto* box = new TskGroupBox(form.get());
    box->show();
    auto* inner = new TskImagePanel(box);
    inner->SetAlign(alClient);
    const int top = QFontMetrics(box->font()).height() + 5;
    EXPECT_EQ(inner->geometry(), QRect(3, top, 185 - 6, 105 - 3 - top));
}
