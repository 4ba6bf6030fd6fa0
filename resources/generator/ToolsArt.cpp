// The pictures of the splitter and joiner windows and the position bar.
#include "WindowArt.h"

#include <QPainter>

namespace WindowArt {

namespace {

struct ButtonPlace {
    const char* name;
    int x, y, w, h;
    Glyph glyph;
};

// A window background with the title line, display wells where the form places its panels, and
// every button of `buttons` drawn on the colour under it.
QImage ToolWindow(ArtWriter& art, const ArtLook& look, const QString& prefix, QSize size,
                  const std::vector<QRect>& wells, const std::vector<ButtonPlace>& buttons) {
    QImage background = WindowBackground(look, size);
    {
        QPainter p(&background);
        for (const QRect& r : wells)
            p.drawImage(r.topLeft(), Well(look, r.size()));
        p.setPen(QColor(255, 255, 255, 28));
        p.drawLine(12, 30, size.width() - 13, 30);
    }
    for (const ButtonPlace& b : buttons)
        art.Button(prefix + b.name, look, QSize(b.w, b.h), b.glyph,
                   background.pixelColor(b.x + 2, b.y + b.h / 2));
    return background;
}

QImage Column(QSize size, const QColor& top, const QColor& bottom) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(image.rect(), g);
    return image;
}

// The position bar, 566 x 85: a strip from y 19 to 67 where the segments are filled, a time
// scale under it, thumbs 33 x 16 above and below, a one-pixel cursor and tick, and the one-pixel
// columns of unticked and selected segments.
void WritePositionBar(ArtWriter& art, const ArtLook& look) {
    const QSize size(566, 85);
    QImage bar = WindowBackground(look, size);
    {
        QPainter p(&bar);
        p.drawImage(14, 17, Well(look, QSize(size.width() - 28, 53)));
        QLinearGradient wave(0, 19, 0, 67);
        wave.setColorAt(0, QColor(0x3A, 0x84, 0xDB, 70));
        wave.setColorAt(0.5, QColor(0x3A, 0x84, 0xDB, 25));
        wave.setColorAt(1, QColor(0x3A, 0x84, 0xDB, 70));
        p.fillRect(QRect(16, 19, size.width() - 32, 49), wave);
        // Scale marks along the strip's lower edge, every tenth of the travel.
        p.setPen(QColor(255, 255, 255, 60));
        for (int i = 0; i <= 40; ++i) {
            const int x = 16 + (size.width() - 33) * i / 40;
            p.drawLine(x, 67, x, i % 4 == 0 ? 62 : 65);
        }
    }
    art.Picture("BarBackground", bar);

    for (bool up : {true, false}) {
        QImage thumb(33, 16, QImage::Format_ARGB32_Premultiplied);
        thumb.fill(Qt::transparent);
        QPainter p(&thumb);
        p.setRenderHint(QPainter::Antialiasing);
        QPolygonF shape;
        if (up) // the top thumb points down at the strip
            shape << QPointF(9.5, 0.5) << QPointF(23.5, 0.5) << QPointF(23.5, 8) << QPointF(16.5, 15.5)
                  << QPointF(9.5, 8);
        else // the bottom thumb points up
            shape << QPointF(16.5, 0.5) << QPointF(23.5, 8) << QPointF(23.5, 15.5) << QPointF(9.5, 15.5)
                  << QPointF(9.5, 8);
        QLinearGradient g(0, 0, 0, 16);
        g.setColorAt(0, look.accent.lighter(140));
        g.setColorAt(1, look.accent.darker(120));
        p.setBrush(g);
        p.setPen(QPen(look.edge, 1));
        p.drawPolygon(shape);
        p.end();
        art.Picture(up ? "BarThumbUp" : "BarThumbDown", thumb);
    }
    art.Picture("BarCursor", Column(QSize(1, 54), QColor(255, 255, 255), look.accent.lighter(150)));
    art.Picture("BarTick", Column(QSize(1, 49), QColor(0xF2, 0xC1, 0x4E), QColor(0xE0, 0x9A, 0x2A)));
    // Unticked segments are darkened, with every third row darker still: a fine line pattern.
    QImage unchecked(1, 49, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 49; ++y)
        unchecked.setPixelColor(0, y, y % 3 == 0 ? QColor(0x15, 0x18, 0x1C) : QColor(0x26, 0x2B, 0x31));
    art.Picture("BarUnchecked", unchecked);
    art.Picture("BarSelected", Column(QSize(1, 49), QColor(0x5A, 0x9C, 0xE8), QColor(0x2C, 0x6C, 0xB8)));
}

} // namespace

