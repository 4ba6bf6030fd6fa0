// The pictures of the player window (the recorder's and the ripper's copy), in the recorder's look.
#include "WindowArt.h"

#include <QPainter>

namespace WindowArt {

void WritePlayerArt(const QString& outFolder, QStringList& files, bool& ok) {
    ArtWriter art(outFolder, "Videzeva", files);
    const ArtLook look = RecorderLook();

    // The background: the title line, the frames of the tree and the play list, the display well
    // and the equaliser's well with its band captions.
    QImage background = WindowBackground(look, QSize(717, 550));
    {
        QPainter p(&background);
        p.setPen(QColor(255, 255, 255, 28));
        p.drawLine(10, 30, 706, 30);
        p.drawImage(9, 35, Well(look, QSize(190, 312)));
        p.drawImage(205, 35, Well(look, QSize(503, 312)));
        p.drawImage(9, 351, Well(look, QSize(202, 138)));
        p.drawImage(212, 436, Well(look, QSize(350, 110)));
        p.drawLine(216, 394, 706, 394);
        p.setRenderHint(QPainter::TextAntialiasing);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(8);
        p.setFont(font);
        p.setPen(look.text);
        const char* bands[] = {"31", "62", "125", "250", "500", "1k", "2k", "4k", "8k", "12k", "16k", "Pre"};
        for (int i = 0; i < 12; ++i) {
            const int x = 216 + i * 28 + (i == 11 ? 8 : 0);
            p.drawText(QRect(x - 4, 530, 30, 12), Qt::AlignCenter, QString::fromLatin1(bands[i]));
        }
        p.setPen(QColor(255, 255, 255, 28));
        p.drawLine(551, 440, 551, 540);
    }
    art.Picture("PlayerBackground", background);
    QImage title(20, 20, QImage::Format_ARGB32_Premultiplied);
    title.fill(Qt::transparent);
    {
        QPainter p(&title);
        DrawGlyph(p, Glyph::Player, QRectF(0, 0, 20, 20), look.accent);
    }
    art.Picture("PlayerTitleIcon", title);
    art.Picture("PlayerSidePanel", RaisedPanel(look, QSize(2, 542)));

    const auto matte = [&](int x, int y, int h) { return background.pixelColor(x + 2, y + h / 2); };
    const struct {
        const char* name;
        int x, y, w, h;
        Glyph glyph;
        const char* caption;
    } buttons[] = {
        {"PlayerClose", 689, 6, 22, 20, Glyph::Close, nullptr},
        {"PlayerPlay", 216, 398, 44, 34, Glyph::Play, nullptr},
        {"PlayerPause", 264, 398, 44, 34, Glyph::Pause, nullptr},
        {"PlayerStop", 312, 398, 44, 34, Glyph::Stop, nullptr},
        {"PlayerMute", 360, 398, 44, 34, Glyph::Speaker, nullptr},
        {"PlayerMail", 408, 398, 44, 34, Glyph::Mail, nullptr},
        {"PlayerFolder", 456, 398, 44, 34, Glyph::Folder, nullptr},
        {"PlayerReorder", 504, 398, 44, 34, Glyph::Recorder, nullptr},
        {"PlayerSplitter", 552, 398, 44, 34, Glyph::Split, nullptr},
        {"PlayerJoiner", 600, 398, 44, 34, Glyph::Join, nullptr},
        {"PlayerRipper", 504, 398, 44, 34, Glyph::Ripper, nullptr},
        {"PlayerRecorder", 552, 398, 44, 34, Glyph::Recorder, nullptr},
        {"PlayerEQMode", 659, 442, 22, 21, Glyph::Down, nullptr},
        {"PlayerUseEQ", 566, 470, 114, 26, Glyph::Equalizer, "EQ on"},
        {"PlayerOptions", 10, 498, 44, 34, Glyph::Options, nullptr},
        {"PlayerHelp", 58, 498, 44, 34, Glyph::Help, nullptr},
        {"PlayerHome", 106, 498, 44, 34, Glyph::Home, nullptr},
    };
    for (const auto& b : buttons)
        art.Button(b.name, look, QSize(b.w, b.h), b.glyph, matte(b.x, b.y, b.h),
                   b.caption ? QString::fromLatin1(b.caption) : QString());
    // The ripper's About button: a ringed "i".
    const struct {
        const char* suffix;
        ButtonState state;
        QColor mark;
    } states[] = {{"normal", ButtonState::Normal, look.glyph},
                  {"hot", ButtonState::Hot, look.glyphHot},
                  {"down", ButtonState::Down, look.glyphHot},
                  {"disabled", ButtonState::Disabled, look.glyphDisabled}};
    for (const auto& st : states) {
        QImage about = ImageButton(look, QSize(44, 34), Glyph::None, st.state, matte(110, 498, 34));
        QPainter p(&about);
        p.setRenderHint(QPainter::Antialiasing);
        const QPointF shift = st.state == ButtonState::Down ? QPointF(1, 1) : QPointF(0, 0);
        const QRectF ring = QRectF(13, 8, 18, 18).translated(shift);
        p.setPen(QPen(st.mark, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(ring);
        p.setPen(Qt::NoPen);
        p.setBrush(st.mark);
        p.drawEllipse(QRectF(ring.center().x() - 1.3, ring.top() + 3.5, 2.6, 2.6));
        p.drawRoundedRect(QRectF(ring.center().x() - 1.2, ring.top() + 7.5, 2.4, 7.0), 1, 1);
        p.end();
        art.Picture(QStringLiteral("PlayerAbout_") + QLatin1String(st.suffix), about);
    }
    // The other state's pictures the mute and equaliser buttons swap in.
    art.Picture("PlayerMuted", ImageButton(look, QSize(44, 34), Glyph::SpeakerMuted, ButtonState::Normal,
                                           matte(360, 398, 34)));
    art.Picture("PlayerEQOff", ImageButton(look, QSize(114, 26), Glyph::Equalizer, ButtonState::Disabled,
                                           matte(566, 470, 26), QStringLiteral("EQ off")));
    ok = art.ok() && ok;
}

} // namespace WindowArt
