// The skinned form panel: one per window, the client panel, the frame and the window's shape from
// the theme, maximise and restore against the desktop's available area, the menu bar and the
// menu's short-cuts.
#include "SkinControlsSupport.h"

#include "platform/UserMessages.h"
#include "platform/WindowShape.h"
#include "skin/SKForm.h"
#include "skin/SKMainMenu.h"

#include <QAction>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

TskTitleBarButton* ButtonOf(TskForm* panel, TskTitleBarBtnType type) {
    for (int i = 0; i < panel->TitleBarButtons()->Count(); ++i)
        if (panel->TitleBarButtons()->Items(i)->ButtonType() == type)
            return panel->TitleBarButtons()->Items(i);
    return nullptr;
}

} // namespace

TEST(FormTest, OnePerWindowAndTheClientPanel) {
    QWidget form;
    form.resize(300, 200);
    auto* panel = new TskForm(&form);
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    // The three-pixel frame lies inside the window's size, the panel inside the frame.
    EXPECT_EQ(form.size(), QSize(300, 200));
    EXPECT_EQ(panel->geometry(), QRect(3, 3, 294, 194));
    EXPECT_EQ(form.contentsRect(), panel->geometry());
    EXPECT_EQ(panel->Version(), "5.2");
    panel->SetVersion(QStringLiteral("9"));
    EXPECT_EQ(panel->Version(), "5.2");
    try {
        new TskForm(&form);
        ADD_FAILURE() << "a second panel was made";
    } catch (const ESkinError& e) {
        EXPECT_STREQ(e.what(), "Sorry, You can create only one TskForm component in one form!");
    }
    EXPECT_EQ(form.findChildren<TskForm*>(Qt::FindDirectChildrenOnly).size(), 1);

    // The panel as its own client panel: an error box, and the property keeps its value.
    auto* client = new TskImagePanel(panel);
    panel->SetFormPanel(client);
    TScriptedMessages script;
    panel->SetFormPanel(panel);
    EXPECT_EQ(script.Errors(), QStringList{"Sorry, you can't select the Form assign to FormPanel property"});
    EXPECT_EQ(panel->FormPanel(), client);
    // The client panel fills what the title bar leaves, and follows resizes.
    EXPECT_EQ(client->geometry(), panel->AlignRect());
    EXPECT_EQ(client->y(), panel->TitleBar()->height());
    form.resize(400, 300);
    form.show();
    EXPECT_EQ(panel->geometry(), QRect(3, 3, 394, 294));
    EXPECT_EQ(client->geometry(),
              QRect(0, panel->TitleBar()->height(), 394, 294 - panel->TitleBar()->height()));
}

