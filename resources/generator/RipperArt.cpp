// The pictures of the ripper's windows: the shaped main window (background, corners, side sliver,
// image buttons), the progress window's bar fill and the about box's banner.
#include "WindowArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace WindowArt {

namespace {

// A thin groove across the window: a dark line with a light one under it.
void Groove(QPainter& p, int x1, int x2, int y) {
    p.setPen(QColor(0, 0, 0, 90));
    p.drawLine(x1, y, x2, y);
    p.setPen(QColor(255, 255, 255, 24));
    p.drawLine(x1, y + 1, x2, y + 1);
}

// The about box's banner: the program's disc mark on a well, its name and a line under it.
QImage AboutBanner(const ArtLook& look, QSize size) {
    QImage image = Well(look, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient glow(0, 0, size.width(), 0);
    glow.setColorAt(0, QColor(look.accent.red(), look.accent.green(), look.accent.blue(), 70));
    glow.setColorAt(1, QColor(look.accent.red(), look.accent.green(), look.accent.blue(), 0));
    p.fillRect(QRect(1, 1, size.width() - 2, size.height() - 2), glow);
    const QImage icon =
        AppIcon(look, Glyph::Ripper)
            .scaled(size.height() - 12, size.height() - 12, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    p.drawImage(8, 6, icon);
    QFont name("DejaVu Sans");
    name.setPixelSize(22);
    name.setBold(true);
    p.setFont(name);
    p.setPen(look.text);
    const int textLeft = 16 + icon.width();
    p.drawText(QRect(textLeft, 8, size.width() - textLeft - 8, 28), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Duzivuz 3.0"));
    QFont small("DejaVu Sans");
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(look.accent);
    p.drawText(QRect(textLeft, 38, size.width() - textLeft - 8, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Audio CD ripper"));
    return image;
}

// The fill of the progress window's bars: the program's colour, lighter at the top.
QImage ProgressFill(const ArtLook& look, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, look.accent.lighter(135));
    g.setColorAt(0.5, look.accent);
    g.setColorAt(1, look.accent.darker(130));
    p.fillRect(image.rect(), g);
    return image;
}

} // namespace

void WriteRipperArt(const QString& outFolder, QStringList& files, bool& ok) {
    ArtWriter art(outFolder, "Duzivuz", files);
    const ArtLook look = RipperLook();
    art.Corners(look);
    art.Picture("AppIcon", AppIcon(look, Glyph::Ripper));

    // The main window: the title strip, the drive and tag area, the track list's well, the preview
    // row and the button bar, each where the form places its controls.
    const QSize window(699, 502);
    QImage background = WindowBackground(look, window);
    {
        QPainter p(&background);
        Groove(p, 8, 690, 31);
        p.drawImage(6, 34, RaisedPanel(look, QSize(687, 108)));
        p.drawImage(10, 144, Well(look, QSize(679, 246)));
        Groove(p, 8, 690, 423);
        p.drawImage(6, 450, RaisedPanel(look, QSize(687, 48)));
    }
    art.Picture("MainBackground", background);
    art.Picture("TitleIcon", TitleMark(look, Glyph::Ripper));
    art.Picture("SidePanel", RaisedPanel(look, QSize(2, 494)));

    art.ButtonsOn(background, look,
                  {
                      {"btnAppMin", 646, 6, 22, 20, Glyph::Minimize, ""},
                      {"btnAppClose", 671, 6, 22, 20, Glyph::Close, ""},
                      {"btnDevice", 392, 38, 22, 22, Glyph::Down, ""},
                      {"btnRefresh", 424, 36, 32, 26, Glyph::Refresh, ""},
                      {"btnGetInfo", 460, 36, 32, 26, Glyph::Disc, ""},
                      {"btnGenre", 294, 116, 22, 22, Glyph::Down, ""},
                      {"btnOutput", 438, 116, 22, 22, Glyph::Down, ""},
                      {"btnGrabMode", 665, 116, 22, 22, Glyph::Down, ""},
                      {"btnSelectAll", 12, 394, 56, 24, Glyph::None, "All"},
                      {"btnSelectNone", 72, 394, 56, 24, Glyph::None, "None"},
                      {"btnInvert", 132, 394, 56, 24, Glyph::None, "Invert"},
                      {"btnPlay", 200, 393, 32, 26, Glyph::Play, ""},
                      {"btnStop", 236, 393, 32, 26, Glyph::Stop, ""},
                      {"btnOptions", 12, 456, 44, 36, Glyph::Options, ""},
                      {"btnFolder", 60, 456, 44, 36, Glyph::Folder, ""},
                      {"btnRecorder", 108, 456, 44, 36, Glyph::Recorder, ""},
                      {"btnPlayer", 156, 456, 44, 36, Glyph::Player, ""},
                      {"btnHelp", 204, 456, 44, 36, Glyph::Help, ""},
                      {"btnAbout", 252, 456, 44, 36, Glyph::Disc, ""},
                      {"btnExtract", 547, 454, 140, 40, Glyph::Extract, "Extract"},
                  });

    // The progress window's bars and the about box's banner.
    art.Picture("ProgressFill", ProgressFill(look, QSize(8, 20)));
    art.Picture("AboutBanner", AboutBanner(look, QSize(300, 64)));
    ok = art.ok() && ok;
}

} // namespace WindowArt
