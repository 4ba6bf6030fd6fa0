// The shaped skin form: window shape from the glyph, client area sized to it, dragging by any button.
#include "skin/SKSkinForm.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

// A glyph drawn inside a magenta border: the 6 x 4 inner rectangle at (2, 1) is opaque.
QImage BorderedGlyph() {
    QImage glyph(10, 6, QImage::Format_RGB32);
    glyph.fill(0xFFFF00FF);
    for (int y = 1; y < 5; ++y)
        for (int x = 2; x < 8; ++x)
            glyph.setPixel(x, y, 0xFF2040A0);
    return glyph;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint local, QPoint global, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

struct Counter {
    int n = 0;
};

} // namespace

TEST(SkinForm, ConstructionOnAForm) {
    QWidget form;
    form.resize(300, 200);
    TskSkinForm skin(&form);
    EXPECT_EQ(skin.Form(), &form);
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(skin.size(), QSize(200, 100));
    EXPECT_EQ(skin.TransparentColor(), clFuchsia);
    EXPECT_TRUE(skin.Glyph().isNull());
}

TEST(SkinForm, GlyphShapesAndSizesTheForm) {
    QWidget form;
    form.resize(300, 200);
    auto* skin = new TskSkinForm(&form);
    skin->move(5, 7);
    Counter changed;
    QObject::connect(skin, &TskSkinForm::OnRegionChanged, [&] { ++changed.n; });
    skin->SetGlyph(BorderedGlyph());
    EXPECT_EQ(changed.n, 1);
    // Exactly the drawn area (its last column is at x = 7, well inside the glyph).
    EXPECT_EQ(form.mask(), QRegion(2, 1, 6, 4));
    EXPECT_EQ(form.size(), QSize(10, 6));
    EXPECT_EQ(skin->geometry(), QRect(0, 0, 10, 6));

    // A colour no pixel has: a rectangle one column narrower than the glyph.
    skin->SetTransparentColor(0x010203);
    EXPECT_EQ(form.mask(), QRegion(0, 0, 9, 6));
    EXPECT_EQ(changed.n, 2);

    // A glyph of nothing but the transparent colour, or one column wide, leaves nothing of the
    // window visible (not the whole rectangle).
    for (const QSize size : {QSize(10, 6), QSize(1, 6)}) {
        QImage blank(size, QImage::Format_RGB32);
        blank.fill(size.width() == 1 ? Qt::black : Qt::magenta);
        skin->SetTransparentColor(0xFF00FF);
        skin->SetGlyph(blank);
        EXPECT_FALSE(form.mask().isEmpty()) << size.width();
        EXPECT_TRUE(form.mask().intersected(form.rect()).isEmpty()) << size.width();
    }
    skin->SetTransparentColor(0x010203);
    skin->SetGlyph(BorderedGlyph());

    // The glyph is painted at the top-left corner.
    const QImage shot = skin->grab().toImage();
    EXPECT_EQ(shot.pixel(3, 2) | 0xFF000000u, 0xFF2040A0u);
}

// A window shaped from its four corner pictures (magenta outside a quarter circle) shows exactly
// its own area with the pictures' magenta parts cut out, wherever the pictures stand.
TEST(SkinForm, CornerPicturesShapeTheWholeForm) {
    QWidget form;
    form.resize(40, 30);
    auto* skin = new TskSkinForm(&form);
    auto* panel = new QWidget(&form);
    panel->setGeometry(34, 0, 6, 30);
    QList<const QLabel*> corners;
    for (int i = 0; i < 4; ++i) {
        QImage picture(6, 6, QImage::Format_RGB32);
        picture.fill(Qt::magenta);
        const QPoint centre(i % 2 ? 0 : 5, i / 2 ? 0 : 5);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x)
                if ((x - centre.x()) * (x - centre.x()) + (y - centre.y()) * (y - centre.y()) <= 25)
                    picture.setPixel(x, y, qRgb(0x20, 0x40, 0xA0));
        // The right-hand pictures sit on a panel of their own.
        auto* label = new QLabel(i % 2 ? panel : &form);
        label->setPixmap(QPixmap::fromImage(picture));
        label->setGeometry(0, i / 2 ? 24 : 0, 6, 6);
        corners << label;
    }
    skin->ShapeFromCorners({corners[0], corners[1], corners[2], corners[3]});
    const QRegion shape = form.mask();
    EXPECT_EQ(shape.boundingRect(), QRect(0, 0, 40, 30));
    for (const QPoint outside : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 29), QPoint(39, 29)})
        EXPECT_FALSE(shape.contains(outside)) << outside.x() << "," << outside.y();
    for (const QPoint inside : {QPoint(5, 0), QPoint(34, 0), QPoint(0, 24), QPoint(39, 24), QPoint(20, 15)})
        EXPECT_TRUE(shape.contains(inside)) << inside.x() << "," << inside.y();
    EXPECT_EQ(skin->geometry().topLeft(), QPoint(0, 0));
}