TEST(FormTest, FrameAndRoundTopCornersFromTheStyleOrTheme) {
    QWidget form;
    form.resize(300, 200);
    auto* panel = new TskForm(&form);
    form.show();
    ASSERT_EQ(form.size(), QSize(300, 200));
    auto window = [&] { return form.grab().toImage(); };
    // Off screen, as on Wayland, the window system shows no shapes: the cut-away corners are
    // transparent in what the window paints, the rest of the window opaque.
    ASSERT_FALSE(WindowShapesShown());
    auto alpha = [](const QImage& image, int x, int y) { return image.pixelColor(x, y).alpha(); };
    panel->SetUIStyle(WinXP);
    EXPECT_EQ(panel->RoundCorner(), 13);
    EXPECT_EQ(panel->BorderWidth(), 3);
    const QRegion mask = form.mask();
    EXPECT_TRUE(mask.contains(QPoint(150, 100)));
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(299, 0)));
    EXPECT_TRUE(mask.contains(QPoint(0, 199))); // the bottom corners stay square
    EXPECT_TRUE(mask.contains(QPoint(299, 199)));
    EXPECT_TRUE(mask.contains(QPoint(0, 13)));
    QImage image = window();
    for (const QPoint& p : {QPoint(0, 0), QPoint(1, 1), QPoint(299, 0), QPoint(298, 1)})
        EXPECT_EQ(alpha(image, p.x(), p.y()), 0) << "a cut-away corner at " << p.x() << "," << p.y();
    for (const QPoint& p :
         {QPoint(0, 199), QPoint(299, 199), QPoint(0, 13), QPoint(150, 0), QPoint(150, 100)})
        EXPECT_EQ(alpha(image, p.x(), p.y()), 255) << "inside the shape at " << p.x() << "," << p.y();
    EXPECT_EQ(At(image, 1, 150), GetBuiltInColor(WinXP, SkinElement::FormBorderColor));
    EXPECT_EQ(At(image, 150, 198), GetBuiltInColor(WinXP, SkinElement::FormBorderColor));

    // new.skn: border 0x808080 one pixel wide, then the form colour; mp10.skn: two pixels, square.
    auto* theme = new TskBuiltInFileTheme(&form);
    QFile f(ThemeResourcePath(QStringLiteral("new.skn")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    theme->ReadSkinData(f.readAll());
    panel->SetFileTheme(theme);
    panel->SetUIStyle(FromThemeFile);
    EXPECT_EQ(panel->BorderColor(), 0x808080u);
    EXPECT_EQ(panel->Color(), 0xF0DCD3u);
    EXPECT_EQ(panel->RoundCorner(), 13);
    image = window();
    EXPECT_EQ(At(image, 0, 150), 0x808080u);
    EXPECT_EQ(At(image, 1, 150), 0xF0DCD3u);
    // The caption is whole: its pictures' outline and highlight rows stand in the frame above the
    // title bar, which shows them from the fourth row on, so the window's caption is as tall as
    // its pictures.
    const TskTitleBarSections* sections = panel->TitleBar()->Sections();
    const QImage left = sections->Items(0)->Picture(), right = sections->Items(1)->Picture();
    const QImage client = sections->Items(2)->Picture();
    ASSERT_EQ(client.height(), 24);
    ASSERT_EQ(panel->TitleBar()->height(), 21);
    // The client picture is stretched between the end pictures, one column per window column.
    const int column = (150 - left.width()) * client.width() / (300 - left.width() - right.width());
    for (int y = 0; y < client.height(); ++y) {
        EXPECT_EQ(At(image, 150, y), At(client, column, y)) << "caption row " << y;
        if (form.mask().contains(QPoint(2, y))) // the rounded corner cuts the rest away
            EXPECT_EQ(At(image, 2, y), At(left, y < 3 ? 2 : 1, y)) << "left picture, row " << y;
    }
    EXPECT_EQ(At(image, 150, 24), 0xF0DCD3u);
    QFile mp10(ThemeResourcePath(QStringLiteral("mp10.skn")));
    ASSERT_TRUE(mp10.open(QIODevice::ReadOnly));
    theme->ReadSkinData(mp10.readAll());
    EXPECT_EQ(panel->BorderWidth(), 2);
    EXPECT_EQ(panel->RoundCorner(), 0);
    EXPECT_TRUE(form.mask().isEmpty());
    EXPECT_EQ(alpha(window(), 0, 0), 255) << "a square window keeps its corners";

    // A hidden title bar: a one-pixel top line in the border colour, and no rounding.
    panel->SetUIStyle(WinXP);
    panel->SetTitleBarVisible(false);
    EXPECT_EQ(panel->RoundCorner(), 0);
    image = window();
    EXPECT_EQ(At(image, 150, 0), GetBuiltInColor(WinXP, SkinElement::FormBorderColor));
    EXPECT_EQ(At(image, 150, 1), GetBuiltInColor(WinXP, SkinElement::FormBackgroundColor));
    EXPECT_EQ(panel->AlignRect().top(), 0);
    // Hostile widths draw within the window.
    panel->SetBorderWidth(1 << 30);
    panel->SetRoundCorner(1 << 30);
    window();
    panel->SetBorderWidth(-5);
    EXPECT_EQ(panel->BorderWidth(), 0);
}

TEST(FormTest, MaximiseFillsTheAvailableAreaAndRestoreGivesTheBoundsBack) {
    QWidget form;
    form.setGeometry(40, 50, 400, 300);
    auto* panel = new TskForm(&form);
    ASSERT_TRUE(ShowActive(&form));
    const QRect before = form.geometry();
    TskTitleBarButton* max = ButtonOf(panel, skMax);
    ASSERT_NE(max, nullptr);
    max->PerformAction();
    QTest::qWait(20);
    ASSERT_TRUE(form.isMaximized());
    EXPECT_EQ(form.geometry(), QGuiApplication::primaryScreen()->availableGeometry());
    EXPECT_EQ(panel->geometry(), form.rect().adjusted(3, 3, -3, -3));
    max->PerformAction();
    QTest::qWait(20);
    EXPECT_FALSE(form.isMaximized());
    EXPECT_EQ(form.geometry(), before);
}

TEST(FormTest, MenuBarAndShortCutsReachTheMenuItems) {
    QWidget form;
    form.resize(400, 300);
    auto* panel = new TskForm(&form);
    auto* menu = new TskMainMenu(&form); // finds the panel by itself
    QMenu* file = menu->AddMenu(QStringLiteral("&File"));
    QAction* open = file->addAction(QStringLiteral("&Open"));
    open->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    QMenu* deeper = file->addMenu(QStringLiteral("&Recent"));
    QAction* recent = deeper->addAction(QStringLiteral("One"));
    recent->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+1")));
    QAction* off = file->addAction(QStringLiteral("Off"));
    off->setShortcut(QKeySequence(QStringLiteral("Ctrl+K")));
    off->setEnabled(false);
    menu->AddMenu(QStringLiteral("&Help"));
    menu->Loaded();
    EXPECT_EQ(panel->Menu(), menu);
    ASSERT_NE(panel->MenuBar(), nullptr);
    EXPECT_EQ(panel->MenuBarButtons().size(), 2);
    EXPECT_EQ(panel->MenuBar()->y(), panel->TitleBar()->height());
    EXPECT_EQ(panel->AlignRect().top(), panel->TitleBar()->height() + panel->MenuBarHeight());

    auto* edit = new QLineEdit(panel);
    ASSERT_TRUE(ShowActive(&form));
    edit->setFocus();
    QSignalSpy opened(open, &QAction::triggered), recents(recent, &QAction::triggered),
        offs(off, &QAction::triggered);
    QTest::keyClick(edit, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_1, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(recents.count(), 1);
    EXPECT_EQ(offs.count(), 0);
    EXPECT_TRUE(edit->text().isEmpty()); // taken by the menu, not typed
    // Alt and a top-level item's letter opens its menu; Alt+Space the system menu.
    QTest::keyClick(edit, Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }, 2000));
    file->hide();
    QTest::keyClick(edit, Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel->TitleBar()->SystemMenu()->isVisible(); }, 2000));
    panel->TitleBar()->SystemMenu()->hide();

    // Detached: no bar, and the short-cuts are the window's own again.
    panel->SetMenu(nullptr);
    EXPECT_EQ(panel->MenuBar(), nullptr);
    QTest::keyClick(edit, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(opened.count(), 1);
}
