#include "skin-extra/SKProgressBar.h"

#include "skin/SKPublic.h"

#include <QPainter>

TskProgressBar::TskProgressBar(QWidget* parent) : TskControl(parent) {
    resize(150, 12);
    SetColor(clBtnFace);
    SetUIStyle(OwnerFormUIStyle(parent));
    RefreshCaption();
}

void TskProgressBar::SetMin(int value) {
    m_min = value;
    RefreshCaption();
}

void TskProgressBar::SetMax(int value) {
    m_max = value;
    RefreshCaption();
}

void TskProgressBar::SetPosition(int value) {
    m_position = value;
    RefreshCaption();
}

int TskProgressBar::Percent() const {
    if (m_min == m_max) return 0;
    // In 64 bits: the range may span the whole integer range.
    const int64_t p =
        (static_cast<int64_t>(m_position) - m_min) * 100 / (static_cast<int64_t>(m_max) - m_min);
    return static_cast<int>(
        std::clamp<int64_t>(p, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int TskProgressBar::DoneLength(int n) const {
    if (m_min >= m_max || m_position <= m_min) return 0;
    if (m_position > m_max) return n;
    return static_cast<int>(static_cast<int64_t>(n) * (static_cast<int64_t>(m_position) - m_min) /
                            (static_cast<int64_t>(m_max) - m_min));
}

void TskProgressBar::RefreshCaption() {
    m_caption = QString::number(Percent()) + u'%';
    update();
}

void TskProgressBar::SetOrientation(TskProgressBarOrientation value) {
    m_orientation = value;
    UIStyleChanged();
    const int length = std::max(width(), height());
    if (value == skVertical)
        resize(12, length);
    else
        resize(length, 12);
}

void TskProgressBar::SetPicture(const QImage& value) {
    m_picture = value;
    update();
}

void TskProgressBar::SetBorderColor(TColor value) {
    m_borderColor = value;
    update();
}

void TskProgressBar::SetCaptionColor(TColor value) {
    m_captionColor = value;
    update();
}

void TskProgressBar::SetShowCaption(bool value) {
    m_showCaption = value;
    update();
}

void TskProgressBar::SetSmartShowCaption(bool value) {
    m_smartShowCaption = value;
    update();
}

void TskProgressBar::UIStyleChanged() {
    const TskThemeSource source = Theme();
    m_picture = source.Bitmap(SkinElement::ProgressBarImage);
    InitColor(source.Color(SkinElement::ControlBackgroundColor), false);
    m_borderColor = source.Color(SkinElement::ControlBorderColor);
    if (m_orientation == skVertical) RotateBitmap(m_picture);
    update();
}

QImage TskProgressBar::Render() {
    // A bar larger than any screen draws its first 4096 pixels each way.
    const int w = std::clamp(width(), 1, kMaxThemePictureSide);
    const int h = std::clamp(height(), 1, kMaxThemePictureSide);
    QImage buffer(w, h, QImage::Format_RGB32);
    buffer.fill(ColorToQColor(Color()));
    QPainter p(&buffer);
    const QColor rest = ColorToQColor(Color());
    if (m_orientation == skHorizontal) {
        const int a = std::max(1, DoneLength(w - 1));
        if (!m_picture.isNull() && a > 1 && h > 2)
            p.drawImage(
                1, 1,
                StretchNearest(m_picture, TRect(0, 0, m_picture.width(), m_picture.height()), a - 1, h - 2));
        p.fillRect(TRect(a, 1, w - 1, h - 1).ToQRect(), rest);
    } else {
        const int t = std::max(1, (h - 1) - DoneLength(h - 1));
        // The picture's top edge at H - 2 and its bottom edge at t - 1: drawn upside down from
        // the bottom up, over the rows t .. H - 2.
        if (!m_picture.isNull() && h - 1 > t && w > 2) {
            const QImage stretched = StretchNearest(
                m_picture, TRect(0, 0, m_picture.width(), m_picture.height()), w - 2, h - 1 - t);
            p.drawImage(1, t, stretched.mirrored(false, true));
        }
        p.fillRect(TRect(1, 1, w - 1, t).ToQRect(), rest);
        m_showCaption = false;
    }
    if (m_showCaption && !(m_smartShowCaption && m_position == m_min)) {
        // The default font of an off-screen bitmap: the application's font.
        const QFont f = QFont();
        const QFontMetrics fm(f);
        p.setFont(f);
        p.setPen(ColorToQColor(m_captionColor));
        const int x = (w - fm.horizontalAdvance(m_caption)) / 2;
        const int y = (h - fm.height()) / 2;
        p.drawText(x, y + fm.ascent(), m_caption);
    }
    p.setPen(ColorToQColor(m_borderColor));
    p.drawRect(0, 0, w - 1, h - 1);
    return buffer;
}
