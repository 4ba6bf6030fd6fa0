// The drawing helpers, checked pixel by pixel against independent models of what they must draw.
#include "platform/Form.h"
#include "skin/SKMgr.h"
#include "skin/SKPublic.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kSentinel = 0xFF123456;
constexpr QRgb kMagenta = 0xFFFF00FF;

// A bitmap whose every pixel tells where it came from: red = x, green = y.
QImage CoordinateBitmap(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x, y, 0x40));
    return image;
}

QImage Canvas(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kSentinel);
    return image;
}

QRgb Px(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}

// Records the order in which its properties are written.
class ThemedChild : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
public:
    ThemedChild(QWidget* parent, QStringList* log) : QWidget(parent), m_log(log) {}
    TskFileTheme* FileTheme() const { return m_theme; }
    void SetFileTheme(TskFileTheme* t) {
        m_theme = t;
        m_log->append(objectName() + ".FileTheme");
    }
    TskUIStyle UIStyle() const { return m_style; }
    void SetUIStyle(TskUIStyle s) {
        m_style = s;
        m_log->append(objectName() + ".UIStyle");
    }

private:
    QStringList* m_log;
    TskFileTheme* m_theme = nullptr;
    TskUIStyle m_style = DeepBlue;
};

class StyleOnlyChild : public QWidget {
    Q_OBJECT
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
public:
    using QWidget::QWidget;
    TskUIStyle UIStyle() const { return m_style; }
    void SetUIStyle(TskUIStyle s) { m_style = s; }

private:
    TskUIStyle m_style = DeepBlue;
};

// A parent whose painting differs at every pixel, and a child that paints itself red.
class PatternParent : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x)
                p.fillRect(x, y, 1, 1, QColor(x * 3 % 256, y * 5 % 256, 77));
    }
};

// A control that looks transparent: it paints what its parent shows under it, then a mark.
class SeeThroughChild : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QImage buffer(size(), QImage::Format_RGB32);
        {
            QPainter b(&buffer);
            DrawParentBackground(b, this);
        }
        QPainter p(this);
        p.drawImage(0, 0, buffer);
        p.fillRect(0, 0, 1, 1, Qt::green);
    }
};

class RedChild : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::red); }
};

} // namespace

TEST(DrawingHelpers, InRectIncludesAllFourEdges) {
    const TRect r(10, 20, 30, 40);
    EXPECT_TRUE(InRect(10, 20, r));
    EXPECT_TRUE(InRect(30, 40, r));
    EXPECT_TRUE(InRect(QPoint(30, 25), r));
    EXPECT_TRUE(InRect(QPoint(15, 40), r));
    EXPECT_FALSE(InRect(31, 25, r));
    EXPECT_FALSE(InRect(9, 25, r));
    EXPECT_FALSE(InRect(15, 41, r));
    EXPECT_FALSE(InRect(15, 19, r));
}

TEST(DrawingHelpers, WindowRegionDropsTheLastColumn) {
    QImage opaque(3, 1, QImage::Format_RGB32);
    opaque.fill(0xFF00FF00);
    EXPECT_EQ(BitmapWindowRegion(opaque, clFuchsia), QRegion(0, 0, 2, 1));

    // Runs per row; a transparent row adds nothing; the last column never belongs.
    QImage mixed(5, 3, QImage::Format_RGB32);
    mixed.fill(0xFF00FF00);
    mixed.setPixel(1, 0, kMagenta);
    for (int x = 0; x < 5; ++x)
        mixed.setPixel(x, 1, kMagenta);
    mixed.setPixel(0, 2, kMagenta);
    mixed.setPixel(3, 2, kMagenta);
    QRegion expected;
    expected += QRect(0, 0, 1, 1);
    expected += QRect(2, 0, 2, 1);
    expected += QRect(1, 2, 2, 1);
    EXPECT_EQ(BitmapWindowRegion(mixed, clFuchsia), expected);

    // Another transparent colour: magenta then counts as opaque.
    EXPECT_EQ(BitmapWindowRegion(mixed, 0x123456), QRegion(0, 0, 4, 3));
    EXPECT_TRUE(BitmapWindowRegion(QImage(), clFuchsia).isEmpty());

    QWidget window;
    SetBitmapWindowRegion(&window, opaque, clFuchsia);
    EXPECT_EQ(window.mask(), QRegion(0, 0, 2, 1));
}

