// Draws every built-in style bitmap and every theme-file bitmap, four times enlarged on a checker
// background (magenta shows as the checker), into the build tree's gallery/ folder for review; one
// sheet per style and theme file shows all of its pictures together.
#include "skin/SKPublic.h"
#include "skin/SKThemeFile.h"
#include "skin/SKThemes.h"
#include "tests/gallery/Gallery.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int kScale = 4;

QImage Enlarged(const QImage& bitmap) {
    const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB32);
    QImage out(rgb.width() * kScale, rgb.height() * kScale, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = rgb.pixel(x / kScale, y / kScale);
            if ((p & 0xFFFFFF) == 0xFF00FF) {
                out.setPixel(x, y, ((x / 4 + y / 4) % 2) ? 0xFFCCCCCC : 0xFFFFFFFF);
            } else {
                out.setPixel(x, y, p);
            }
        }
    }
    return out;
}

// All pictures of one style or theme file, one under the other, with a gap between them.
QImage Sheet(const QList<QImage>& pictures) {
    int w = 0, h = 0;
    for (const QImage& p : pictures) {
        w = std::max(w, p.width());
        h += p.height() + 8;
    }
    QImage sheet(w + 16, h + 8, QImage::Format_RGB32);
    sheet.fill(0xFF808890);
    QPainter painter(&sheet);
    int y = 8;
    for (const QImage& p : pictures) {
        painter.drawImage(8, y, p);
        y += p.height() + 8;
    }
    return sheet;
}

// A mock window put together from one theme's pieces the way the controls use them: caption bar
// with its buttons, push buttons, check and radio boxes, a track bar and a progress bar.
using PieceSource = std::function<QImage(int element, int partCount, int part)>;

QImage Preview(const PieceSource& piece, const std::function<int(int)>& number) {
    const int W = 320, H = 150;
    QImage window(W, H, QImage::Format_RGB32);
    window.fill(ColorToQColor(static_cast<TColor>(number(SkinElement::FormBackgroundColor))));
    QPainter p(&window);
    const QImage left = piece(SkinElement::TitleBarLeftImage, 0, 0);
    const QImage client = piece(SkinElement::TitleBarClientImage, 0, 0);
    const QImage right = piece(SkinElement::TitleBarRightImage, 0, 0);
    p.drawImage(0, 0, left);
    p.drawImage(W - right.width(), 0, right);
    p.drawImage(QRect(left.width(), 0, W - left.width() - right.width(), client.height()), client);
    // The caption buttons are drawn inside the caption bar: what reaches below it is cut off.
    p.setClipRect(QRect(0, 0, W, left.height()));
    const bool buttonsTransparent = number(SkinElement::TitleBarButtonTransparentBool) != 0;
    int x = W + 1 + number(SkinElement::TitleBarButtonRightOffsetInt);
    for (int first : {16, 7, 13}) { // close, maximise, minimise: the row grows leftwards
        const QImage b = piece(SkinElement::TitleBarButtonImage, 18, first);
        x -= b.width() + 1;
        const int top = number(SkinElement::TitleBarButtonTopInt);
        if (buttonsTransparent)
            DrawMasked(p, x, top, b, PixelColor(b, 0, b.height() - 1));
        else
            p.drawImage(x, top, b);
    }
    const QImage control = piece(SkinElement::TitleBarButtonImage, 18, 1);
    if (buttonsTransparent) {
        DrawMasked(p, number(SkinElement::TitleBarButtonLeftOffsetInt),
                   number(SkinElement::TitleBarButtonTopInt), control,
                   PixelColor(control, 0, control.height() - 1));
    } else {
        p.drawImage(number(SkinElement::TitleBarButtonLeftOffsetInt),
                    number(SkinElement::TitleBarButtonTopInt), control);
    }
    p.setClipping(false);

    const bool buttonTransparent = number(SkinElement::ButtonTransparentBool) != 0;
    int bx = 12;
    for (int state : {1, 2, 3}) {
        QImage face(90, 27, QImage::Format_RGB32);
        face.fill(window.pixel(bx, 50));
        {
            QPainter f(&face);
            DrawNinePartBitmap(piece(SkinElement::ButtonImage, 3, state), f, TRect(0, 0, 90, 27),
                               buttonTransparent);
        }
        p.drawImage(bx, 48, face);
        bx += 100;
    }
    int cx = 12;
    for (int state : {1, 2, 3, 4}) {
        p.drawImage(cx, 88, piece(SkinElement::CheckBoxImage, 4, state));
        const QImage radio = piece(SkinElement::RadioButtonImage, 4, state);
        DrawMasked(p, cx + 150, 88, radio, PixelColor(radio, 0, radio.height() - 1));
        cx += 24;
    }
    const QImage bar = piece(SkinElement::TrackBarBarImage, 0, 0);
    DrawThreePartBitmap(bar, p, TRect(12, 122, 200, 122 + bar.height()), false);
    const QImage slider = piece(SkinElement::TrackBarSliderImage, 0, 0);
    DrawMasked(p, 80, 122 - slider.height() / 2, slider, clFuchsia);
    const QImage progress = piece(SkinElement::ProgressBarImage, 0, 0);
    p.fillRect(QRect(220, 116, 88, 12), Qt::white);
    p.drawImage(QRect(221, 117, 50, 10), progress);
    p.setPen(ColorToQColor(static_cast<TColor>(number(SkinElement::ControlBorderColor))));
    p.drawRect(220, 116, 87, 11);
    return window;
}

} // namespace

