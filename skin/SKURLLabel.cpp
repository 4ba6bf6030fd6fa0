#include "skin/SKURLLabel.h"

#include "platform/Shell.h"
#include "skin/SKPublic.h"

#include <QMouseEvent>
#include <QPainter>

TskURLLabel::TskURLLabel(QWidget* parent) : TskControl(parent) {
    InitColor(clWindow, false);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    SetFontColor(this, 0xFF0000);
    setCursor(Qt::PointingHandCursor);
    SetCaption(QStringLiteral("Web link"));
}

void TskURLLabel::SetCaption(const QString& value) {
    m_caption = value;
    ApplyAutoSize();
    update();
}

void TskURLLabel::SetURL(const QString& value) {
    if (value != m_url) m_url = value;
}

void TskURLLabel::SetFontLinkColor(TColor value) {
    m_linkColor = value;
    SetFontColor(this, value);
    update();
}

void TskURLLabel::SetAutoSize(bool value) {
    m_autoSize = value;
    ApplyAutoSize();
}

void TskURLLabel::ApplyAutoSize() {
    if (!m_autoSize || m_wordWrap) return;
    const QFontMetrics fm(font());
    resize(std::max(1, fm.horizontalAdvance(m_caption)), fm.height());
}

void TskURLLabel::SetTransparent(bool value) {
    m_transparent = value;
    update();
}

void TskURLLabel::SetWordWrap(bool value) {
    m_wordWrap = value;
    ApplyAutoSize();
    update();
}

void TskURLLabel::Click() {
    // A blank address opens nothing; blanks round an address are taken off (the desktop's opener
    // would refuse " https://..."). Whether the shell could open it does not matter to the label.
    const QString address = m_url.trimmed();
    if (!address.isEmpty()) ShellOpen(address);
    Q_EMIT OnClick();
}

QImage TskURLLabel::Render() {
    QImage buffer = NewBuffer();
    buffer.fill(ColorToQColor(Color()));
    QPainter p(&buffer);
    if (m_transparent) DrawParentBackground(p, this);
    p.setFont(font());
    p.setPen(isEnabled() ? palette().color(QPalette::Active, QPalette::WindowText) : ColorToQColor(0x808080));
    const int flags = Qt::AlignLeft | Qt::AlignTop | (m_wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    p.drawText(rect(), flags, m_caption);
    return buffer;
}

void TskURLLabel::enterEvent(QEnterEvent* event) {
    TskControl::enterEvent(event);
    SetFontColor(this, m_hoverColor);
    update();
}

void TskURLLabel::leaveEvent(QEvent* event) {
    TskControl::leaveEvent(event);
    SetFontColor(this, m_linkColor);
    update();
}

void TskURLLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (TakeClick(event)) Click();
    EmitMouseUp(event);
}

void TskURLLabel::changeEvent(QEvent* event) {
    TskControl::changeEvent(event);
    if (event->type() == QEvent::FontChange) ApplyAutoSize();
}