void WriteToolsArt(const QString& outFolder, QStringList& files, bool& ok) {
    ArtWriter art(outFolder, "Videzeva", files);
    const ArtLook look = RecorderLook();
    WritePositionBar(art, look);

    // The splitter, 580 x 345: the bar's place and the section list sit in wells.
    const std::vector<ButtonPlace> splitter = {
        {"btnSplitterClose", 551, 6, 22, 20, Glyph::Close},
        {"btnSplit", 384, 34, 44, 26, Glyph::Split},
        {"btnCancelSplit", 384, 34, 44, 26, Glyph::Cancel},
        {"btnFolder", 432, 34, 44, 26, Glyph::Folder},
        {"btnOptions", 480, 34, 44, 26, Glyph::Options},
        {"btnHelp", 528, 34, 44, 26, Glyph::Help},
        {"btnPlay", 12, 152, 26, 22, Glyph::Play},
        {"btnPause", 41, 152, 26, 22, Glyph::Pause},
        {"btnStop", 70, 152, 26, 22, Glyph::Stop},
        {"btnPlayBackward", 108, 152, 26, 22, Glyph::Previous},
        {"btnPlayForward", 188, 152, 26, 22, Glyph::Next},
        {"btnGoto", 12, 180, 26, 22, Glyph::Home},
        {"btnBackward", 162, 180, 26, 22, Glyph::Rewind},
        {"btnForward", 191, 180, 26, 22, Glyph::Play},
        {"btnAddTime", 240, 180, 26, 22, Glyph::Mark},
        {"btnRemove", 269, 180, 26, 22, Glyph::Remove},
        {"btnRemoveAll", 298, 180, 26, 22, Glyph::Cancel},
        {"btnPreview", 336, 180, 26, 22, Glyph::Check},
        {"btnPreviewStop", 336, 180, 26, 22, Glyph::Stop},
    };
    art.Picture("SplitterBackground",
                ToolWindow(art, look, "Splitter_", QSize(580, 345),
                           {QRect(6, 62, 568, 87), QRect(10, 207, 560, 130)}, splitter));
    art.Picture("SplitterSide", RaisedPanel(look, QSize(2, 337)));

    // The joiner, 657 x 429: folder tree and list, join list and the information strip in wells.
    const std::vector<ButtonPlace> joiner = {
        {"btnJoinerClose", 628, 6, 22, 20, Glyph::Close},
        {"btnAdd", 12, 202, 26, 22, Glyph::Add},
        {"btnAddAll", 41, 202, 26, 22, Glyph::Down},
        {"btnRemove", 78, 202, 26, 22, Glyph::Remove},
        {"btnRemoveAll", 107, 202, 26, 22, Glyph::Cancel},
        {"btnFirst", 144, 202, 26, 22, Glyph::Home},
        {"btnLast", 173, 202, 26, 22, Glyph::Extract},
        {"btnUp", 210, 202, 26, 22, Glyph::Up},
        {"btnDown", 239, 202, 26, 22, Glyph::Down},
        {"btnPlay", 290, 202, 26, 22, Glyph::Play},
        {"btnStop", 319, 202, 26, 22, Glyph::Stop},
        {"btnOutputFormat", 516, 202, 22, 22, Glyph::Down},
        {"btnStartMerge", 502, 386, 44, 30, Glyph::Join},
        {"btnCancelMerge", 502, 386, 44, 30, Glyph::Cancel},
        {"btnFolder", 550, 390, 30, 26, Glyph::Folder},
        {"btnOptions", 583, 390, 30, 26, Glyph::Options},
        {"btnHelp", 616, 390, 30, 26, Glyph::Help},
    };
    art.Picture("JoinerBackground", ToolWindow(art, look, "Joiner_", QSize(657, 429),
                                               {QRect(11, 35, 182, 162), QRect(197, 35, 449, 162),
                                                QRect(11, 229, 635, 148), QRect(11, 383, 484, 35)},
                                               joiner));
    art.Picture("JoinerSide", RaisedPanel(look, QSize(2, 421)));
    ok = art.ok() && ok;
}

} // namespace WindowArt
