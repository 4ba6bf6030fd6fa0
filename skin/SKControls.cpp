#include "skin/SKControls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QVariant>
#include <QWidget>

TskUIStyle OwnerFormUIStyle(const QWidget* parent) {
    return GetFormUIStyle(parent ? parent->window() : nullptr);
}

void DrawFocusRect(QImage& image, const QRect& rect) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    auto flip = [&image](int x, int y) {
        if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
        image.setPixel(x, y, image.pixel(x, y) ^ 0x00FFFFFFu);
    };
    const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
    // Walk the outline once, flipping every other pixel, as the platform's dotted frame does.
    int step = 0;
    for (int x = l; x <= r; ++x, ++step)
        if (step % 2 == 0) flip(x, t);
    for (int y = t + 1; y <= b; ++y, ++step)
        if (step % 2 == 0) flip(r, y);
    if (b > t)
        for (int x = r - 1; x >= l; --x, ++step)
            if (step % 2 == 0) flip(x, b);
    if (r > l)
        for (int y = b - 1; y > t; --y, ++step)
            if (step % 2 == 0) flip(l, y);
}

QImage GreyedImage(const QImage& image) {
    const QImage in = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(in.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    const QRgb white = qRgb(255, 255, 255), grey = qRgb(128, 128, 128);
    for (int y = 0; y < in.height(); ++y) {
        for (int x = 0; x < in.width(); ++x) {
            const QRgb p = in.pixel(x, y);
            if (qAlpha(p) == 0 || qGray(p) >= 192) continue;
            if (x + 1 < out.width() && y + 1 < out.height() && out.pixel(x + 1, y + 1) != grey)
                out.setPixel(x + 1, y + 1, white);
            out.setPixel(x, y, grey);
        }
    }
    return out;
}

QChar AcceleratorChar(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&') continue;
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return caption[i + 1];
    }
    return {};
}

QString StripAccelerator(const QString& caption) {
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        out += caption[i];
    }
    return out;
}

TColor FontColor(const QWidget* control) {
    return QColorToColor(control->palette().color(QPalette::Active, QPalette::WindowText));
}

void SetFontColor(QWidget* control, TColor color) {
    QPalette pal = control->palette();
    pal.setColor(QPalette::WindowText, ColorToQColor(color));
    pal.setColor(QPalette::ButtonText, ColorToQColor(color));
    pal.setColor(QPalette::Text, ColorToQColor(color));
    control->setPalette(pal);
}

TColor ControlColor(const QWidget* control, TColor own, bool parentColor) {
    if (!parentColor || !control->parentWidget()) return own;
    const QVariant c = control->parentWidget()->property("Color");
    if (c.isValid() && c.canConvert<TColor>()) return c.value<TColor>();
    return QColorToColor(control->parentWidget()->palette().color(QPalette::Window));
}

// ---------------------------------------------------------------------------------------------
// TskControl

TskControl::TskControl(QWidget* parent) : QWidget(parent) {
    // All drawing is in the paint: no background erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setFocusPolicy(m_noTabStopPolicy);
}

TskControl::~TskControl() = default;

void TskControl::SetUIStyle(TskUIStyle value) {
    m_uiStyle = value;
    UIStyleChanged();
    update();
}

void TskControl::SetFileTheme(TskFileTheme* value) {
    m_theme.set(value, this, [this] { ThemeRemoved(); });
    SetUIStyle(m_uiStyle);
}

TColor TskControl::Color() const {
    return ControlColor(this, m_color, m_parentColor);
}

void TskControl::SetColor(TColor value) {
    m_color = value;
    m_parentColor = false;
    ColorChanged();
    update();
}

void TskControl::SetParentColor(bool value) {
    m_parentColor = value;
    ColorChanged();
    update();
}

void TskControl::SetTabStop(bool value) {
    m_tabStop = value;
    ApplyFocusPolicy();
    update();
}

void TskControl::SetFocusPolicies(Qt::FocusPolicy tabStop, Qt::FocusPolicy noTabStop) {
    m_tabStopPolicy = tabStop;
    m_noTabStopPolicy = noTabStop;
    ApplyFocusPolicy();
}

