// The skinned menus: settings by style, item measuring, item drawing and the Qt menu windows that
// measure and paint through them.
#include "SkinControlsSupport.h"

#include "skin/SKMainMenu.h"
#include "skin/SKMenu.h"
#include "skin/SKPopupMenu.h"

#include <QAction>
#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<QWidget>();
        theme = MakeTheme(form.get(), dir, "menu.skn");
    }
    // Draws one item of Menu over a 120 x height image.
    QImage DrawItem(const TskMenuCore& menu, const TskMenuItemInfo& item, bool selected, int height = 21) {
        QImage image(120, height, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        menu.Look().DrawItem(p, item, image.rect(), selected, MenuCheckedBitmap());
        return image;
    }
    QTemporaryDir dir;
    std::unique_ptr<QWidget> form;
    TskFileTheme* theme = nullptr;
    ThemeColors colors;
};

} // namespace

TEST_F(MenuTest, StartValuesAndStyleWriter) {
    TskPopupMenu menu(form.get());
    EXPECT_TRUE(menu.OwnerDraw());
    menu.SetOwnerDraw(false);
    EXPECT_TRUE(menu.OwnerDraw());
    EXPECT_EQ(menu.UIStyle(), DeepBlue);
    EXPECT_EQ(menu.BarWidth(), 26);
    EXPECT_EQ(menu.MenuItemHeight(), 21);
    EXPECT_EQ(menu.SeparatorHeight(), 5);
    EXPECT_EQ(menu.SeparatorColor(), 0x848284u);
    EXPECT_EQ(menu.Color(), GetBuiltInColor(DeepBlue, SkinElement::MenuBackgroundColor));
    EXPECT_EQ(menu.BarColor(), GetBuiltInColor(DeepBlue, SkinElement::MenuBarColor));
    EXPECT_EQ(menu.SelectedColor(), GetBuiltInColor(DeepBlue, SkinElement::MenuSelectedBackgroundColor));
    EXPECT_EQ(menu.FontName(), "MS Sans Serif");
    EXPECT_EQ(menu.FontSize(), 8);
    EXPECT_EQ(menu.FontCharset(), 1);
    EXPECT_TRUE(menu.UseSystemFont());
    EXPECT_FALSE(menu.FlatMenu());
    EXPECT_EQ(menu.BorderColor(), 0u);
    menu.SetFileTheme(theme);
    menu.SetUIStyle(FromThemeFile);
    EXPECT_EQ(menu.Color(), colors.menuBack());
    EXPECT_EQ(menu.BarColor(), colors.menuBar());
    EXPECT_EQ(menu.FontColor(), colors.menuFont());
    EXPECT_EQ(menu.SelectedBorderColor(), colors.menuSelBorder());
    EXPECT_EQ(menu.SelectedColor(), colors.menuSelBack());
    EXPECT_EQ(menu.SelectedFontColor(), colors.menuSelFont());
}

TEST_F(MenuTest, MacOSIgnoresHeightWritesAndMeasuresTwentyAndTwelve) {
    TskPopupMenu menu(form.get());
    menu.SetUIStyle(MacOS);
    menu.SetMenuItemHeight(30);
    menu.SetSeparatorHeight(8);
    QAction* item = menu.addAction("Item");
    QAction* separator = menu.addSeparator();
    menu.addAction("Last"); // a separator ending a menu is not shown
    EXPECT_EQ(menu.MeasureItem(item).height(), 20);
    EXPECT_EQ(menu.MeasureItem(separator).height(), 12);
    // The menu window lays its items out by that measure.
    EXPECT_EQ(menu.actionGeometry(item).height(), 20);
    EXPECT_EQ(menu.actionGeometry(separator).height(), 12);
    menu.SetUIStyle(WinXP);
    menu.SetMenuItemHeight(30);
    EXPECT_EQ(menu.MeasureItem(item).height(), 30);
}

TEST_F(MenuTest, WidthIsCaptionAndShortCutPlusBarPlusForty) {
    for (TskUIStyle style : {MacOS, WinXP, DeepBlue, FromThemeFile}) {
        TskPopupMenu menu(form.get());
        menu.SetFileTheme(theme);
        menu.SetUIStyle(style);
        QAction* item = menu.addAction("&Open file");
        item->setShortcut(QKeySequence("Ctrl+O"));
        const QFontMetrics fm(menu.Look().ItemFont());
        const int expected = fm.horizontalAdvance("&Open file") +
                             fm.horizontalAdvance(item->shortcut().toString(QKeySequence::NativeText)) + 26 +
                             40;
        EXPECT_EQ(menu.MeasureItem(item).width(), expected) << style;
        EXPECT_EQ(menu.actionGeometry(item).width(), expected) << style;
    }
}

TEST_F(MenuTest, AssigningTheThemeReappliesTheStyle) {
    TskPopupMenu menu(form.get());
    menu.SetMenuItemHeight(25);
    EXPECT_EQ(menu.MenuItemHeight(), 25);
    menu.SetFileTheme(theme);
    EXPECT_EQ(menu.MenuItemHeight(), 21);
    // The theme going away: none, DeepBlue.
    menu.SetUIStyle(FromThemeFile);
    delete theme;
    EXPECT_EQ(menu.FileTheme(), nullptr);
    EXPECT_EQ(menu.UIStyle(), DeepBlue);
}

