#include "skin/SKGroupBox.h"

#include "skin/SKMgr.h"
#include "skin/SKPublic.h"

#include <QEvent>
#include <QPainter>

TskCustomGroupBox::TskCustomGroupBox(QWidget* parent) : TskCustomPanel(parent) {
    TskCustomPanel::SetCaption(QStringLiteral(" "));
    resize(185, 105);
    SetParentColor(true);
    SetTransparent(false);
    SetUIStyle(OwnerFormUIStyle(parent));
}

void TskCustomGroupBox::SetCaption(const QString& value) {
    m_caption = value;
    update();
}

void TskCustomGroupBox::SetBorderColor(TColor value) {
    m_borderColor = value;
    update();
}

void TskCustomGroupBox::ThemeRemoved() {
    ApplyUIStyleToChildren(this, DeepBlue, nullptr);
    SetUIStyle(DeepBlue);
}

void TskCustomGroupBox::UpdateUIStyle(TskUIStyle style, TskFileTheme* fileTheme) {
    ApplyUIStyleToChildren(this, style, fileTheme);
    const TskThemeSource source = TskThemeSource::Resolve(fileTheme, style);
    m_borderColor = source.Color(SkinElement::ControlBorderColor);
    SetFontColor(this, source.Color(SkinElement::ControlFontColor));
    update();
}

void TskCustomGroupBox::SetEnabled(bool value) {
    setEnabled(value);
    for (QObject* child : children()) {
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow()) w->setEnabled(value);
    }
    update();
}

QRect TskCustomGroupBox::AlignRect() const {
    const int fontHeight = QFontMetrics(font()).height();
    return rect().adjusted(3, fontHeight + 5, -3, -3);
}

void TskCustomGroupBox::changeEvent(QEvent* event) {
    TskCustomPanel::changeEvent(event);
    if (event->type() == QEvent::FontChange) AlignControls();
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange) update();
}

QImage TskCustomGroupBox::Render() {
    QImage buffer = NewBuffer();
    if (Transparent()) {
        PaintPanel(buffer);
    } else {
        buffer.fill(ColorToQColor(Color()));
    }
    QPainter p(&buffer);
    p.setFont(font());
    const QFontMetrics fm(font());
    const int y = fm.height() / 2 + 1;
    const int L = 0, R = width(), B = height();
    p.setPen(ColorToQColor(m_borderColor));
    QList<QPoint> line{{L + 2, y}, {L, y}, {L, B - 1}, {R - 1, B - 1}, {R - 1, y}};
    line << (m_caption.isEmpty() ? QPoint(L, y) : QPoint(L + fm.horizontalAdvance(m_caption) + 6, y));
    // Lines end one pixel short of their end point, as the platform draws them.
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        const QPoint a = line[i], b = line[i + 1];
        if (a == b) continue;
        const QPoint step((b.x() > a.x()) - (b.x() < a.x()), (b.y() > a.y()) - (b.y() < a.y()));
        p.drawLine(a, b - step);
    }
    p.setPen(isEnabled() ? palette().color(QPalette::Active, QPalette::WindowText) : ColorToQColor(0x808080));
    p.drawText(QRect(5, 0, width() - 5, fm.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               m_caption);
    return buffer;
}

TskGroupBox::TskGroupBox(QWidget* parent) : TskCustomGroupBox(parent) {}
