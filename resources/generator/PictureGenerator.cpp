// Draws the skin pictures of the five built-in styles and the four theme files, and writes them with
// a Qt resource list into the output folder:
//   bitmaps/<NAME>.bmp   the style bitmaps loaded by name ("DEEPBLUE_BUTTON", "MENU_CHECKED", ...)
//   themes/<name>.skn    the theme files new.skn, mp10.skn, new1.skn and new2.skn
//   skin_pictures.qrc    the list of all of them
//
// Usage: skin_picture_generator <output folder>
//
// Every picture is drawn with antialiasing on a transparent canvas and then flattened: pixels that
// are mostly transparent become the key colour magenta (where the control draws the picture with
// magenta left out) or the colour the picture is expected to stand on, the rest are blended over
// that colour. So edges are smooth against the backdrop and no pink fringe is left around shapes.

#include "WindowArt.h"
#include "skin/SKElements.h"
#include "skin/SKThemeWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QString>

#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace {

const QColor kKey(255, 0, 255); // magenta: the transparent colour of skin bitmaps

QColor Rgb(uint32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
// A theme colour value 0x00BBGGRR as a colour.
QColor Bgr(uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}
QColor Lighter(const QColor& c, double t) {
    return Mix(c, Qt::white, t);
}
QColor Darker(const QColor& c, double t) {
    return Mix(c, Qt::black, t);
}

// Sizes of the bitmap elements of one theme (width x height of the whole bitmap).
struct Sizes {
    QSize button{225, 21}, checkBox{52, 13}, radio{52, 13}, titleButton{378, 21}, titleLeft{19, 24},
        titleClient{7, 24}, titleRight{23, 24}, progress{6, 10}, trackBar{84, 1}, slider{14, 14},
        sliderV{22, 11}, scrollBarButton{96, 17}, scrollBarSlider{21, 16}, checkList{44, 11},
        scrollButton{72, 18}, tab{18, 18}, tabLine{8, 1}, sideHandle{8, 86}, sideBar{1, 21};
};

// The look of one theme: its colours and shapes.
struct Look {
    QColor back;           // what the controls stand on (form / control background)
    QColor face1, face2;   // button face, top and bottom
    QColor border;         // control outlines
    QColor hot;            // hover accent
    QColor accent;         // check marks, progress, selection
    QColor glyph;          // arrows and marks on buttons
    QColor title1, title2; // caption bar, top and bottom
    QColor titleEdge;      // caption bar outline
    QColor titleGlyph;     // marks on caption buttons
    QColor scrollBack;     // scroll-bar trough
    int radius = 3;        // corner radius of buttons
    int titleRound = 0;    // rounded top corners of the caption bar
    int titleTop = 5;      // where the caption buttons sit on the caption bar
    bool glossy = false;   // a glassy highlight over the upper half
    bool gumdrops = false; // round caption buttons
    bool buttonTransparent = false;
    bool titleButtonTransparent = false;
    Sizes sizes;
};

// A transparent canvas to draw on with antialiasing.
QImage Canvas(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Flattens a drawn canvas: mostly transparent pixels become `key`, the rest are blended over
// `matte`. With key == matte the picture is simply laid on that colour.
QImage Flatten(const QImage& canvas, const QColor& matte, const QColor& key) {
    const QImage in = canvas.convertToFormat(QImage::Format_ARGB32);
    QImage out(in.size(), QImage::Format_RGB32);
    for (int y = 0; y < in.height(); ++y) {
        for (int x = 0; x < in.width(); ++x) {
            const QRgb p = in.pixel(x, y);
            const int a = qAlpha(p);
            if (a < 100) {
                out.setPixel(x, y, key.rgb());
                continue;
            }
            const double t = a / 255.0;
            QColor c = Mix(matte, QColor(qRed(p), qGreen(p), qBlue(p)), t);
            // A blended pixel must never come out as the key colour itself.
            if (c.rgb() == kKey.rgb()) c = QColor(254, 0, 254);
            out.setPixel(x, y, c.rgb());
        }
    }
    return out;
}

QImage Solid(int w, int h, const QColor& c) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

// Lays pieces side by side.
QImage Strip(const std::vector<QImage>& pieces) {
    int w = 0, h = 0;
    for (const QImage& p : pieces) {
        w += p.width();
        h = std::max(h, p.height());
    }
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(kKey);
    QPainter painter(&out);
    int x = 0;
    for (const QImage& p : pieces) {
        painter.drawImage(x, 0, p);
        x += p.width();
    }
    return out;
}

QPainterPath RoundRect(const QRectF& r, double radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QLinearGradient Vertical(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// A glassy shine over the upper part (Fraction of the height) of a shape.
void Gloss(QPainter& p, const QPainterPath& shape, const QRectF& r, double strength, double fraction = 0.5) {
    p.save();
    p.setClipPath(shape);
    const double h = r.height() * fraction;
    QLinearGradient g(r.topLeft(), QPointF(r.left(), r.top() + h));
    g.setColorAt(0, QColor(255, 255, 255, static_cast<int>(200 * strength)));
    g.setColorAt(1, QColor(255, 255, 255, static_cast<int>(60 * strength)));
    p.fillRect(QRectF(r.left(), r.top(), r.width(), h), g);
    p.restore();
}

enum class State { Normal, Hot, Down, Disabled };

// A face with outline: the shared shape of buttons, boxes and sliders. With FlatMiddle the face
// keeps one colour through the middle rows: a push button is stretched from its middle rows, which
// must match for the stretched parts to meet without a seam.
void Face(QPainter& p, const Look& look, const QRectF& r, double radius, State state, bool withGloss,
          bool flatMiddle = false) {
    QColor f1 = look.face1, f2 = look.face2, edge = look.border;
    switch (state) {
    case State::Hot:
        f1 = Lighter(f1, 0.35);
        f2 = Mix(f2, look.hot, 0.25);
        edge = Mix(edge, look.hot, 0.6);
        break;
    case State::Down:
        std::swap(f1, f2);
        f1 = Darker(f1, 0.12);
        f2 = Darker(f2, 0.05);
        break;
    case State::Disabled:
        f1 = Mix(f1, look.back, 0.6);
        f2 = Mix(f2, look.back, 0.6);
        edge = Mix(edge, look.back, 0.55);
        break;
    case State::Normal:
        break;
    }
    const QPainterPath shape = RoundRect(r, radius);
    QLinearGradient fill = Vertical(r, f1, f2);
    if (flatMiddle) {
        const QColor mid = Mix(f1, f2, 0.5);
        fill.setColorAt(0.36, mid);
        fill.setColorAt(0.64, mid);
    }
    p.fillPath(shape, fill);
    if (withGloss && state != State::Disabled)
        Gloss(p, shape, r, state == State::Down ? 0.4 : 0.9, flatMiddle ? 0.36 : 0.5);
    p.setPen(QPen(edge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    // An inner light line gives the face some depth.
    if (state != State::Down && state != State::Disabled && r.height() > 8) {
        p.setPen(QPen(QColor(255, 255, 255, 110), 1));
        p.drawPath(RoundRect(r.adjusted(1, 1, -1, -1), std::max(0.0, radius - 1)));
    }
}

// ---- buttons -------------------------------------------------------------------------------------

QImage ButtonPiece(const Look& look, QSize size, State state) {
    QImage c = Canvas(size.width(), size.height());
    QPainter p(&c);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1);
    Face(p, look, r, look.radius, state, look.glossy, true);
    p.end();
    // A transparent button is drawn with its top-left pixel's colour left out: magenta around the
    // rounded corners. An opaque one stands on the background colour.
    return Flatten(c, look.back, look.buttonTransparent ? kKey : look.back);
}

QImage ButtonPicture(const Look& look) {
    const QSize piece(look.sizes.button.width() / 3, look.sizes.button.height());
    return Strip({ButtonPiece(look, piece, State::Normal), ButtonPiece(look, piece, State::Hot),
                  ButtonPiece(look, piece, State::Down)});
}

// ---- check and radio boxes -----------------------------------------------------------------------

void CheckMark(QPainter& p, const QRectF& r, const QColor& color, double width) {
    QPainterPath mark;
    mark.moveTo(r.left() + r.width() * 0.22, r.top() + r.height() * 0.52);
    mark.lineTo(r.left() + r.width() * 0.42, r.top() + r.height() * 0.74);
    mark.lineTo(r.left() + r.width() * 0.80, r.top() + r.height() * 0.26);
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
}

// Pieces: checked, unchecked, checked disabled, unchecked disabled. A check box fills its piece
// (it is drawn opaque); a radio button is a disc on magenta (drawn with its bottom-left pixel's
// colour left out).
QImage BoxImage(const Look& look, QSize whole, bool radio) {
    const QSize size(whole.width() / 4, whole.height());
    std::vector<QImage> pieces;
    for (int i = 0; i < 4; ++i) {
        const bool checked = i == 0 || i == 2;
        const bool enabled = i < 2;
        QImage c = Canvas(size.width(), size.height());
        QPainter p(&c);
        p.setRenderHint(QPainter::Antialiasing);
        // A light box whatever the face colour, so that the mark always stands out.
        const QColor light1 = Mix(Qt::white, look.face1, 0.2), light2 = Mix(Qt::white, look.face2, 0.45);
        const QColor box1 = enabled ? light1 : Mix(light1, look.back, 0.7);
        const QColor box2 = enabled ? light2 : Mix(light2, look.back, 0.7);
        const QColor edge = enabled ? look.border : Mix(look.border, look.back, 0.55);
        const QColor mark = enabled ? look.accent : Mix(look.accent, look.back, 0.55);
        const QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1);
        if (radio) {
            const QRectF disc = r;
            QPainterPath shape;
            shape.addEllipse(disc);
            p.fillPath(shape, Vertical(disc, box1, box2));
            if (look.glossy && enabled) Gloss(p, shape, disc, 0.7);
            p.setPen(QPen(edge, 1));
            p.drawEllipse(disc);
            if (checked) {
                const double d = size.height() * 0.42;
                const QRectF dot(disc.center().x() - d / 2, disc.center().y() - d / 2, d, d);
                QRadialGradient g(dot.center() - QPointF(d * 0.15, d * 0.15), d * 0.7);
                g.setColorAt(0, Lighter(mark, 0.45));
                g.setColorAt(1, mark);
                p.setPen(Qt::NoPen);
                p.setBrush(g);
                p.drawEllipse(dot);
            }
        } else {
            const QPainterPath shape = RoundRect(r, std::min(2, look.radius));
            p.fillPath(shape, Vertical(r, box1, box2));
            p.setPen(QPen(edge, 1));
            p.drawPath(shape);
            if (checked) CheckMark(p, r, mark, std::max(1.6, size.height() / 7.0));
        }
        p.end();
        pieces.push_back(Flatten(c, look.back, radio ? kKey : look.back));
    }
    return Strip(pieces);
}

// ---- caption bar ---------------------------------------------------------------------------------

QColor TitleAt(const Look& look, double y, int height) {
    const double t = std::clamp(y / std::max(1, height - 1), 0.0, 1.0);
    QColor c = Mix(look.title1, look.title2, t);
    if (look.glossy && t < 0.5) c = Lighter(c, 0.25 * (1 - t * 2) + 0.08);
    return c;
}

// One row of the caption bar: an outline at the top, a light line under it, a dark line at the
// bottom, the gradient between.
QColor TitleRow(const Look& look, int y, int height) {
    if (y == 0) return look.titleEdge;
    if (y == 1) return Lighter(TitleAt(look, 1, height), 0.35);
    if (y == height - 1) return Darker(look.title2, 0.25);
    return TitleAt(look, y, height);
}

// The caption bar's background over a rectangle of the bar, row by row.
void TitleBackground(QPainter& p, const Look& look, const QRect& r, int barHeight) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        p.fillRect(QRect(r.left(), y, r.width(), 1), TitleRow(look, y, barHeight));
}

// Left end, stretched middle or right end of the caption bar. The round styles round the outer top
// corner; the window's own shape cuts it, so outside the curve the outline colour continues.
QImage TitlePiece(const Look& look, QSize size, int side /* -1 left, 0 middle, 1 right */) {
    QImage c = Canvas(size.width(), size.height());
    QPainter p(&c);
    TitleBackground(p, look, QRect(QPoint(0, 0), size), size.height());
    p.setRenderHint(QPainter::Antialiasing);
    if (side != 0) {
        const int x = side < 0 ? 0 : size.width() - 1;
        p.fillRect(QRect(x, 0, 1, size.height()), look.titleEdge);
        if (look.titleRound > 0) {
            const int R = std::min(look.titleRound, size.height());
            QPainterPath outside;
            outside.addRect(side < 0 ? QRectF(0, 0, R, R) : QRectF(size.width() - R, 0, R, R));
            QPainterPath inside;
            inside.addEllipse(side < 0 ? QRectF(0, 0, 2 * R, 2 * R)
                                       : QRectF(size.width() - 2 * R, 0, 2 * R, 2 * R));
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillPath(outside.subtracted(inside), look.titleEdge);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            p.setPen(QPen(look.titleEdge, 1.2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(side < 0 ? QRectF(0.5, 0.5, 2 * R, 2 * R)
                                   : QRectF(size.width() - 2 * R - 0.5, 0.5, 2 * R, 2 * R));
        }
    }
    p.end();
    return Flatten(c, look.titleEdge, look.titleEdge);
}

enum class TitleGlyph { ControlBox, Help, Max, Restore, Min, Close };

void DrawTitleGlyph(QPainter& p, TitleGlyph glyph, const QRectF& r, const QColor& color) {
    const double w = r.width();
    const double pen = std::max(1.4, w / 9.0);
    p.setPen(QPen(color, pen, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF g = r.adjusted(w * 0.28, w * 0.28, -w * 0.28, -w * 0.28);
    switch (glyph) {
    case TitleGlyph::Close:
        p.drawLine(g.topLeft(), g.bottomRight());
        p.drawLine(g.topRight(), g.bottomLeft());
        break;
    case TitleGlyph::Min:
        p.drawLine(QPointF(g.left(), g.bottom()), QPointF(g.right(), g.bottom()));
        break;
    case TitleGlyph::Max:
        p.drawRect(g);
        p.drawLine(QPointF(g.left(), g.top() + pen / 2), QPointF(g.right(), g.top() + pen / 2));
        break;
    case TitleGlyph::Restore: {
        const double d = g.width() * 0.3;
        p.drawRect(QRectF(g.left() + d, g.top(), g.width() - d, g.height() - d));
        p.drawRect(QRectF(g.left(), g.top() + d, g.width() - d, g.height() - d));
        break;
    }
    case TitleGlyph::Help: {
        QPainterPath q;
        q.moveTo(g.left() + g.width() * 0.15, g.top() + g.height() * 0.3);
        q.cubicTo(g.left() + g.width() * 0.15, g.top() - g.height() * 0.1, g.right(),
                  g.top() - g.height() * 0.05, g.right(), g.top() + g.height() * 0.3);
        q.cubicTo(g.right(), g.top() + g.height() * 0.5, g.center().x(), g.top() + g.height() * 0.5,
                  g.center().x(), g.top() + g.height() * 0.72);
        p.drawPath(q);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(g.center().x(), g.bottom() + pen * 0.3), pen * 0.7, pen * 0.7);
        break;
    }
    case TitleGlyph::ControlBox: {
        // A small window: the system menu.
        p.drawRect(g);
        p.setBrush(color);
        p.drawRect(QRectF(g.left(), g.top(), g.width(), g.height() * 0.3));
        break;
    }
    }
}

// 18 pieces: three states each of control box, help, maximise, restore, minimise, close.
QImage TitleButtonImage(const Look& look) {
    const QSize whole = look.sizes.titleButton;
    const QSize size(whole.width() / 18, whole.height());
    const int barHeight = look.sizes.titleLeft.height();
    const int visible = barHeight - look.titleTop;
    const int g = std::max(9, std::min(size.height() - 4, visible - 3));
    const QRectF r((size.width() - g) / 2.0 + 0.5, 1.5, g - 1, g - 1);
    std::vector<QImage> pieces;
    const TitleGlyph glyphs[] = {TitleGlyph::ControlBox, TitleGlyph::Help, TitleGlyph::Max,
                                 TitleGlyph::Restore,    TitleGlyph::Min,  TitleGlyph::Close};
    for (TitleGlyph glyph : glyphs) {
        for (State state : {State::Normal, State::Hot, State::Down}) {
            QImage c = Canvas(size.width(), size.height());
            QPainter p(&c);
            // An opaque button stands on the caption bar at its place on the bar.
            if (!look.titleButtonTransparent) {
                for (int y = 0; y < size.height(); ++y)
                    p.fillRect(QRect(0, y, size.width(), 1), TitleRow(look, y + look.titleTop, barHeight));
            }
            p.setRenderHint(QPainter::Antialiasing);
            const QRectF face = state == State::Down ? r.translated(0, 0.5) : r;
            if (look.gumdrops) {
                // Round gems: red close, amber minimise, green maximise, aqua for the rest.
                QColor base = glyph == TitleGlyph::Close ? QColor(0xE2, 0x4B, 0x43)
                              : glyph == TitleGlyph::Min ? QColor(0xE8, 0xB0, 0x32)
                              : (glyph == TitleGlyph::Max || glyph == TitleGlyph::Restore)
                                  ? QColor(0x5B, 0xB8, 0x4A)
                                  : QColor(0x4E, 0x95, 0xE0);
                if (state == State::Down) base = Darker(base, 0.25);
                QPainterPath gem;
                gem.addEllipse(face);
                QRadialGradient rg(face.center() + QPointF(0, face.height() * 0.25), face.width() * 0.75);
                rg.setColorAt(0, Lighter(base, 0.45));
                rg.setColorAt(1, base);
                p.fillPath(gem, rg);
                Gloss(p, gem, face, 1.0);
                p.setPen(QPen(Darker(base, 0.4), 1));
                p.drawEllipse(face);
                if (state != State::Normal) DrawTitleGlyph(p, glyph, face, Darker(base, 0.6));
            } else {
                Look face1 = look;
                face1.face1 = Lighter(look.title1, 0.25);
                face1.face2 = look.title2;
                face1.border = Darker(look.title2, 0.35);
                face1.hot = glyph == TitleGlyph::Close ? QColor(0xE0, 0x50, 0x40) : Lighter(look.title1, 0.6);
                if (glyph == TitleGlyph::Close && state != State::Normal) {
                    face1.face1 = QColor(0xF0, 0x80, 0x70);
                    face1.face2 = QColor(0xC8, 0x30, 0x20);
                }
                Face(p, face1, face, std::max(2, look.radius), state, true);
                DrawTitleGlyph(p, glyph, face, look.titleGlyph);
            }
            p.end();
            const QColor matte = TitleAt(look, look.titleTop + size.height() / 2, barHeight);
            QImage piece = Flatten(c, matte, look.titleButtonTransparent ? kKey : matte);
            // A transparent caption button is drawn with its bottom-left pixel's colour left out.
            if (look.titleButtonTransparent) piece.setPixel(0, size.height() - 1, kKey.rgb());
            pieces.push_back(piece);
        }
    }
    return Strip(pieces);
}

// ---- bars, sliders, scroll parts -------------------------------------------------------------------

QImage ProgressImage(const Look& look) {
    const QSize s = look.sizes.progress;
    QImage c = Canvas(s.width(), s.height());
    QPainter p(&c);
    const QRectF r(0, 0, s.width(), s.height());
    p.fillRect(r, Vertical(r, Lighter(look.accent, 0.45), Darker(look.accent, 0.1)));
    p.fillRect(QRectF(0, 0, s.width(), s.height() * 0.45), QColor(255, 255, 255, 70));
    p.end();
    return Flatten(c, look.back, look.back);
}

// The track: three equal parts (left end, stretched middle, right end) one row high.
QImage TrackBarImage(const Look& look) {
    const QSize s = look.sizes.trackBar;
    QImage image = Solid(s.width(), s.height(), Darker(look.border, 0.1));
    const int third = s.width() / 3;
    QPainter p(&image);
    for (int x = 0; x < s.width(); ++x) {
        QColor c = Mix(look.border, look.accent, 0.35);
        if (x < third) c = Mix(look.back, c, std::min(1.0, (x + 1) / 4.0));
        if (x >= 2 * third) c = Mix(look.back, c, std::min(1.0, (3 * third - x) / 4.0));
        p.fillRect(QRect(x, 0, 1, s.height()), c);
    }
    return image;
}

// The thumb of a track bar: a horizontal one is drawn with magenta left out, a vertical one opaque
// on the background.
QImage SliderImage(const Look& look, QSize s, bool transparent) {
    QImage c = Canvas(s.width(), s.height());
    QPainter p(&c);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, s.width() - 1, s.height() - 1);
    Look knob = look;
    knob.face1 = Lighter(look.face1, 0.3);
    knob.face2 = Mix(look.face2, look.accent, 0.25);
    if (s.width() == s.height() || std::abs(s.width() - s.height()) <= 2) {
        QPainterPath disc;
        disc.addEllipse(r);
        p.fillPath(disc, Vertical(r, knob.face1, knob.face2));
        Gloss(p, disc, r, look.glossy ? 1.0 : 0.5);
        p.setPen(QPen(look.border, 1));
        p.drawEllipse(r);
        p.setPen(Qt::NoPen);
        p.setBrush(Mix(look.accent, Qt::white, 0.2));
        const double d = s.height() * 0.28;
        p.drawEllipse(r.center(), d / 2, d / 2);
    } else {
        Face(p, knob, r, std::min(4.0, std::min(s.width(), s.height()) / 3.0), State::Normal, true);
        // Grip lines across the long side.
        p.setPen(QPen(Darker(look.face2, 0.35), 1));
        const bool wide = s.width() > s.height();
        for (int i = -1; i <= 1; ++i) {
            if (wide) {
                const double x = r.center().x() + i * 3;
                p.drawLine(QPointF(x, r.top() + 3), QPointF(x, r.bottom() - 3));
            } else {
                const double y = r.center().y() + i * 3;
                p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
            }
        }
    }
    p.end();
    return Flatten(c, look.back, transparent ? kKey : look.back);
}

void Arrow(QPainter& p, const QRectF& r, int direction /* 0 up, 1 right, 2 down, 3 left */,
           const QColor& color) {
    const double s = std::min(r.width(), r.height()) * 0.22;
    const QPointF c = r.center();
    QPolygonF tri;
    switch (direction) {
    case 0:
        tri << QPointF(c.x() - s * 1.3, c.y() + s * 0.6) << QPointF(c.x() + s * 1.3, c.y() + s * 0.6)
            << QPointF(c.x(), c.y() - s * 0.8);
        break;
    case 1:
        tri << QPointF(c.x() - s * 0.6, c.y() - s * 1.3) << QPointF(c.x() - s * 0.6, c.y() + s * 1.3)
            << QPointF(c.x() + s * 0.8, c.y());
        break;
    case 2:
        tri << QPointF(c.x() - s * 1.3, c.y() - s * 0.6) << QPointF(c.x() + s * 1.3, c.y() - s * 0.6)
            << QPointF(c.x(), c.y() + s * 0.8);
        break;
    default:
        tri << QPointF(c.x() + s * 0.6, c.y() - s * 1.3) << QPointF(c.x() + s * 0.6, c.y() + s * 1.3)
            << QPointF(c.x() - s * 0.8, c.y());
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(tri);
}

// Six pieces for a vertical bar: up normal, hot, pressed; down normal, hot, pressed.
QImage ScrollBarButtonPicture(const Look& look) {
    const QSize whole = look.sizes.scrollBarButton;
    const QSize s(whole.width() / 6, whole.height());
    std::vector<QImage> pieces;
    for (int direction : {0, 2}) {
        for (State state : {State::Normal, State::Hot, State::Down}) {
            QImage c = Canvas(s.width(), s.height());
            QPainter p(&c);
            p.fillRect(c.rect(), look.scrollBack);
            p.setRenderHint(QPainter::Antialiasing);
            const QRectF r(0.5, 0.5, s.width() - 1, s.height() - 1);
            Face(p, look, r, std::min(3, look.radius), state, look.glossy);
            Arrow(p, state == State::Down ? r.translated(0.5, 0.5) : r, direction, look.glyph);
            p.end();
            pieces.push_back(Flatten(c, look.scrollBack, look.scrollBack));
        }
    }
    return Strip(pieces);
}

// The thumb of a scroll bar, for a horizontal bar: start cap, stretched middle, end cap.
QImage ScrollBarSliderPicture(const Look& look) {
    const QSize whole = look.sizes.scrollBarSlider;
    const int w = whole.width(), h = whole.height(), third = w / 3;
    QImage c = Canvas(w, h);
    QPainter p(&c);
    p.fillRect(c.rect(), look.scrollBack);
    p.setRenderHint(QPainter::Antialiasing);
    Look thumb = look;
    thumb.face1 = Mix(look.face1, look.accent, 0.15);
    thumb.face2 = Mix(look.face2, look.accent, 0.3);
    // The whole thumb drawn across the three pieces: caps round, middle a plain band.
    const QRectF r(0.5, 0.5, w - 1, h - 1);
    Face(p, thumb, r, std::min(third - 1, 5), State::Normal, look.glossy);
    p.end();
    QImage image = Flatten(c, look.scrollBack, look.scrollBack);
    // The middle piece repeats one column so that stretching it leaves no seam.
    QPainter q(&image);
    for (int x = third; x < 2 * third; ++x)
        q.drawImage(QPoint(x, 0), image.copy(third + third / 2, 0, 1, h));
    // Grip marks on the middle piece.
    q.setPen(QPen(Darker(thumb.face2, 0.3), 1));
    q.drawLine(QPoint(third + 1, h / 2 - 3), QPoint(third + 1, h / 2 + 2));
    q.drawLine(QPoint(third + 3, h / 2 - 3), QPoint(third + 3, h / 2 + 2));
    q.drawLine(QPoint(third + 5, h / 2 - 3), QPoint(third + 5, h / 2 + 2));
    return image;
}

// Four pieces: right, right under the mouse, left, left under the mouse.
QImage ScrollButtonPicture(const Look& look) {
    const QSize whole = look.sizes.scrollButton;
    const QSize s(whole.width() / 4, whole.height());
    std::vector<QImage> pieces;
    for (int direction : {1, 3}) {
        for (State state : {State::Normal, State::Hot}) {
            QImage c = Canvas(s.width(), s.height());
            QPainter p(&c);
            p.setRenderHint(QPainter::Antialiasing);
            const QRectF r(1.5, 1.5, s.width() - 3, s.height() - 3);
            Face(p, look, r, std::min(3, look.radius), state, look.glossy);
            Arrow(p, r, direction, look.glyph);
            p.end();
            pieces.push_back(Flatten(c, look.back, kKey));
        }
    }
    return Strip(pieces);
}

// Two halves: the active tab, an inactive tab; each is drawn in thirds with magenta left out.
QImage TabImage(const Look& look) {
    const QSize whole = look.sizes.tab;
    const QSize s(whole.width() / 2, whole.height());
    std::vector<QImage> pieces;
    for (bool active : {true, false}) {
        QImage c = Canvas(s.width(), s.height());
        QPainter p(&c);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r(0.5, active ? 0.5 : 2.5, s.width() - 1, s.height() + 4);
        QPainterPath shape = RoundRect(r, 3);
        const QColor top = active ? Lighter(look.face1, 0.5) : Mix(look.face1, look.face2, 0.5);
        const QColor bottom = active ? look.back : Darker(look.face2, 0.04);
        p.fillPath(shape, Vertical(r, top, bottom));
        p.setPen(QPen(active ? look.border : Mix(look.border, look.back, 0.4), 1));
        p.drawPath(shape);
        if (active) {
            p.setPen(QPen(look.accent, 2));
            p.drawLine(QPointF(2.5, 1.5), QPointF(s.width() - 2.5, 1.5));
        }
        p.end();
        pieces.push_back(Flatten(c, look.back, kKey));
    }
    return Strip(pieces);
}

QImage TabLineImage(const Look& look) {
    const QSize s = look.sizes.tabLine;
    return Solid(s.width(), s.height(), look.border);
}

QImage CheckListImage(const Look& look) {
    return BoxImage(look, look.sizes.checkList, false);
}

// A tall grip handle and the one-column bar it runs on.
QImage SideHandleImage(const Look& look) {
    const QSize s = look.sizes.sideHandle;
    QImage c = Canvas(s.width(), s.height());
    QPainter p(&c);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, s.width() - 1, s.height() - 1);
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, Lighter(look.face1, 0.3));
    g.setColorAt(1, look.face2);
    const QPainterPath shape = RoundRect(r, std::min(3.0, s.width() / 2.5));
    p.fillPath(shape, g);
    p.setPen(QPen(look.border, 1));
    p.drawPath(shape);
    p.setPen(QPen(Darker(look.face2, 0.3), 1));
    for (int i = -2; i <= 2; ++i) {
        const double y = r.center().y() + i * 3;
        p.drawLine(QPointF(2, y), QPointF(s.width() - 2, y));
    }
    p.end();
    return Flatten(c, look.back, kKey);
}

QImage SideBarImage(const Look& look) {
    const QSize s = look.sizes.sideBar;
    QImage image = Solid(s.width(), s.height(), look.back);
    for (int y = 0; y < s.height(); ++y) {
        const double t = std::abs(y - (s.height() - 1) / 2.0) / (s.height() / 2.0);
        image.setPixel(0, y, Mix(Darker(look.border, 0.1), look.back, std::min(1.0, t * 1.3)).rgb());
    }
    return image;
}

// ---- the looks -----------------------------------------------------------------------------------

// What the built-in table gives a style (index in table order): the colours the controls stand on,
// the scroll-bar trough, caption-button places, rounding and transparency are the table's.
Look StyleLook(int style) {
    using namespace SkinElement;
    auto value = [style](TskSkinElement e) { return StyleValue(style, e); };
    Look l;
    l.back = Bgr(static_cast<uint32_t>(value(FormBackgroundColor)));
    l.scrollBack = Bgr(static_cast<uint32_t>(value(ScrollBarBackgroundColor)));
    l.titleRound = value(FormRoundCornerInt);
    l.titleTop = value(TitleBarButtonTopInt);
    l.buttonTransparent = value(ButtonTransparentBool) != 0;
    l.titleButtonTransparent = value(TitleBarButtonTransparentBool) != 0;
    return l;
}

Look MacOSLook() {
    Look l = StyleLook(0);
    l.face1 = Rgb(0xFBFBFB);
    l.face2 = Rgb(0xD4D4D4);
    l.border = Rgb(0x7F7F7F);
    l.hot = Rgb(0x6DB3F2);
    l.accent = Rgb(0x3A8EE6);
    l.glyph = Rgb(0x3C3C3C);
    l.title1 = Rgb(0xEDEDED);
    l.title2 = Rgb(0xC4C4C4);
    l.titleEdge = Rgb(0x8A8A8A);
    l.titleGlyph = Rgb(0x404040);
    l.radius = 9;
    l.glossy = true;
    l.gumdrops = true;
    return l;
}

Look WinXPLook() {
    Look l = StyleLook(1);
    l.face1 = Rgb(0xFFFFFF);
    l.face2 = Rgb(0xD8E4F4);
    l.border = Rgb(0x003C74);
    l.hot = Rgb(0xF8B33C);
    l.accent = Rgb(0x21A121);
    l.glyph = Rgb(0x4D6185);
    l.title1 = Rgb(0x3C8CF5);
    l.title2 = Rgb(0x0846C8);
    l.titleEdge = Bgr(static_cast<uint32_t>(SkinElement::StyleValue(1, SkinElement::FormBorderColor)));
    l.titleGlyph = Rgb(0xFFFFFF);
    l.radius = 4;
    return l;
}

Look DeepBlueLook() {
    Look l = StyleLook(2);
    l.face1 = Rgb(0x5A7FC0);
    l.face2 = Rgb(0x1F3566);
    l.border = Rgb(0x0E1A33);
    l.hot = Rgb(0x8FB4FF);
    l.accent = Rgb(0x2F5BB0);
    l.glyph = Rgb(0xFFFFFF);
    l.title1 = Rgb(0x2F4A7F);
    l.title2 = Rgb(0x14213D);
    l.titleEdge = Rgb(0x000000);
    l.titleGlyph = Rgb(0xFFFFFF);
    l.radius = 2;
    return l;
}

Look ProteinLook() {
    Look l = StyleLook(3);
    l.face1 = Rgb(0xFFFFFF);
    l.face2 = Rgb(0xE6E6E9);
    l.border = Rgb(0x9A9AA2);
    l.hot = Bgr(static_cast<uint32_t>(SkinElement::StyleValue(3, SkinElement::MenuSelectedBackgroundColor)));
    l.accent = l.hot;
    l.glyph = Rgb(0x55555C);
    // A slate title bar over the light body, so that the white caption stays readable.
    l.title1 = Rgb(0x8C8C99);
    l.title2 = Rgb(0x5B5B68);
    l.titleEdge = Rgb(0x000000);
    l.titleGlyph = Rgb(0xFFFFFF);
    l.radius = 5;
    return l;
}

Look BlueGlassLook() {
    Look l = StyleLook(4);
    l.face1 = Rgb(0xB5D3F7);
    l.face2 = Rgb(0x4A86D9);
    l.border = Rgb(0x24508F);
    l.hot = Rgb(0x9FE0FF);
    l.accent = Rgb(0x2F6FD6);
    l.glyph = Rgb(0xFFFFFF);
    l.title1 = Rgb(0x7FB2F0);
    l.title2 = Rgb(0x1F5FBF);
    l.titleEdge = Rgb(0x000000);
    l.titleGlyph = Rgb(0xFFFFFF);
    l.radius = 8;
    l.glossy = true;
    return l;
}

// new.skn and its two colour variants; mp10.skn, a taller media-player look.
Look NewLook(int variant) {
    Look l;
    l.back = Bgr(0xF0DCD3);
    l.border = Bgr(0x7E6666);
    l.scrollBack = Bgr(0xF9F9F9);
    l.radius = 4;
    l.titleRound = 13;
    l.titleTop = 5;
    l.glyph = Rgb(0x34405A);
    l.titleGlyph = Rgb(0xFFFFFF);
    l.titleEdge = Rgb(0x808080);
    switch (variant) {
    case 0: // steel blue
        l.face1 = Rgb(0xFFFFFF);
        l.face2 = Rgb(0xC9D6EA);
        l.hot = Rgb(0x5E8FD6);
        l.accent = Rgb(0x3E6FB8);
        l.title1 = Rgb(0x7E9CC8);
        l.title2 = Rgb(0x3A5A8C);
        break;
    case 1: // sea green
        l.face1 = Rgb(0xFFFFFF);
        l.face2 = Rgb(0xC8E3D6);
        l.hot = Rgb(0x4FB28A);
        l.accent = Rgb(0x2E8B66);
        l.title1 = Rgb(0x6FB596);
        l.title2 = Rgb(0x2C6E52);
        break;
    default: // graphite with a warm accent
        l.face1 = Rgb(0xFFFFFF);
        l.face2 = Rgb(0xD6D6DC);
        l.hot = Rgb(0xE29A4C);
        l.accent = Rgb(0xC7762B);
        l.title1 = Rgb(0x8C8E99);
        l.title2 = Rgb(0x44464F);
        break;
    }
    if (variant > 0) {
        l.sizes.sliderV = QSize(7, 14);
    }
    return l;
}

Look Mp10Look() {
    Look l;
    l.back = Bgr(0xFAE5D8);
    l.face1 = Rgb(0xF4F8FF);
    l.face2 = Rgb(0xA9C4EA);
    l.border = Bgr(0xBB8B57);
    l.hot = Rgb(0x7FC4FF);
    l.accent = Bgr(0xD28E51);
    l.glyph = Rgb(0x1C3F78);
    l.title1 = Rgb(0x3B78C4);
    l.title2 = Bgr(0xA25713);
    l.titleEdge = Bgr(0xC67762);
    l.titleGlyph = Rgb(0xFFFFFF);
    l.scrollBack = Bgr(0xF9F9F9);
    l.radius = 6;
    l.titleTop = 7;
    l.glossy = true;
    Sizes s;
    s.button = {198, 25};
    s.checkBox = {60, 15};
    s.radio = {60, 15};
    s.titleButton = {450, 25};
    s.titleLeft = {57, 40};
    s.titleClient = {57, 40};
    s.titleRight = {156, 40};
    s.progress = {6, 8};
    s.slider = {11, 21};
    s.sliderV = {9, 21};
    s.scrollButton = {68, 17};
    s.tab = {30, 17};
    s.sideHandle = {7, 84};
    s.sideBar = {1, 26};
    l.sizes = s;
    return l;
}

// ---- the extra style bitmaps ---------------------------------------------------------------------

// Fine horizontal pinstripes: the classic brushed backdrop.
QImage MacFormBackground() {
    QImage image(8, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, (y % 2 == 0 ? Rgb(0xECECEC) : Rgb(0xE2E2E2)).rgb());
    return image;
}

// A very light diagonal weave.
QImage ProteinFormBackground() {
    QImage image(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, ((x + y) % 8 == 0 ? Rgb(0xF0F0F3) : ProteinLook().back).rgb());
    return image;
}

QImage MacMenuBar() {
    QImage image(16, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y) {
        const QColor c = Mix(Rgb(0xFAFAFA), Rgb(0xE0E0E0), y / 19.0);
        for (int x = 0; x < 16; ++x)
            image.setPixel(x, y, (y % 2 ? Darker(c, 0.02) : c).rgb());
    }
    return image;
}

QImage MacMenuSelect() {
    QImage c = Canvas(16, 20);
    QPainter p(&c);
    const QRectF r(0, 0, 16, 20);
    QLinearGradient g = Vertical(r, Rgb(0x6FAEF5), Rgb(0x1F6ED4));
    p.fillRect(r, g);
    p.fillRect(QRectF(0, 0, 16, 9), QColor(255, 255, 255, 60));
    p.fillRect(QRectF(0, 19, 16, 1), Rgb(0x1656AA));
    p.end();
    return Flatten(c, Rgb(0x1F6ED4), Rgb(0x1F6ED4));
}

// A check mark on white: white is the mask colour of the menus' check pictures.
QImage MenuChecked() {
    QImage c = Canvas(14, 14);
    QPainter p(&c);
    p.setRenderHint(QPainter::Antialiasing);
    CheckMark(p, QRectF(1, 1, 12, 12), Rgb(0x202020), 2.0);
    p.end();
    return Flatten(c, Qt::white, Qt::white);
}

QImage ComboButton(const Look& look, QSize s) {
    QImage c = Canvas(s.width(), s.height());
    QPainter p(&c);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, s.width() - 1, s.height() - 1);
    Look face = look;
    if (look.gumdrops) {
        face.face1 = Rgb(0x9FCBFA);
        face.face2 = Rgb(0x2C7DDB);
        face.border = Rgb(0x285E9E);
    }
    Face(p, face, r, std::min(4, look.radius), State::Normal, true);
    Arrow(p, r, 2, look.gumdrops ? QColor(Qt::white) : look.glyph);
    p.end();
    return Flatten(c, look.back, look.back);
}

// ---- output --------------------------------------------------------------------------------------

QByteArray BmpBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
    return bytes;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        std::fprintf(stderr, "skin_picture_generator: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// The painter of each bitmap element.
using Painter = std::function<QImage(const Look&)>;
Painter PainterOf(TskSkinElement element) {
    using namespace SkinElement;
    switch (element) {
    case ButtonImage:
        return ButtonPicture;
    case CheckBoxImage:
        return [](const Look& l) { return BoxImage(l, l.sizes.checkBox, false); };
    case RadioButtonImage:
        return [](const Look& l) { return BoxImage(l, l.sizes.radio, true); };
    case TitleBarButtonImage:
        return TitleButtonImage;
    case TitleBarLeftImage:
        return [](const Look& l) { return TitlePiece(l, l.sizes.titleLeft, -1); };
    case TitleBarClientImage:
        return [](const Look& l) { return TitlePiece(l, l.sizes.titleClient, 0); };
    case TitleBarRightImage:
        return [](const Look& l) { return TitlePiece(l, l.sizes.titleRight, 1); };
    case ProgressBarImage:
        return ProgressImage;
    case TrackBarBarImage:
        return TrackBarImage;
    case TrackBarSliderImage:
        return [](const Look& l) { return SliderImage(l, l.sizes.slider, true); };
    case TrackBarSliderVImage:
        return [](const Look& l) { return SliderImage(l, l.sizes.sliderV, false); };
    case ScrollBarButtonImage:
        return ScrollBarButtonPicture;
    case ScrollBarSliderImage:
        return ScrollBarSliderPicture;
    case CheckListBoxImage:
        return CheckListImage;
    case ScrollButtonImage:
        return ScrollButtonPicture;
    case TabControlTabImage:
        return TabImage;
    case TabControlBarImage:
        return TabLineImage;
    case SideChannelHandleImage:
        return SideHandleImage;
    case SideChannelBarImage:
        return SideBarImage;
    default:
        return {};
    }
}

// The bitmap elements of the shared table, in element order.
std::vector<SkinElement::TskElementInfo> BitmapElements() {
    std::vector<SkinElement::TskElementInfo> out;
    for (const SkinElement::TskElementInfo& e : SkinElement::kElements)
        if (e.kind == TskElementKind::Bitmap) out.push_back(e);
    return out;
}

// The integer, colour and flag values of a theme file, by element.
using ThemeValues = std::map<TskSkinElement, int32_t>;

// The bitmaps in element order, then the integers and colours, then the flags.
QByteArray ThemeFile(const Look& look, const ThemeValues& values) {
    TskThemeFileWriter w;
    for (const SkinElement::TskElementInfo& e : BitmapElements())
        w.AddBitmap(e.key, BmpBytes(PainterOf(e.element)(look)));
    for (const SkinElement::TskElementInfo& e : SkinElement::kElements)
        if (e.kind == TskElementKind::Int || e.kind == TskElementKind::Color)
            w.AddInt(e.key, values.at(e.element));
    for (const SkinElement::TskElementInfo& e : SkinElement::kElements)
        if (e.kind == TskElementKind::Bool) w.AddBool(e.key, values.at(e.element) != 0);
    return w.Data();
}

} // namespace

int main(int argc, char** argv) {
    // Captions and marks drawn with text need the font database of a GUI application; no window
    // is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin_picture_generator <output folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(out + "/bitmaps") || !QDir().mkpath(out + "/themes")) {
        std::fprintf(stderr, "skin_picture_generator: cannot create %s\n", qPrintable(out));
        return 1;
    }
    QStringList files;
    bool ok = true;
    auto bitmap = [&](const QString& name, const QImage& image) {
        const QString rel = "bitmaps/" + name + ".bmp";
        ok = WriteFile(out + "/" + rel, BmpBytes(image)) && ok;
        files.append(rel);
    };

    // In table order, as the style prefixes.
    const Look styles[SkinElement::kStyleCount] = {MacOSLook(), WinXPLook(), DeepBlueLook(), ProteinLook(),
                                                   BlueGlassLook()};
    for (int style = 0; style < SkinElement::kStyleCount; ++style) {
        const QString prefix = QString::fromLatin1(SkinElement::kStylePrefixes[style]);
        for (const SkinElement::TskElementInfo& e : BitmapElements()) {
            // DeepBlue, Protein and BlueGlass share one scroll-button picture, drawn once below.
            if (e.element == SkinElement::ScrollButtonImage && prefix != "MACOS" && prefix != "WINXP")
                continue;
            bitmap(prefix + "_" + e.suffix, PainterOf(e.element)(styles[style]));
        }
    }
    // The shared scroll buttons: neutral blue-grey that sits well on all three light backgrounds.
    Look shared = DeepBlueLook();
    shared.face1 = Rgb(0xF4F6FA);
    shared.face2 = Rgb(0xC5CEDD);
    shared.border = Rgb(0x6E7B93);
    shared.glyph = Rgb(0x2F4A7F);
    shared.back = Rgb(0xF0F0F0);
    shared.radius = 3;
    bitmap("MORE_SCROLLBUTTON", ScrollButtonPicture(shared));

    bitmap("MACOS_FORM_BACKGROUND", MacFormBackground());
    bitmap("PROTEIN_FORM_BACKGROUND", ProteinFormBackground());
    bitmap("MACOS_MENU_BAR", MacMenuBar());
    bitmap("MACOS_MENU_SELECT", MacMenuSelect());
    bitmap("MENU_CHECKED", MenuChecked());
    bitmap("MACOS_COMBOBOX_BUTTON", ComboButton(MacOSLook(), QSize(17, 20)));
    bitmap("WINXP_COMBOBOX_BUTTON", ComboButton(WinXPLook(), QSize(17, 20)));

    using namespace SkinElement;
    const ThemeValues newValues{{TitleBarButtonLeftOffsetInt, 5},
                                {TitleBarButtonRightOffsetInt, -5},
                                {TitleBarButtonTopInt, 5},
                                {FormMinWidthInt, 200},
                                {FormRoundCornerInt, 13},
                                {FormBackgroundColor, 0xF0DCD3},
                                {FormBorderColor, 0x808080},
                                {FormBorderWidthInt, 1},
                                {MenuSelectedBorderColor, 0xF0DCD3},
                                {MenuSelectedBackgroundColor, 0xF0DCD3},
                                {MenuSelectedFontColor, 0x000000},
                                {MenuBackgroundColor, 0xFFFFFF},
                                {MenuFontColor, 0x000000},
                                {MenuBarColor, 0xC0C0C0},
                                {ControlBorderColor, 0x7E6666},
                                {ControlBackgroundColor, 0xFFFFFF},
                                {ControlFontColor, 0x000000},
                                {ScrollBarBackgroundColor, 0xF9F9F9},
                                {ToolBarButtonBorderColor, 0x000000},
                                {ToolBarButtonBackgroundColor, 0xFFFFFF},
                                {ToolBarButtonDownBackgroundColor, 0xC0C0C0},
                                {ButtonTransparentBool, 0},
                                {TitleBarButtonTransparentBool, 0}};
    ThemeValues mp10Values = newValues;
    for (const auto& [element, value] :
         ThemeValues{{TitleBarButtonLeftOffsetInt, 8},
                     {TitleBarButtonRightOffsetInt, -8},
                     {TitleBarButtonTopInt, 7},
                     {FormRoundCornerInt, 0},
                     {FormBackgroundColor, 0xFAE5D8},
                     {FormBorderColor, 0xC67762},
                     {FormBorderWidthInt, 2},
                     {MenuSelectedBorderColor, 0xA04A44},
                     {MenuSelectedBackgroundColor, 0xD28E51},
                     {MenuSelectedFontColor, 0xFFFFFF},
                     {MenuBackgroundColor, 0xA25713},
                     {MenuFontColor, 0xFFFFFF},
                     {MenuBarColor, 0x97571E},
                     {ControlBorderColor, 0xBB8B57},
                     {ControlBackgroundColor, static_cast<int32_t>(0xFF000014)},
                     {ControlFontColor, 0x020000},
                     {ToolBarButtonBorderColor, 0xB47734},
                     {ToolBarButtonBackgroundColor, 0xA97438},
                     {ToolBarButtonDownBackgroundColor, 0x79420E}})
        mp10Values[element] = value;
    const struct {
        const char* name;
        Look look;
        const ThemeValues& values;
    } themes[] = {{"new.skn", NewLook(0), newValues},
                  {"mp10.skn", Mp10Look(), mp10Values},
                  {"new1.skn", NewLook(1), newValues},
                  {"new2.skn", NewLook(2), newValues}};
    for (const auto& theme : themes) {
        const QString rel = QStringLiteral("themes/") + theme.name;
        ok = WriteFile(out + "/" + rel, ThemeFile(theme.look, theme.values)) && ok;
        files.append(rel);
    }

    // The art of the programs' windows.
    WindowArt::WriteRecorderArt(out, files, ok);
    WindowArt::WritePlayerArt(out, files, ok);
    WindowArt::WriteToolsArt(out, files, ok);
    WindowArt::WriteRipperArt(out, files, ok);

    QByteArray qrc = "<RCC><qresource prefix=\"/\">\n";
    for (const QString& f : files) {
        qrc += "<file alias=\"" + f.toUtf8() + "\">" + QDir(out).absoluteFilePath(f).toUtf8() + "</file>\n";
    }
    qrc += "</qresource></RCC>\n";
    ok = WriteFile(out + "/skin_pictures.qrc", qrc) && ok;
    return ok ? 0 : 1;
}