TEST_F(MenuTest, ItemDrawing) {
    TskPopupMenu menu(form.get());
    menu.SetFileTheme(theme);
    menu.SetUIStyle(FromThemeFile);
    TskMenuItemInfo item;
    item.caption = "WWWW";
    // Unselected: side bar, then background.
    QImage image = DrawItem(menu, item, false);
    EXPECT_EQ(At(image, 5, 1), colors.menuBar());
    EXPECT_EQ(At(image, 25, 1), colors.menuBar());
    EXPECT_EQ(At(image, 26, 1), colors.menuBack());
    // Selected: filled and framed.
    image = DrawItem(menu, item, true);
    EXPECT_EQ(At(image, 0, 0), colors.menuSelBorder());
    EXPECT_EQ(At(image, 119, 20), colors.menuSelBorder());
    EXPECT_EQ(At(image, 5, 1), colors.menuSelBack());
    // A disabled selected item: the unselected background and grey text.
    item.enabled = false;
    image = DrawItem(menu, item, true);
    EXPECT_EQ(At(image, 5, 1), colors.menuBar());
    EXPECT_EQ(At(image, 100, 1), colors.menuBack());
    EXPECT_EQ(Darkest(image, QRect(30, 4, 60, 15)), 0x808080u);
    // A separator: the line two pixels down, from bar + 4 to the right edge less 2.
    TskMenuItemInfo separator;
    separator.caption = "-";
    image = DrawItem(menu, separator, false, 5);
    EXPECT_EQ(At(image, 26 + 4, 2), 0x848284u);
    EXPECT_EQ(At(image, 117, 2), 0x848284u);
    EXPECT_EQ(At(image, 118, 2), colors.menuBack());
    EXPECT_EQ(At(image, 29, 2), colors.menuBack());
}

TEST_F(MenuTest, FlatMenuBorder) {
    // On a 20 x 10 window: the frame one pixel down and one short of the right and bottom edges,
    // a white frame inside it, and the lines along the bottom, right and top edges; the line back
    // along the top ends before the top-left corner.
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::gray);
    {
        QPainter p(&image);
        DrawMenuWindowBorder(p, image.size(), 0x000000, 0x0000FF);
    }
    const TColor grey = QColorToColor(QColor(Qt::gray));
    EXPECT_EQ(At(image, 0, 1), 0x000000u);
    EXPECT_EQ(At(image, 18, 8), 0x000000u);
    EXPECT_EQ(At(image, 1, 2), 0xFFFFFFu);
    EXPECT_EQ(At(image, 17, 7), 0xFFFFFFu);
    EXPECT_EQ(At(image, 0, 9), 0x0000FFu);
    EXPECT_EQ(At(image, 19, 9), 0x0000FFu);
    EXPECT_EQ(At(image, 19, 0), 0x0000FFu);
    EXPECT_EQ(At(image, 1, 0), 0x0000FFu);
    EXPECT_EQ(At(image, 0, 0), grey);
}

TEST_F(MenuTest, CheckedItemsShowTheMarkOrTheirImageOnAFramedBox) {
    TskPopupMenu menu(form.get());
    menu.SetFileTheme(theme);
    menu.SetUIStyle(FromThemeFile);
    TskMenuItemInfo item;
    item.caption = "Checked";
    const QImage plain = DrawItem(menu, item, false);
    item.checked = true;
    const QImage marked = DrawItem(menu, item, false);
    EXPECT_NE(marked.copy(0, 0, 26, 21), plain.copy(0, 0, 26, 21));
    item.image = Strip(16, 16, {0x00AA00});
    const QImage withImage = DrawItem(menu, item, false);
    EXPECT_EQ(At(withImage, 2, 1), 0x000000u); // black frame (L + 2, T + 1, L + 21, T + 20)
    EXPECT_EQ(At(withImage, 20, 19), 0x000000u);
    EXPECT_EQ(At(withImage, 3, 2), colors.menuSelBack()); // the box under the image
    EXPECT_EQ(At(withImage, 10, 10), 0x00AA00u);          // the image at (L + 4, T + 3)
    item.checked = false;
    const QImage imageOnly = DrawItem(menu, item, false);
    EXPECT_EQ(At(imageOnly, 2, 1), colors.menuBar());
    EXPECT_EQ(At(imageOnly, 4, 3), 0x00AA00u);
}

TEST_F(MenuTest, MenuWindowsPaintThroughTheLook) {
    TskPopupMenu menu(form.get());
    menu.SetFileTheme(theme);
    menu.SetUIStyle(FromThemeFile);
    QAction* first = menu.addAction("First");
    menu.addSeparator();
    QMenu* sub = menu.addMenu("More");
    sub->addAction("Inner");
    // Sub-menus added later take the style too.
    EXPECT_EQ(sub->style(), menu.MenuStyle());
    const QImage image = menu.grab().toImage();
    const QRect r = menu.actionGeometry(first);
    EXPECT_EQ(At(image, r.left() + 3, r.top() + 1), colors.menuBar());
    EXPECT_EQ(At(image, r.left() + 30, r.top() + 1), colors.menuBack());
}

TEST_F(MenuTest, MainMenuItemsAndImages) {
    TskMainMenu menu(form.get());
    QMenu* file = menu.AddMenu("&File");
    QAction* open = file->addAction("Open");
    QMenu* later = file->addMenu("Recent");
    EXPECT_EQ(file->style(), menu.MenuStyle());
    EXPECT_EQ(later->style(), menu.MenuStyle());
    EXPECT_EQ(menu.Items()->actions().size(), 1);
    EXPECT_TRUE(menu.Images().isEmpty());
    menu.SetImages({Strip(16, 16, {0x0000AA})});
    open->setProperty("ImageIndex", 0);
    EXPECT_FALSE(menu.ItemInfo(open, file).image.isNull());
    open->setProperty("ImageIndex", 3);
    EXPECT_TRUE(menu.ItemInfo(open, file).image.isNull());
    menu.SetMenuItemHeight(25);
    menu.SetFileTheme(theme);
    EXPECT_EQ(menu.MenuItemHeight(), 21);
}