TEST(SkinForm, EmptyGlyphKeepsShapeAndSizeAndShowsAnOutline) {
    QWidget form;
    auto* skin = new TskSkinForm(&form);
    skin->SetGlyph(BorderedGlyph());
    const QRegion shape = form.mask();
    Counter changed;
    QObject::connect(skin, &TskSkinForm::OnRegionChanged, [&] { ++changed.n; });
    Counter painted;
    QObject::connect(skin, &TskSkinForm::OnPaint, [&] { ++painted.n; });
    skin->SetGlyph(QImage());
    EXPECT_EQ(changed.n, 0);
    EXPECT_EQ(form.mask(), shape);
    EXPECT_EQ(form.size(), QSize(10, 6));
    EXPECT_EQ(skin->size(), QSize(10, 6));
    skin->resize(12, 8);
    const QImage shot = skin->grab().toImage();
    EXPECT_GE(painted.n, 1);
    EXPECT_EQ(shot.pixel(0, 0) | 0xFF000000u, 0xFF000000u);
    EXPECT_EQ(shot.pixel(11, 7) | 0xFF000000u, 0xFF000000u);
    EXPECT_EQ(shot.pixel(6, 0) | 0xFF000000u, 0xFF000000u);
    EXPECT_NE(shot.pixel(5, 4) | 0xFF000000u, 0xFF000000u);
}

TEST(SkinForm, AnyMouseButtonDragsTheForm) {
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        QWidget form;
        form.move(100, 100);
        auto* skin = new TskSkinForm(&form);
        skin->SetGlyph(BorderedGlyph());
        Counter down;
        QObject::connect(skin, &TskSkinForm::OnMouseDown, [&] { ++down.n; });
        Counter clicked;
        QObject::connect(skin, &TskSkinForm::OnClick, [&] { ++clicked.n; });
        const QPoint start = form.pos();
        SendMouse(skin, QEvent::MouseButtonPress, {4, 3}, {104, 103}, button, button);
        EXPECT_EQ(down.n, 1);
        // Offscreen the window system cannot move windows, so the form follows the mouse itself.
        ASSERT_EQ(form.pos(), start);
        {
            SendMouse(skin, QEvent::MouseMove, {24, 33}, {124, 133}, Qt::NoButton, button);
            EXPECT_EQ(form.pos(), start + QPoint(20, 30));
            SendMouse(skin, QEvent::MouseButtonRelease, {24, 33}, {124, 133}, button, Qt::NoButton);
            SendMouse(skin, QEvent::MouseMove, {50, 50}, {150, 150}, Qt::NoButton, Qt::NoButton);
            EXPECT_EQ(form.pos(), start + QPoint(20, 30)); // released: no more following
            EXPECT_EQ(clicked.n, 0);                       // a drag is no click
        }
    }
}

TEST(SkinForm, WithoutAFormNothingIsShaped) {
    QWidget form;
    auto* panel = new QWidget(&form);
    auto* skin = new TskSkinForm(panel);
    EXPECT_EQ(skin->Form(), nullptr);
    skin->SetGlyph(BorderedGlyph());
    EXPECT_TRUE(form.mask().isEmpty());
    EXPECT_EQ(skin->size(), QSize(10, 6));
    SendMouse(skin, QEvent::MouseButtonPress, {1, 1}, {1, 1}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(skin, QEvent::MouseButtonRelease, {1, 1}, {1, 1}, Qt::LeftButton, Qt::NoButton);
}