TEST(DrawingHelpers, CopyBitmapPartCutsEqualPieces) {
    const QImage source = CoordinateBitmap(225, 21);
    QImage dest;
    CopyBitmapPart(source, dest, 3, 2);
    ASSERT_EQ(dest.size(), QSize(75, 21));
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 75; ++x)
            ASSERT_EQ(Px(dest, x, y), Px(source, 75 + x, y));
    // A width that does not divide: pieces of width div count, the rest unused.
    CopyBitmapPart(CoordinateBitmap(100, 2), dest, 18, 18);
    ASSERT_EQ(dest.size(), QSize(5, 2));
    EXPECT_EQ(qRed(dest.pixel(0, 0)), 85);
    CopyBitmapPart(source, dest, 1, 1);
    EXPECT_EQ(dest.size(), source.size());
}

TEST(DrawingHelpers, QuarterTurns) {
    QImage ab(2, 1, QImage::Format_RGB32);
    ab.setPixel(0, 0, 0xFFAA0000); // A
    ab.setPixel(1, 0, 0xFF00BB00); // B
    QImage ccw = ab;
    RotateBitmap(ccw);
    ASSERT_EQ(ccw.size(), QSize(1, 2));
    EXPECT_EQ(Px(ccw, 0, 0), 0xFF00BB00u);
    EXPECT_EQ(Px(ccw, 0, 1), 0xFFAA0000u);
    QImage cw = ab;
    RotateBitmapClockwise(cw);
    ASSERT_EQ(cw.size(), QSize(1, 2));
    EXPECT_EQ(Px(cw, 0, 0), 0xFFAA0000u);
    EXPECT_EQ(Px(cw, 0, 1), 0xFF00BB00u);

    const QImage src = CoordinateBitmap(7, 4);
    QImage turned = src;
    RotateBitmap(turned);
    ASSERT_EQ(turned.size(), QSize(4, 7));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(Px(turned, y, 6 - x), Px(src, x, y));
    turned = src;
    RotateBitmapClockwise(turned);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(Px(turned, 3 - y, x), Px(src, x, y));
    RotateBitmap(turned);
    EXPECT_EQ(turned, src.convertToFormat(QImage::Format_RGB32));
}

TEST(DrawingHelpers, TileDrawPicturePositions) {
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(0xFF0000FF);
    picture.setPixel(0, 0, 0xFFFF0000); // marks each drawing's origin
    QImage canvas = Canvas(60, 40);
    {
        QPainter p(&canvas);
        TileDrawPicture(p, picture, TRect(5, 5, 30, 15)); // 25 x 10: only the extent counts
    }
    for (int y = 0; y < 40; y += 10) {
        for (int x = 0; x < 60; x += 10) {
            const bool drawn = x <= 30 && y <= 10;
            EXPECT_EQ(Px(canvas, x, y), drawn ? 0xFFFF0000u : kSentinel) << x << "," << y;
        }
    }
    QImage untouched = Canvas(20, 20);
    {
        QPainter p(&untouched);
        TileDrawPicture(p, QImage(), TRect(0, 0, 20, 20));
    }
    EXPECT_EQ(untouched, Canvas(20, 20));
}

// The worked example: a 75 x 21 bitmap over (0, 0, 100, 30).
TEST(DrawingHelpers, NinePartWorkedExample) {
    const QImage bitmap = CoordinateBitmap(75, 21);
    QImage canvas = Canvas(100, 30);
    {
        QPainter p(&canvas);
        DrawNinePartBitmap(bitmap, p, TRect(0, 0, 100, 30), false);
    }
    // Where each canvas pixel must come from, region by region, in drawing order (later wins).
    auto expected = [&](int x, int y) -> QPoint {
        QPoint s(-1, -1);
        if (x < 37 && y < 10) s = {x, y};                                 // top-left
        if (x < 37 && y >= 21) s = {x, y - 9};                            // bottom-left, rows 12..20
        if (x < 37 && y >= 10 && y < 21) s = {x, 10};                     // left edge, row 10
        if (x >= 64 && y < 10) s = {x - 25, y};                           // top-right, columns 39..74
        if (x >= 64 && y >= 21) s = {x - 25, y - 9};                      // bottom-right
        if (x >= 64 && y >= 10 && y < 21) s = {x - 25, 11};               // right edge, row 11
        if (x >= 37 && x < 64 && y < 10) s = {37 + (x - 37) * 2 / 27, y}; // top edge
        if (x >= 37 && x < 64 && y >= 10 && y < 20) s = {37 + (x - 37) * 2 / 27, 10};  // centre
        if (x >= 36 && x < 64 && y >= 20) s = {37 + (x - 36) * 2 / 28, 11 + (y - 20)}; // bottom edge
        return s;
    };
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 100; ++x) {
            const QPoint s = expected(x, y);
            ASSERT_GE(s.x(), 0) << "uncovered " << x << "," << y;
            ASSERT_EQ(Px(canvas, x, y), Px(bitmap, s.x(), s.y())) << x << "," << y;
        }
    }
}

