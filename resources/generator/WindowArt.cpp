#include "WindowArt.h"

#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>

#include <cmath>

namespace WindowArt {

namespace {

QColor Hex(uint32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

QImage Canvas(QSize size, const QColor& fill) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

QImage Opaque(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

QLinearGradient VerticalGradient(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QPen Stroke(const QColor& color, double width) {
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// A closed polygon of points given in a 0..1 box mapped onto `r`.
QPainterPath Shape(const QRectF& r, std::initializer_list<QPointF> points) {
    QPainterPath path;
    bool first = true;
    for (const QPointF& pt : points) {
        const QPointF at(r.left() + pt.x() * r.width(), r.top() + pt.y() * r.height());
        if (first)
            path.moveTo(at);
        else
            path.lineTo(at);
        first = false;
    }
    path.closeSubpath();
    return path;
}

QPointF At(const QRectF& r, double x, double y) {
    return {r.left() + x * r.width(), r.top() + y * r.height()};
}

void Arrow(QPainter& p, const QRectF& r, bool up, const QColor& c) {
    p.fillPath(
        up ? Shape(
                 r,
                 {{0.5, 0.1}, {0.9, 0.55}, {0.65, 0.55}, {0.65, 0.9}, {0.35, 0.9}, {0.35, 0.55}, {0.1, 0.55}})
           : Shape(r, {{0.5, 0.9},
                       {0.9, 0.45},
                       {0.65, 0.45},
                       {0.65, 0.1},
                       {0.35, 0.1},
                       {0.35, 0.45},
                       {0.1, 0.45}}),
        c);
}

void SpeakerBody(QPainter& p, const QRectF& r, const QColor& c) {
    p.fillPath(Shape(r, {{0.08, 0.36}, {0.3, 0.36}, {0.55, 0.12}, {0.55, 0.88}, {0.3, 0.64}, {0.08, 0.64}}),
               c);
}

} // namespace

ArtLook RecorderLook() {
    ArtLook look;
    look.outside = Qt::white;
    look.back1 = Hex(0x3A4049);
    look.back2 = Hex(0x23272D);
    look.panel1 = Hex(0x4A515C);
    look.panel2 = Hex(0x343A43);
    look.well = Hex(0x303C3A);
    look.edge = Hex(0x15181C);
    look.face1 = Hex(0x59616D);
    look.face2 = Hex(0x3B414A);
    look.accent = Hex(0x3A84DB);
    look.glyph = Hex(0xDCE3EC);
    look.glyphHot = Hex(0xFFFFFF);
    look.glyphDisabled = Hex(0x7A828E);
    look.record = Hex(0xE5484D);
    look.text = Hex(0xE8EDF3);
    return look;
}

ArtLook RipperLook() {
    ArtLook look;
    look.outside = Qt::white;
    look.back1 = Hex(0x45403C);
    look.back2 = Hex(0x2A2623);
    look.panel1 = Hex(0x57514B);
    look.panel2 = Hex(0x3E3934);
    look.well = Hex(0x2F2B28);
    look.edge = Hex(0x1A1715);
    look.face1 = Hex(0x675F57);
    look.face2 = Hex(0x48423C);
    look.accent = Hex(0xE8913A);
    look.glyph = Hex(0xEFE7DE);
    look.glyphHot = Hex(0xFFFFFF);
    look.glyphDisabled = Hex(0x8A8178);
    look.record = Hex(0xE5484D);
    look.text = Hex(0xF3ECE4);
    return look;
}

void DrawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& c) {
    // Glyphs are drawn in a square centred in the box.
    const double side = std::min(box.width(), box.height());
    const QRectF r(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
    const double w = std::max(1.2, side * 0.11); // stroke width
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::None:
        break;
    case Glyph::Record:
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(r.adjusted(side * 0.2, side * 0.2, -side * 0.2, -side * 0.2));
        break;
    case Glyph::Stop:
        p.fillRect(r.adjusted(side * 0.24, side * 0.24, -side * 0.24, -side * 0.24), c);
        break;
    case Glyph::Play:
        p.fillPath(Shape(r, {{0.3, 0.18}, {0.82, 0.5}, {0.3, 0.82}}), c);
        break;
    case Glyph::Pause:
        p.fillRect(QRectF(At(r, 0.26, 0.2), At(r, 0.43, 0.8)), c);
        p.fillRect(QRectF(At(r, 0.57, 0.2), At(r, 0.74, 0.8)), c);
        break;
    case Glyph::Previous:
    case Glyph::Rewind:
        p.fillRect(QRectF(At(r, 0.2, 0.22), At(r, 0.32, 0.78)), c);
        p.fillPath(Shape(r, {{0.8, 0.22}, {0.36, 0.5}, {0.8, 0.78}}), c);
        break;
    case Glyph::Next:
        p.fillRect(QRectF(At(r, 0.68, 0.22), At(r, 0.8, 0.78)), c);
        p.fillPath(Shape(r, {{0.2, 0.22}, {0.64, 0.5}, {0.2, 0.78}}), c);
        break;
    case Glyph::Folder:
        p.fillPath(
            Shape(r, {{0.12, 0.28}, {0.4, 0.28}, {0.48, 0.36}, {0.88, 0.36}, {0.88, 0.78}, {0.12, 0.78}}), c);
        break;
    case Glyph::Options: {
        QPainterPath gear;
        const QPointF m = r.center();
        const double outer = side * 0.38, inner = side * 0.28;
        for (int i = 0; i < 16; ++i) {
            const double a = i * M_PI / 8;
            const double rad = (i % 2 == 0) ? outer : inner;
            const QPointF pt(m.x() + rad * std::cos(a), m.y() + rad * std::sin(a));
            i == 0 ? gear.moveTo(pt) : gear.lineTo(pt);
        }
        gear.closeSubpath();
        gear.addEllipse(m, side * 0.12, side * 0.12);
        gear.setFillRule(Qt::OddEvenFill);
        p.fillPath(gear, c);
        break;
    }
    case Glyph::Player:
        p.setPen(Stroke(c, w));
        p.drawLine(At(r, 0.62, 0.18), At(r, 0.62, 0.7));
        p.drawLine(At(r, 0.62, 0.18), At(r, 0.82, 0.3));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(At(r, 0.47, 0.72), side * 0.16, side * 0.12);
        break;
    case Glyph::Help: {
        QFont f("DejaVu Sans");
        f.setPixelSize(int(side * 0.72));
        f.setBold(true);
        p.setFont(f);
        p.setPen(c);
        p.drawText(r, Qt::AlignCenter, "?");
        break;
    }
    case Glyph::Mail:
        p.setPen(Stroke(c, w));
        p.drawRoundedRect(QRectF(At(r, 0.14, 0.26), At(r, 0.86, 0.74)), 1.5, 1.5);
        p.drawPolyline(QPolygonF({At(r, 0.16, 0.3), At(r, 0.5, 0.55), At(r, 0.84, 0.3)}));
        break;
    case Glyph::Minimize:
        p.setPen(Stroke(c, w * 1.2));
        p.drawLine(At(r, 0.28, 0.68), At(r, 0.72, 0.68));
        break;
    case Glyph::Close:
    case Glyph::Cancel:
        p.setPen(Stroke(c, w * 1.2));
        p.drawLine(At(r, 0.3, 0.3), At(r, 0.7, 0.7));
        p.drawLine(At(r, 0.7, 0.3), At(r, 0.3, 0.7));
        break;
    case Glyph::Home:
        p.fillPath(Shape(r, {{0.5, 0.16},
                             {0.86, 0.5},
                             {0.76, 0.5},
                             {0.76, 0.82},
                             {0.58, 0.82},
                             {0.58, 0.62},
                             {0.42, 0.62},
                             {0.42, 0.82},
                             {0.24, 0.82},
                             {0.24, 0.5},
                             {0.14, 0.5}}),
                   c);
        break;
    case Glyph::Split:
        p.setPen(Stroke(c, w));
        p.drawLine(At(r, 0.5, 0.12), At(r, 0.5, 0.88));
        p.fillPath(Shape(r, {{0.1, 0.5}, {0.36, 0.32}, {0.36, 0.68}}), c);
        p.fillPath(Shape(r, {{0.9, 0.5}, {0.64, 0.32}, {0.64, 0.68}}), c);
        break;
    case Glyph::Join:
        p.setPen(Stroke(c, w));
        p.drawLine(At(r, 0.5, 0.12), At(r, 0.5, 0.88));
        p.fillPath(Shape(r, {{0.44, 0.5}, {0.18, 0.32}, {0.18, 0.68}}), c);
        p.fillPath(Shape(r, {{0.56, 0.5}, {0.82, 0.32}, {0.82, 0.68}}), c);
        break;
    case Glyph::Reorder:
        p.fillPath(Shape(r, {{0.32, 0.14}, {0.54, 0.42}, {0.1, 0.42}}), c);
        p.fillRect(QRectF(At(r, 0.27, 0.4), At(r, 0.37, 0.86)), c);
        p.fillPath(Shape(r, {{0.68, 0.86}, {0.9, 0.58}, {0.46, 0.58}}), c);
        p.fillRect(QRectF(At(r, 0.63, 0.14), At(r, 0.73, 0.6)), c);
        break;
    case Glyph::Up:
        Arrow(p, r, true, c);
        break;
    case Glyph::Down:
        Arrow(p, r, false, c);
        break;
    case Glyph::Add:
        p.setPen(Stroke(c, w * 1.2));
        p.drawLine(At(r, 0.5, 0.24), At(r, 0.5, 0.76));
        p.drawLine(At(r, 0.24, 0.5), At(r, 0.76, 0.5));
        break;
    case Glyph::Remove:
        p.setPen(Stroke(c, w * 1.2));
        p.drawLine(At(r, 0.24, 0.5), At(r, 0.76, 0.5));
        break;
    case Glyph::Eject:
        p.fillPath(Shape(r, {{0.5, 0.2}, {0.84, 0.56}, {0.16, 0.56}}), c);
        p.fillRect(QRectF(At(r, 0.16, 0.66), At(r, 0.84, 0.78)), c);
        break;
    case Glyph::Lock:
    case Glyph::Unlock:
        p.fillRect(QRectF(At(r, 0.24, 0.46), At(r, 0.76, 0.84)), c);
        p.setPen(Stroke(c, w));
        if (glyph == Glyph::Lock)
            p.drawArc(QRectF(At(r, 0.34, 0.18), At(r, 0.66, 0.62)), 0, 180 * 16);
        else
            p.drawArc(QRectF(At(r, 0.5, 0.14), At(r, 0.82, 0.58)), 0, 180 * 16);
        p.setPen(Stroke(c, w));
        p.drawLine(At(r, glyph == Glyph::Lock ? 0.34 : 0.5, 0.4),
                   At(r, glyph == Glyph::Lock ? 0.34 : 0.5, 0.46));
        p.drawLine(At(r, glyph == Glyph::Lock ? 0.66 : 0.82, 0.4),
                   At(r, glyph == Glyph::Lock ? 0.66 : 0.82, 0.46));
        break;
    case Glyph::Refresh: {
        p.setPen(Stroke(c, w));
        p.drawArc(r.adjusted(side * 0.22, side * 0.22, -side * 0.22, -side * 0.22), 40 * 16, 280 * 16);
        p.fillPath(Shape(r, {{0.66, 0.12}, {0.86, 0.32}, {0.6, 0.38}}), c);
        break;
    }
    case Glyph::Extract:
        Arrow(p, QRectF(At(r, 0.25, 0.08), At(r, 0.75, 0.62)), false, c);
        p.setPen(Stroke(c, w));
        p.drawPolyline(QPolygonF({At(r, 0.16, 0.6), At(r, 0.16, 0.84), At(r, 0.84, 0.84), At(r, 0.84, 0.6)}));
        break;
    case Glyph::Speaker:
    case Glyph::SpeakerMuted:
        SpeakerBody(p, r, c);
        p.setPen(Stroke(c, w * 0.8));
        if (glyph == Glyph::Speaker) {
            p.drawArc(QRectF(At(r, 0.46, 0.3), At(r, 0.74, 0.7)), -50 * 16, 100 * 16);
            p.drawArc(QRectF(At(r, 0.44, 0.16), At(r, 0.9, 0.84)), -50 * 16, 100 * 16);
        } else {
            p.drawLine(At(r, 0.66, 0.36), At(r, 0.9, 0.64));
            p.drawLine(At(r, 0.9, 0.36), At(r, 0.66, 0.64));
        }
        break;
    case Glyph::Equalizer:
        for (int i = 0; i < 4; ++i) {
            const double x = 0.18 + i * 0.2;
            const double top[] = {0.42, 0.2, 0.5, 0.3};
            p.fillRect(QRectF(At(r, x, top[i]), At(r, x + 0.12, 0.82)), c);
        }
        break;
    case Glyph::Disc:
    case Glyph::Ripper: {
        QPainterPath disc;
        disc.addEllipse(r.center(), side * 0.36, side * 0.36);
        disc.addEllipse(r.center(), side * 0.08, side * 0.08);
        disc.setFillRule(Qt::OddEvenFill);
        p.fillPath(disc, c);
        if (glyph == Glyph::Ripper) {
            p.setPen(Stroke(Mix(c, Qt::black, 0.45), w * 0.7));
            p.drawArc(QRectF(At(r, 0.26, 0.26), At(r, 0.74, 0.74)), 100 * 16, 70 * 16);
        }
        break;
    }
    case Glyph::Recorder:
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(At(r, 0.38, 0.12), At(r, 0.62, 0.58)), side * 0.12, side * 0.12);
        p.setPen(Stroke(c, w * 0.8));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(At(r, 0.28, 0.3), At(r, 0.72, 0.68)), 180 * 16, 180 * 16);
        p.drawLine(At(r, 0.5, 0.68), At(r, 0.5, 0.84));
        p.drawLine(At(r, 0.38, 0.86), At(r, 0.62, 0.86));
        break;
    case Glyph::Mark:
        p.setPen(Stroke(c, w));
        p.drawLine(At(r, 0.3, 0.14), At(r, 0.3, 0.88));
        p.fillPath(Shape(r, {{0.32, 0.14}, {0.78, 0.3}, {0.32, 0.46}}), c);
        break;
    case Glyph::Check:
        p.setPen(Stroke(c, w * 1.3));
        p.drawPolyline(QPolygonF({At(r, 0.2, 0.52), At(r, 0.42, 0.74), At(r, 0.8, 0.28)}));
        break;
    }
    p.restore();
}

QImage ImageButton(const ArtLook& look, QSize size, Glyph glyph, ButtonState state, const QColor& matte,
                   const QString& caption) {
    QImage image = Canvas(size, matte);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QColor top = look.face1, bottom = look.face2, edge = look.edge, mark = look.glyph;
    switch (state) {
    case ButtonState::Normal:
        break;
    case ButtonState::Hot:
        top = Mix(look.face1, look.accent, 0.25);
        bottom = Mix(look.face2, look.accent, 0.2);
        edge = Mix(look.accent, look.edge, 0.3);
        mark = look.glyphHot;
        break;
    case ButtonState::Down:
        top = Mix(look.face2, Qt::black, 0.2);
        bottom = look.face1;
        edge = Mix(look.accent, look.edge, 0.5);
        mark = look.glyphHot;
        break;
    case ButtonState::Disabled:
        top = Mix(look.face1, matte, 0.5);
        bottom = Mix(look.face2, matte, 0.5);
        edge = Mix(look.edge, matte, 0.4);
        mark = look.glyphDisabled;
        break;
    }
    QPainterPath face;
    face.addRoundedRect(r, look.radius, look.radius);
    p.fillPath(face, VerticalGradient(r, top, bottom));
    if (state != ButtonState::Down && state != ButtonState::Disabled) {
        // A thin light line under the top edge gives the face some depth.
        p.setPen(QPen(QColor(255, 255, 255, 46), 1));
        p.drawLine(QPointF(r.left() + look.radius, r.top() + 1),
                   QPointF(r.right() - look.radius, r.top() + 1));
    }
    p.setPen(QPen(edge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(face);

    const QPointF shift = state == ButtonState::Down ? QPointF(1, 1) : QPointF(0, 0);
    QRectF area = r.adjusted(3, 3, -3, -3).translated(shift);
    if (!caption.isEmpty()) {
        // Glyph at the left, caption beside it.
        QRectF glyphBox(area.left(), area.top(), glyph == Glyph::None ? 0 : area.height(), area.height());
        if (glyph != Glyph::None) {
            const QColor gc = glyph == Glyph::Record && state != ButtonState::Disabled ? look.record : mark;
            DrawGlyph(p, glyph, glyphBox, gc);
        }
        QFont f("DejaVu Sans");
        f.setPixelSize(std::max(9, int(size.height() * 0.42)));
        p.setFont(f);
        p.setPen(mark);
        p.drawText(area.adjusted(glyphBox.width() + (glyph == Glyph::None ? 0 : 3), 0, 0, 0),
                   Qt::AlignVCenter | (glyph == Glyph::None ? Qt::AlignHCenter : Qt::AlignLeft), caption);
    } else {
        const double side = std::min(area.width(), area.height()) * 0.92;
        const QRectF g(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
        const QColor gc = glyph == Glyph::Record && state != ButtonState::Disabled ? look.record : mark;
        DrawGlyph(p, glyph, g, gc);
    }
    p.end();
    return Opaque(image);
}

QImage Corner(const ArtLook& look, int which, int size) {
    // Drawn as the top-left corner, then mirrored into place.
    QImage image = Canvas(QSize(size, size), look.outside);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const double radius = size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = radius - (x + 0.5), dy = radius - (y + 0.5);
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d <= radius - 0.5) image.setPixel(x, y, (d >= radius - 1.5 ? look.edge : look.back1).rgb());
        }
    }
    p.end();
    const bool right = which == 1 || which == 3;
    const bool bottom = which == 2 || which == 3;
    if (bottom)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (image.pixelColor(x, y) == look.back1) image.setPixel(x, y, look.back2.rgb());
    return Opaque(image.mirrored(right, bottom));
}

QImage WindowBackground(const ArtLook& look, QSize size) {
    QImage image = Canvas(size, look.back1);
    QPainter p(&image);
    const QRectF r(0, 0, size.width(), size.height());
    p.fillRect(r, VerticalGradient(r, look.back1, look.back2));
    // A faint sheen across the upper part.
    QLinearGradient sheen(r.topLeft(), QPointF(0, r.height() * 0.35));
    sheen.setColorAt(0, QColor(255, 255, 255, 22));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(0, 0, r.width(), r.height() * 0.35), sheen);
    p.setPen(look.edge);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    p.end();
    return Opaque(image);
}

QImage RaisedPanel(const ArtLook& look, QSize size) {
    QImage image = Canvas(size, look.panel1);
    QPainter p(&image);
    const QRectF r(0, 0, size.width(), size.height());
    p.fillRect(r, VerticalGradient(r, look.panel1, look.panel2));
    p.setPen(QColor(255, 255, 255, 40));
    p.drawLine(1, 1, size.width() - 2, 1);
    p.setPen(look.edge);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    p.end();
    return Opaque(image);
}

QImage Well(const ArtLook& look, QSize size) {
    QImage image = Canvas(size, look.well);
    QPainter p(&image);
    p.setPen(look.edge);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    p.setPen(QColor(0, 0, 0, 70));
    p.drawLine(1, 1, size.width() - 2, 1);
    p.drawLine(1, 1, 1, size.height() - 2);
    p.end();
    return Opaque(image);
}

QImage TagIcon(const QString& text, const QColor& tag, int size) {
    QImage image = Canvas(QSize(size, size), Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, size * 0.18, size - 1.0, size * 0.64);
    p.setPen(QPen(tag.darker(140), 1));
    p.setBrush(VerticalGradient(r, tag.lighter(115), tag));
    p.drawRoundedRect(r, 2, 2);
    QFont f("DejaVu Sans");
    f.setPixelSize(std::max(5, int(size * 0.38)));
    f.setBold(true);
    f.setStretch(QFont::SemiCondensed);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignCenter, text);
    p.end();
    return image;
}