void TskControl::SetFocusWidget(QWidget* widget) {
    setFocusProxy(widget);
    ApplyFocusPolicy();
}

void TskControl::ApplyFocusPolicy() {
    const Qt::FocusPolicy policy = m_tabStop ? m_tabStopPolicy : m_noTabStopPolicy;
    setFocusPolicy(policy);
    // Qt gives a click's focus and the Tab key's only to a widget whose focus widget takes them
    // itself: the control is passed over, its focus widget stands in the chain.
    if (QWidget* proxy = focusProxy()) proxy->setFocusPolicy(policy);
}

void TskControl::SetAccelerator(const QString& caption, std::function<void()> fire) {
    const QChar accel = AcceleratorChar(caption);
    if (accel.isNull()) {
        delete m_accelerator;
        m_accelerator = nullptr;
        return;
    }
    m_acceleratorFire = std::move(fire);
    if (!m_accelerator) {
        m_accelerator = new QShortcut(this);
        m_accelerator->setContext(Qt::WindowShortcut);
        auto run = [this] {
            if (m_acceleratorFire) m_acceleratorFire();
        };
        connect(m_accelerator, &QShortcut::activated, this, run);
        // Two controls of one window with the same letter: each still answers its own.
        connect(m_accelerator, &QShortcut::activatedAmbiguously, this, run);
    }
    m_accelerator->setKey(QKeySequence(Qt::ALT | QKeySequence(QString(accel.toUpper()))[0].key()));
}

QImage TskControl::NewBuffer() const {
    QImage buffer(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    buffer.fill(Qt::black);
    return buffer;
}

QImage TskControl::Render() {
    QImage buffer = NewBuffer();
    buffer.fill(ColorToQColor(Color()));
    return buffer;
}

void TskControl::paintEvent(QPaintEvent*) {
    const QImage image = Render();
    QPainter p(this);
    p.drawImage(0, 0, image);
}

void TskControl::EmitMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos) {
    Q_EMIT OnMouseDown(button, shift, pos.x(), pos.y());
}

void TskControl::EmitMouseDown(const QMouseEvent* event) {
    EmitMouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void TskControl::EmitMouseMove(Qt::KeyboardModifiers shift, const QPoint& pos) {
    Q_EMIT OnMouseMove(shift, pos.x(), pos.y());
}

void TskControl::EmitMouseMove(const QMouseEvent* event) {
    EmitMouseMove(event->modifiers(), event->position().toPoint());
}

void TskControl::EmitMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos) {
    Q_EMIT OnMouseUp(button, shift, pos.x(), pos.y());
}

void TskControl::EmitMouseUp(const QMouseEvent* event) {
    EmitMouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

void TskControl::EmitKeyDown(const QKeyEvent* event) {
    Q_EMIT OnKeyDown(event->key(), event->modifiers());
    if (!event->text().isEmpty()) Q_EMIT OnKeyPress(event->text().at(0));
}

void TskControl::EmitKeyUp(const QKeyEvent* event) {
    Q_EMIT OnKeyUp(event->key(), event->modifiers());
}

void TskControl::ArmClick(const QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_clickArmed = true;
}

bool TskControl::TakeClick(const QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return false;
    const bool click = m_clickArmed && rect().contains(event->position().toPoint());
    m_clickArmed = false;
    return click;
}

void TskControl::mousePressEvent(QMouseEvent* event) {
    ArmClick(event);
    EmitMouseDown(event);
}

void TskControl::mouseMoveEvent(QMouseEvent* event) {
    EmitMouseMove(event);
}

void TskControl::mouseReleaseEvent(QMouseEvent* event) {
    if (TakeClick(event)) Q_EMIT OnClick();
    EmitMouseUp(event);
}

void TskControl::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton) Q_EMIT OnDblClick();
}

void TskControl::keyPressEvent(QKeyEvent* event) {
    EmitKeyDown(event);
    QWidget::keyPressEvent(event);
}

void TskControl::keyReleaseEvent(QKeyEvent* event) {
    EmitKeyUp(event);
    QWidget::keyReleaseEvent(event);
}

void TskControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
    Q_EMIT OnEnter();
}

void TskControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
    Q_EMIT OnExit();
}