TEST(DrawingHelpers, NinePartTransparency) {
    QImage bitmap(9, 9, QImage::Format_RGB32);
    bitmap.fill(0xFF00FF00);
    bitmap.setPixel(0, 0, kMagenta); // a corner pixel
    bitmap.setPixel(4, 0, kMagenta); // in the top edge
    QImage opaque = Canvas(20, 20), clear = Canvas(20, 20);
    {
        QPainter p(&opaque);
        DrawNinePartBitmap(bitmap, p, TRect(0, 0, 20, 20), false);
        QPainter q(&clear);
        DrawNinePartBitmap(bitmap, q, TRect(0, 0, 20, 20), true);
    }
    EXPECT_EQ(Px(opaque, 0, 0), kMagenta);   // corners: copied as they are
    EXPECT_EQ(Px(clear, 0, 0), kSentinel);   // corners: magenta left out
    EXPECT_EQ(Px(opaque, 10, 0), kSentinel); // edges always leave magenta out
    EXPECT_EQ(Px(clear, 10, 0), kSentinel);
    EXPECT_EQ(Px(opaque, 10, 10), 0xFF00FF00u);

    // Smaller than four pixels: the whole bitmap stretched, nothing outside the rectangle.
    QImage small = Canvas(10, 10);
    {
        QPainter p(&small);
        DrawNinePartBitmap(CoordinateBitmap(2, 2), p, TRect(0, 0, 3, 3), false);
    }
    EXPECT_EQ(Px(small, 0, 0), Px(CoordinateBitmap(2, 2), 0, 0));
    EXPECT_EQ(Px(small, 2, 2), Px(CoordinateBitmap(2, 2), 1, 1));
    EXPECT_EQ(Px(small, 3, 3), kSentinel);
}

TEST(DrawingHelpers, ThreePartBar) {
    QImage graphic(30, 5, QImage::Format_RGB32);
    for (int x = 0; x < 30; ++x)
        for (int y = 0; y < 5; ++y)
            graphic.setPixel(x, y, qRgb(x, y, 0x40));
    graphic.setPixel(0, 0, 0xFF010203); // the corner pixel: the mask when asked for
    graphic.setPixel(15, 2, kMagenta);
    QImage canvas = Canvas(80, 20);
    {
        QPainter p(&canvas);
        DrawThreePartBitmap(graphic, p, TRect(5, 2, 65, 12), true);
    }
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 80; ++x) {
            QRgb want = kSentinel;
            if (x >= 5 && x < 15 && y >= 2 && y < 7) want = Px(graphic, x - 5, y - 2);        // left end
            if (x >= 55 && x < 65 && y >= 2 && y < 7) want = Px(graphic, 20 + x - 55, y - 2); // right end
            if (x >= 15 && x < 55 && y >= 2 && y < 12)
                want = Px(graphic, 10 + (x - 15) * 10 / 40, (y - 2) * 5 / 10);
            if (want == 0xFF010203u) want = kSentinel;
            ASSERT_EQ(Px(canvas, x, y), want) << x << "," << y;
        }
    }
    // With magenta as the mask the corner pixel shows and magenta does not.
    QImage byMagenta = Canvas(80, 20);
    {
        QPainter p(&byMagenta);
        DrawThreePartBitmap(graphic, p, TRect(5, 2, 65, 12), false);
    }
    EXPECT_EQ(Px(byMagenta, 5, 2), 0xFF010203u);
    EXPECT_EQ(Px(byMagenta, 35, 6), kSentinel); // stretched magenta pixel (source 15, 2)
}

TEST(DrawingHelpers, PropertiesAndChildren) {
    QStringList log;
    QWidget container;
    auto* a = new ThemedChild(&container, &log);
    a->setObjectName("a");
    auto* styleOnly = new StyleOnlyChild(&container);
    auto* b = new ThemedChild(&container, &log);
    b->setObjectName("b");
    auto* grandChild = new ThemedChild(b, &log);
    grandChild->setObjectName("grandChild");
    log.clear();

    EXPECT_TRUE(HasProperty(a, "FileTheme"));
    EXPECT_TRUE(HasProperty(styleOnly, "UIStyle"));
    EXPECT_FALSE(HasProperty(styleOnly, "FileTheme"));
    styleOnly->setProperty("FileTheme", 1); // a dynamic property is not a declared one
    EXPECT_FALSE(HasProperty(styleOnly, "FileTheme"));
    EXPECT_FALSE(HasProperty(nullptr, "UIStyle"));

    TskFileTheme theme;
    ApplyUIStyleToChildren(&container, WinXP, &theme);
    EXPECT_EQ(log, (QStringList{"a.FileTheme", "a.UIStyle", "b.FileTheme", "b.UIStyle"}));
    EXPECT_EQ(a->UIStyle(), WinXP);
    EXPECT_EQ(a->FileTheme(), &theme);
    EXPECT_EQ(b->UIStyle(), WinXP);
    EXPECT_EQ(styleOnly->UIStyle(), DeepBlue);  // lacks FileTheme: skipped
    EXPECT_EQ(grandChild->UIStyle(), DeepBlue); // only direct children
}