TEST(SkinBitmaps, BuiltInStyles) {
    const QString dir = gallery::Folder();
    for (int s = MacOS; s <= BlueGlass; ++s) {
        const auto style = static_cast<TskUIStyle>(s);
        QList<QImage> sheet;
        for (int e = 1; e <= SkinElement::Count; ++e) {
            const QString name = BuiltInBitmapName(style, TskSkinElement(e));
            if (name.isEmpty()) continue;
            QImage bitmap;
            ASSERT_TRUE(LoadBitmapResource(name, bitmap)) << name.toStdString();
            const QImage big = Enlarged(bitmap);
            ASSERT_TRUE(big.save(dir + "/" + name + ".png")) << name.toStdString();
            sheet.append(big);
        }
        ASSERT_TRUE(Sheet(sheet).save(dir + "/sheet_" + StyleResourcePrefix(style) + ".png"));
        const QImage preview = Preview(
            [&](int e, int count, int part) {
                QImage g;
                GetBuiltInBitmap(style, TskSkinElement(e), &g, count, part);
                return g;
            },
            [&](int e) {
                TskElementKind kind;
                return static_cast<int>(GetBuiltInValue(style, TskSkinElement(e), kind));
            });
        ASSERT_TRUE(Enlarged(preview).save(dir + "/preview_" + StyleResourcePrefix(style) + ".png"));
    }
    QList<QImage> extras;
    for (const QString& name : ExtraStyleBitmapNames()) {
        QImage bitmap;
        ASSERT_TRUE(LoadBitmapResource(name, bitmap)) << name.toStdString();
        const QImage big = Enlarged(bitmap);
        ASSERT_TRUE(big.save(dir + "/" + name + ".png"));
        extras.append(big);
    }
    ASSERT_TRUE(Sheet(extras).save(dir + "/sheet_EXTRA.png"));
}

TEST(SkinBitmaps, ThemeFiles) {
    const QString dir = gallery::Folder();
    for (const char* file : {"new.skn", "mp10.skn", "new1.skn", "new2.skn"}) {
        QFile f(ThemeResourcePath(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file;
        const TskThemeFileReader reader = TskThemeFileReader::FromData(f.readAll());
        const QString base = QString::fromLatin1(file).section('.', 0, 0);
        QList<QImage> sheet;
        for (const QString& key : reader.BitmapKeys()) {
            const QImage bitmap = QImage::fromData(reader.GetBitmap(key), "BMP");
            ASSERT_FALSE(bitmap.isNull()) << file << " " << key.toStdString();
            const QImage big = Enlarged(bitmap);
            ASSERT_TRUE(big.save(dir + "/" + base + "_" + key + ".png"));
            sheet.append(big);
        }
        ASSERT_TRUE(Sheet(sheet).save(dir + "/sheet_" + base + ".png"));
        const QImage preview = Preview(
            [&](int e, int count, int part) {
                QImage g = QImage::fromData(reader.GetBitmap(ThemeElementKey(TskSkinElement(e))), "BMP");
                if (count > 0) CopyBitmapPart(g, g, count, part);
                return g;
            },
            [&](int e) {
                return ThemeElementKind(TskSkinElement(e)) == TskElementKind::Bool
                           ? int(reader.GetBool(ThemeElementKey(TskSkinElement(e))))
                           : reader.GetInt(ThemeElementKey(TskSkinElement(e)));
            });
        ASSERT_TRUE(Enlarged(preview).save(dir + "/preview_" + base + ".png"));
    }
}