QImage TitleMark(const ArtLook& look, Glyph glyph) {
    QImage mark(20, 20, QImage::Format_ARGB32_Premultiplied);
    mark.fill(Qt::transparent);
    QPainter p(&mark);
    DrawGlyph(p, glyph, QRectF(0, 0, 20, 20), look.accent);
    return mark;
}

QImage AppIcon(const ArtLook& look, Glyph glyph) {
    const int size = 64;
    QImage image = Canvas(QSize(size, size), Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(2, 2, size - 4, size - 4);
    QPainterPath shape;
    shape.addRoundedRect(r, 14, 14);
    p.fillPath(shape, VerticalGradient(r, look.face1, look.back2));
    p.setPen(QPen(look.accent, 2));
    p.drawPath(shape);
    DrawGlyph(p, glyph, r.adjusted(10, 10, -10, -10), glyph == Glyph::Recorder ? look.glyph : look.accent);
    if (glyph == Glyph::Recorder) {
        p.setPen(Qt::NoPen);
        p.setBrush(look.record);
        p.drawEllipse(QPointF(48, 16), 6, 6);
    }
    p.end();
    return image;
}

ArtWriter::ArtWriter(const QString& outFolder, const QString& program, QStringList& files)
    : m_folder(outFolder), m_program(program), m_files(files) {
    m_ok = QDir().mkpath(m_folder + "/art/" + m_program);
}

void ArtWriter::Picture(const QString& name, const QImage& image) {
    const QString rel = "art/" + m_program + "/" + name + ".png";
    QSaveFile file(m_folder + "/" + rel);
    m_ok = file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit() && m_ok;
    m_files.append(rel);
}

void ArtWriter::Button(const QString& name, const ArtLook& look, QSize size, Glyph glyph, const QColor& matte,
                       const QString& caption) {
    Picture(name + "_normal", ImageButton(look, size, glyph, ButtonState::Normal, matte, caption));
    Picture(name + "_hot", ImageButton(look, size, glyph, ButtonState::Hot, matte, caption));
    Picture(name + "_down", ImageButton(look, size, glyph, ButtonState::Down, matte, caption));
    Picture(name + "_disabled", ImageButton(look, size, glyph, ButtonState::Disabled, matte, caption));
}

void ArtWriter::Corners(const ArtLook& look) {
    Picture("imgLT", Corner(look, 0));
    Picture("imgRT", Corner(look, 1));
    Picture("imgLD", Corner(look, 2));
    Picture("imgRD", Corner(look, 3));
}

void ArtWriter::ButtonsOn(const QImage& background, const ArtLook& look,
                          std::initializer_list<ButtonSpot> spots) {
    for (const ButtonSpot& b : spots)
        Button(b.name, look, QSize(b.w, b.h), b.glyph, background.pixelColor(b.x + 2, b.y + b.h / 2),
               QString::fromLatin1(b.caption));
}

} // namespace WindowArt
