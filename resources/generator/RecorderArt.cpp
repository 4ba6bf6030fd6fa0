// The pictures of the recorder's main window (and the recorder's shared pictures).
#include "WindowArt.h"

#include <QPainter>

namespace WindowArt {

void WriteRecorderArt(const QString& outFolder, QStringList& files, bool& ok) {
    ArtWriter art(outFolder, "Videzeva", files);
    const ArtLook look = RecorderLook();
    art.Corners(look);
    art.Picture("AppIcon", AppIcon(look, Glyph::Recorder));

    // The main window: background with the display well, the title mark, the side sliver and the
    // buttons, each standing on the background where the form places it.
    QImage background = WindowBackground(look, QSize(607, 431));
    {
        QPainter p(&background);
        p.drawImage(11, 35, Well(look, QSize(585, 120)));
        p.drawImage(11, 317, Well(look, QSize(585, 105)));
        p.setPen(QColor(255, 255, 255, 28));
        p.drawLine(12, 30, 594, 30);
        p.drawLine(12, 227, 594, 227);
    }
    art.Picture("MainBackground", background);
    QImage title(20, 20, QImage::Format_ARGB32_Premultiplied);
    title.fill(Qt::transparent);
    {
        QPainter p(&title);
        DrawGlyph(p, Glyph::Recorder, QRectF(0, 0, 20, 20), look.accent);
    }
    art.Picture("TitleIcon", title);
    art.Picture("SidePanel", RaisedPanel(look, QSize(2, 423)));
    const auto matte = [&](int x, int y, int h) { return background.pixelColor(x + 2, y + h / 2); };
    const struct {
        const char* name;
        int x, y, w, h;
        Glyph glyph;
    } buttons[] = {
        {"btnAppMin", 553, 6, 22, 20, Glyph::Minimize},   {"btnAppClose", 578, 6, 22, 20, Glyph::Close},
        {"btnRecordFrom", 256, 168, 22, 21, Glyph::Down}, {"btnRecord", 14, 232, 44, 34, Glyph::Record},
        {"btnPause", 64, 232, 44, 34, Glyph::Pause},      {"btnStop", 114, 232, 44, 34, Glyph::Stop},
        {"btnPlay", 164, 232, 44, 34, Glyph::Play},       {"btnMail", 214, 232, 44, 34, Glyph::Mail},
        {"btnFolder", 405, 232, 44, 34, Glyph::Folder},   {"btnOptions", 453, 232, 44, 34, Glyph::Options},
        {"btnPlayer", 501, 232, 44, 34, Glyph::Player},   {"btnHelp", 549, 232, 44, 34, Glyph::Help},
    };
    for (const auto& b : buttons)
        art.Button(b.name, look, QSize(b.w, b.h), b.glyph, matte(b.x, b.y, b.h));
    // The format icons of the recordings list and the player's play list, by icon index.
    art.Picture("Format0", TagIcon("WAV", QColor(0x3A, 0x84, 0xDB)));
    art.Picture("Format1", TagIcon("MP3", QColor(0x2E, 0xA0, 0x6A)));
    art.Picture("Format2", TagIcon("OGG", QColor(0xC9, 0x7A, 0x1E)));
    art.Picture("Format3", TagIcon("WMA", QColor(0x8C, 0x4F, 0xC4)));
    ok = art.ok() && ok;
}

} // namespace WindowArt
