// Writes every built-in style bitmap and every theme-file bitmap, four times enlarged on a checker
// background (magenta shows as the checker), into the build tree's gallery/ folder for review; one
// sheet per style and theme file shows all of its pictures together.
#include "skin/SKThemeFile.h"
#include "skin/SKThemes.h"

#include <QDir>
#include <QFile>
#include <QPainter>
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

QString GalleryDir() {
    const QString dir = QStringLiteral(SUITE_BUILD_DIR) + "/gallery";
    QDir().mkpath(dir);
    return dir;
}

}  // namespace

TEST(Gallery, BuiltInStyleBitmaps) {
    const QString dir = GalleryDir();
    for (int s = MacOS; s <= BlueGlass; ++s) {
        const auto style = static_cast<TskUIStyle>(s);
        QList<QImage> sheet;
        for (int e = 1; e <= SkinElement::Count; ++e) {
            const QString name = BuiltInBitmapName(style, e);
            if (name.isEmpty()) continue;
            QImage bitmap;
            ASSERT_TRUE(LoadBitmapResource(name, bitmap)) << name.toStdString();
            const QImage big = Enlarged(bitmap);
            ASSERT_TRUE(big.save(dir + "/" + name + ".png")) << name.toStdString();
            sheet.append(big);
        }
        ASSERT_TRUE(Sheet(sheet).save(dir + "/sheet_" + StyleResourcePrefix(style) + ".png"));
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

TEST(Gallery, ThemeFileBitmaps) {
    const QString dir = GalleryDir();
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
    }
}