TEST(DrawingHelpers, ControlPositionAndBounds) {
    QWidget parent;
    auto* child = new QWidget(&parent);
    SetControlPos(child, QPoint(7, 9));
    EXPECT_EQ(child->pos(), QPoint(7, 9));
    SetControlBounds(child, TRect(3, 4, 53, 24));
    EXPECT_EQ(child->geometry(), QRect(3, 4, 50, 20));
    TRect work;
    GetWorkAreaRect(work);
    EXPECT_FALSE(work.IsEmpty());
    EXPECT_FALSE(IsWin95OSR2());
    EXPECT_EQ(BufferToString("abc"), "abc");
    EXPECT_EQ(BufferToString(""), "");
}

TEST(DrawingHelpers, ParentBackgroundWithoutTheChildren) {
    PatternParent parent;
    parent.resize(60, 40);
    auto* child = new RedChild(&parent);
    child->setGeometry(13, 7, 20, 15);
    auto* sibling = new RedChild(&parent);
    sibling->setGeometry(20, 10, 5, 5); // under the child's area: must not show

    QImage canvas = Canvas(20, 15);
    {
        QPainter p(&canvas);
        DrawParentBackground(p, child);
    }
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(Px(canvas, x, y), qRgb((x + 13) * 3 % 256, (y + 7) * 5 % 256, 77) | 0xFF000000u)
                << x << "," << y;

    // The same from inside the control's own paint, as the controls use it.
    auto* seeThrough = new SeeThroughChild(&parent);
    seeThrough->setGeometry(30, 20, 12, 9);
    const QImage shot = seeThrough->grab().toImage();
    EXPECT_EQ(Px(shot, 0, 0), 0xFF00FF00u);
    for (int y = 0; y < 9; ++y)
        for (int x = (y == 0 ? 1 : 0); x < 12; ++x)
            ASSERT_EQ(Px(shot, x, y), qRgb((x + 30) * 3 % 256, (y + 20) * 5 % 256, 77) | 0xFF000000u)
                << x << "," << y;

    QWidget orphan;
    QImage untouched = Canvas(5, 5);
    {
        QPainter p(&untouched);
        DrawParentBackground(p, &orphan);
    }
    EXPECT_EQ(untouched, Canvas(5, 5));
}

TEST(DrawingHelpers, FrameControlBorder) {
    QWidget control;
    control.resize(10, 8);
    QImage canvas = Canvas(10, 8);
    {
        QPainter p(&canvas);
        FrameControlBorder(p, &control, 0x0000FF, clBtnHighlight, true); // red; system colour 20: white
    }
    EXPECT_EQ(Px(canvas, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Px(canvas, 9, 7), 0xFFFF0000u);
    EXPECT_EQ(Px(canvas, 5, 7), 0xFFFF0000u);
    EXPECT_EQ(Px(canvas, 1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(Px(canvas, 8, 6), 0xFFFFFFFFu);
    EXPECT_EQ(Px(canvas, 2, 2), kSentinel);
    QImage outerOnly = Canvas(10, 8);
    {
        QPainter p(&outerOnly);
        FrameControlBorder(p, &control, 0x0000FF, 0xFFFFFF, false);
    }
    EXPECT_EQ(Px(outerOnly, 1, 1), kSentinel);
}

TEST(DrawingHelpers, FormActiveWithoutAMainForm) {
    QWidget hidden;
    EXPECT_FALSE(IsFormActive(&hidden));
    EXPECT_FALSE(IsFormActive(nullptr));
    TForm main;
    main.setMainForm(true);
    TForm other;
    if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
        EXPECT_FALSE(IsFormActive(&main));
    } else {
        EXPECT_TRUE(IsFormActive(&main));
        EXPECT_TRUE(IsFormActive(nullptr));
        EXPECT_EQ(IsFormActive(&other), other.isActiveWindow());
    }
}

#include "DrawingHelpersTest.moc"
