#include "skin/SKButton.h"

#include "platform/Form.h"
#include "skin/SKMgr.h"
#include "skin/SKPublic.h"

#include <QAction>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QTimer>

namespace {

constexpr TColor kGrey = 0x808080;

// The form holding a control: its window, when that is a dialog-style form.
QDialog* HoldingForm(const QWidget* control) {
    if (!control->parentWidget()) return nullptr;
    return qobject_cast<QDialog*>(control->window());
}

bool IsDialogKey(int key) {
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

// An image-list draw: masked by the top-left pixel when Masked, greyed when not Enabled.
void DrawListImage(QPainter& canvas, int x, int y, const QImage& image, bool masked, bool enabled) {
    if (image.isNull()) return;
    QImage drawn = masked ? MaskedImage(image, PixelColor(image, 0, 0)) : image;
    if (!enabled) drawn = GreyedImage(drawn);
    canvas.drawImage(x, y, drawn);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TskCustomButton

TskCustomButton::TskCustomButton(QWidget* parent) : TskControl(parent) {
    setAttribute(Qt::WA_Hover);
    SetTabStop(true);
    SetUIStyle(OwnerFormUIStyle(parent));
}

TskCustomButton::~TskCustomButton() {
    StopRepeat();
}

void TskCustomButton::SetCaption(const QString& value) {
    m_caption = value;
    UpdateShortcuts();
    CaptionChanged();
    update();
}

void TskCustomButton::SetAutoSize(bool value) {
    m_autoSize = value;
    AutoSizeButton();
    update();
}

void TskCustomButton::SetTransparent(bool value) {
    m_transparent = value;
    TransparentChanged();
    update();
}

void TskCustomButton::TransparentChanged() {
    m_drawTransparent = m_transparent;
    update();
}

void TskCustomButton::SetEnabled(bool value) {
    setEnabled(value);
    EnabledChanged();
    update();
}

void TskCustomButton::SetDefault(bool value) {
    m_default = value;
    UpdateShortcuts();
    // Every control of the form repaints, so a default look can follow.
    if (QWidget* form = parentWidget() ? window() : nullptr) form->update();
    update();
}

void TskCustomButton::SetCancel(bool value) {
    m_cancel = value;
    UpdateShortcuts();
}

void TskCustomButton::SetFocusedRectMargin(int value) {
    m_focusedRectMargin = value;
    update();
}

void TskCustomButton::UpdateShortcuts() {
    // Dialog character: Alt and the caption's accelerator letter anywhere in the window.
    SetAccelerator(m_caption, [this] {
        if (isEnabled()) Click();
    });
    // Dialog keys: Enter clicks the Default button, Escape the Cancel button of the window.
    auto dialogKey = [this](QShortcut*& shortcut, bool wanted, const QList<QKeySequence>& keys,
                            bool isDefault) {
        if (!wanted) {
            delete shortcut;
            shortcut = nullptr;
            return;
        }
        if (shortcut) return;
        shortcut = new QShortcut(this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setKeys(keys);
        connect(shortcut, &QShortcut::activated, this, [this, isDefault] { DialogKey(isDefault); });
        connect(shortcut, &QShortcut::activatedAmbiguously, this,
                [this, isDefault] { DialogKey(isDefault); });
    };
    dialogKey(m_defaultKey, m_default, {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, true);
    dialogKey(m_cancelKey, m_cancel, {QKeySequence(Qt::Key_Escape)}, false);
}

void TskCustomButton::DialogKey(bool isDefaultKey) {
    if (isDefaultKey ? !m_default : !m_cancel) return;
    if (!isEnabled() || !isVisible()) return;
    Click();
}

void TskCustomButton::StopRepeat() {
    delete m_repeatTimer;
    m_repeatTimer = nullptr;
}

void TskCustomButton::Click() {
    if (m_mouseDown) {
        StopRepeat();
        m_mouseDown = false;
        update();
    }
    if (QDialog* form = HoldingForm(this)) {
        if (auto* tform = qobject_cast<TForm*>(form))
            tform->setModalResult(m_modalResult);
        else if (m_modalResult != 0)
            form->done(m_modalResult);
    }
    Q_EMIT OnClick();
    if (m_action) m_action->trigger();
}

void TskCustomButton::SetAction(QAction* value) {
    if (value == m_action) return;
    QObject::disconnect(m_actionConnection);
    m_action = value;
    if (value) {
        m_actionConnection = connect(value, &QAction::changed, this, [this] { ActionChange(); });
        ActionChange();
    }
}

void TskCustomButton::ActionChange() {
    if (!m_action) return;
    SetCaption(m_action->text());
    SetEnabled(m_action->isEnabled());
}

void TskCustomButton::AutoSizeButton() {
    if (!m_autoSize) return;
    QImage image;
    GetBuiltInBitmap(m_uiStyle, SkinElement::ButtonImage, &image);
    const int h = image.height() > 0 ? image.height() : 21;
    const int w = image.width() > 0 ? image.width() : 74;
    resize(width(), h);
    resize(w / 3, h);
}

void TskCustomButton::PaintPicture(QPainter& canvas, QImage& bitmap) {
    if (bitmap.width() <= 0 || bitmap.height() <= 0) return;
    DrawListImage(canvas, 0, 0, bitmap, m_drawTransparent, isEnabled());
}

void TskCustomButton::PaintCaption(QPainter& canvas, const QString& caption) {
    QRect r = rect();
    QFont f = font();
    if (m_boldCaption) f.setBold(true);
    canvas.setFont(f);
    const int flags = Qt::TextSingleLine | Qt::AlignVCenter | Qt::AlignHCenter | Qt::TextShowMnemonic;
    if (!isEnabled()) {
        canvas.setPen(ColorToQColor(clWhite));
        canvas.drawText(r.translated(1, 1), flags, caption);
        canvas.setPen(ColorToQColor(kGrey));
    } else {
        canvas.setPen(palette().color(QPalette::Active, QPalette::WindowText));
        if (m_mouseDown) r.translate(1, 1);
    }
    canvas.drawText(r, flags, caption);
    m_boldCaption = false;
}

void TskCustomButton::PaintFocus(QImage& buffer) {
    const int m = m_focusedRectMargin;
    DrawFocusRect(buffer, QRect(QPoint(m, m), QPoint(width() - m - 1, height() - m - 1)));
}

void TskCustomButton::GetNormalPicture(QImage& graphic) {
    graphic = Theme().Bitmap(SkinElement::ButtonImage, 3, 1);
}
void TskCustomButton::GetMouseOnPicture(QImage& graphic) {
    graphic = Theme().Bitmap(SkinElement::ButtonImage, 3, 2);
}
void TskCustomButton::GetMouseDownPicture(QImage& graphic) {
    graphic = Theme().Bitmap(SkinElement::ButtonImage, 3, 3);
}
void TskCustomButton::GetDisabledPicture(QImage& graphic) {
    graphic = Theme().Bitmap(SkinElement::ButtonImage, 3, 1);
}

QImage TskCustomButton::Render() {
    QImage buffer = NewBuffer();
    QImage picture;
    try {
        if (!isEnabled())
            GetDisabledPicture(picture);
        else if (m_mouseDown)
            GetMouseDownPicture(picture);
        else if (m_mouseOver)
            GetMouseOnPicture(picture);
        else
            GetNormalPicture(picture);
    } catch (...) {
        // A state picture that cannot be had: a blank one, and painting goes on.
        picture = QImage(74, 21, QImage::Format_RGB32);
        picture.fill(Qt::white);
    }
    {
        QPainter p(&buffer);
        if (m_transparent)
            DrawParentBackground(p, this);
        else
            p.fillRect(rect(), ColorToQColor(Color()));
        PaintPicture(p, picture);
    }
    if (hasFocus() && TabStop()) PaintFocus(buffer);
    if (!m_caption.trimmed().isEmpty()) {
        QPainter p(&buffer);
        p.setFont(font());
        PaintCaption(p, m_caption);
    }
    return buffer;
}

void TskCustomButton::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    m_mouseOver = true;
    update();
    Q_EMIT OnMouseEnter();
}

void TskCustomButton::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_mouseOver = false;
    m_mouseDown = false;
    StopRepeat();
    update();
    Q_EMIT OnMouseExit();
}

void TskCustomButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_mouseDown = true;
        ArmClick(event);
        if (!m_repeatTimer && m_repeatInterval > 0) {
            // A timer of no interval never runs.
            m_repeatTimer = new QTimer(this);
            m_repeatTimer->setInterval(m_repeatInterval);
            connect(m_repeatTimer, &QTimer::timeout, this, [this] { Q_EMIT OnMouseContinuouslyDown(); });
            m_repeatTimer->start();
        }
        if (TabStop() && isEnabled() && isVisible()) setFocus(Qt::MouseFocusReason);
        update();
    }
    EmitMouseDown(event);
}

void TskCustomButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // No double clicks: two fast clicks are two clicks.
    mousePressEvent(event);
}

void TskCustomButton::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    EmitMouseMove(event);
    if (pos.x() < 0 || pos.y() < 0 || pos.x() > width() || pos.y() > height()) {
        // The pointer has left the button. While a button is held Qt keeps the mouse on the
        // control that took the press and tells of the leave only after the release, so the
        // repeat ends here, where the pointer goes off the button.
        m_mouseOver = false;
        m_mouseDown = false;
        StopRepeat();
        update();
    }
}

void TskCustomButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = TakeClick(event);
    if (event->button() == Qt::LeftButton) {
        if (!click) {
            // Released away from the button: the press ends without a click.
            StopRepeat();
            m_mouseDown = false;
            update();
        }
    }
    if (click) Click();
    EmitMouseUp(event);
}

void TskCustomButton::keyPressEvent(QKeyEvent* event) {
    EmitKeyDown(event);
    if (IsDialogKey(event->key()) && hasFocus() && isEnabled()) {
        if (!event->isAutoRepeat()) {
            m_mouseDown = true;
            update();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void TskCustomButton::keyReleaseEvent(QKeyEvent* event) {
    EmitKeyUp(event);
    if (IsDialogKey(event->key()) && !event->isAutoRepeat() && hasFocus() && m_mouseDown && isEnabled()) {
        m_mouseDown = false;
        update();
        Click();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void TskCustomButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FontChanged();
    } else if (event->type() == QEvent::EnabledChange) {
        // A disabled control gets no mouse release: a press in progress ends here, or the repeat
        // would go on firing while the button is disabled.
        if (!isEnabled()) {
            StopRepeat();
            m_mouseDown = false;
            DisarmClick();
        }
        update();
    }
}

// ---------------------------------------------------------------------------------------------
// TskButton

TskButton::TskButton(QWidget* parent) : TskCustomButton(parent) {
    resize(80, 27);
    m_spacing = 4;
}

void TskButton::UIStyleChanged() {
    SetTransparent(Theme().Bool(SkinElement::ButtonTransparentBool));
}

void TskButton::ActionChange() {
    TskCustomButton::ActionChange();
    // An empty glyph takes the action's image.
    if (Action() && !Action()->icon().isNull() && m_glyph.isNull()) {
        SetGlyph(Action()->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_RGB32));
    }
}

void TskButton::SetGlyph(const QImage& value) {
    m_glyph = value;
    update();
}

void TskButton::SetLayout(TButtonLayout value) {
    m_layout = value;
    update();
}

void TskButton::SetSpacing(int value) {
    m_spacing = value;
    update();
}

void TskButton::PaintPicture(QPainter& canvas, QImage& bitmap) {
    canvas.setFont(font());
    DrawNinePartBitmap(bitmap, canvas, TRect(0, 0, width(), height()), m_drawTransparent);
    if (m_glyph.isNull() || m_glyph.width() <= 0 || m_glyph.height() <= 0) return;
    const QFontMetrics fm(font());
    const int tw = fm.horizontalAdvance(StripAccelerator(Caption()));
    const int th = fm.height();
    int gw = m_glyph.width();
    const int gh = m_glyph.height();
    const bool twoImages = gw == 2 * gh;
    if (twoImages) gw = gh;
    const int W = width(), H = height(), S = m_spacing;
    int gx = 0, gy = 0;
    switch (m_layout) {
    case blGlyphLeft:
        gx = (W - tw - gw - S) / 2, gy = (H - gh) / 2;
        m_captionX = gx + gw + S, m_captionY = (H - th) / 2;
        break;
    case blGlyphRight:
        gx = (W + tw + S - gw) / 2, gy = (H - gh) / 2;
        m_captionX = gx - tw - S, m_captionY = (H - th) / 2;
        break;
    case blGlyphTop:
        gx = (W - gw) / 2, gy = (H - th - gh - S) / 2;
        m_captionX = (W - tw) / 2, m_captionY = gy + gh + S;
        break;
    case blGlyphBottom:
        gx = (W - gw) / 2, gy = (H + th + S - gh) / 2;
        m_captionX = (W - tw) / 2, m_captionY = gy - th - S;
        break;
    }
    if (IsMouseDown()) gx += 1, gy += 1;
    if (twoImages) {
        const QImage image = m_glyph.copy(isEnabled() ? 0 : gw, 0, gw, gh);
        DrawListImage(canvas, gx, gy, image, true, true);
    } else {
        DrawListImage(canvas, gx, gy, m_glyph, true, isEnabled());
    }
}

void TskButton::PaintCaption(QPainter& canvas, const QString& caption) {
    if (m_glyph.isNull()) {
        TskCustomButton::PaintCaption(canvas, caption);
        return;
    }
    canvas.setFont(font());
    const int flags = Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic;
    if (!isEnabled()) {
        canvas.setPen(ColorToQColor(clWhite));
        canvas.drawText(QRect(QPoint(m_captionX + 1, m_captionY + 1), QPoint(width() - 1, height() - 1)),
                        flags, caption);
        canvas.setPen(ColorToQColor(kGrey));
    } else {
        canvas.setPen(palette().color(QPalette::Active, QPalette::WindowText));
        if (IsMouseDown()) m_captionX += 1, m_captionY += 1;
    }
    canvas.drawText(QRect(QPoint(m_captionX, m_captionY), QPoint(width() - 1, height() - 1)), flags, caption);
}

void TskButton::PaintFocus(QImage& buffer) {
    if (m_uiStyle == MacOS || m_uiStyle == BlueGlass) {
        m_boldCaption = true;
        return;
    }
    TskCustomButton::PaintFocus(buffer);
}

// ---------------------------------------------------------------------------------------------
// TskImageButton

TskImageButton::TskImageButton(QWidget* parent) : TskCustomButton(parent) {}

void TskImageButton::SetPic(int index, const QImage& value) {
    m_pics[index] = value;
    AutoSizeButton();
    update();
}

void TskImageButton::SetStretch(bool value) {
    m_stretch = value;
    update();
}

void TskImageButton::SetDrawFocused(bool value) {
    m_drawFocused = value;
    update();
}

void TskImageButton::AutoSizeButton() {
    if (parentWidget() && AutoSize() && !m_pics[0].isNull()) resize(m_pics[0].size());
}

void TskImageButton::GetNormalPicture(QImage& graphic) {
    if (!m_pics[0].isNull()) graphic = m_pics[0];
}

void TskImageButton::GetMouseOnPicture(QImage& graphic) {
    if (!m_pics[1].isNull())
        graphic = m_pics[1];
    else if (!m_pics[0].isNull())
        graphic = m_pics[0];
}

void TskImageButton::GetMouseDownPicture(QImage& graphic) {
    if (!m_pics[2].isNull())
        graphic = m_pics[2];
    else if (!m_pics[0].isNull())
        graphic = m_pics[0];
}

void TskImageButton::GetDisabledPicture(QImage& graphic) {
    if (!m_pics[3].isNull())
        graphic = m_pics[3];
    else if (!m_pics[0].isNull())
        graphic = m_pics[0];
}

void TskImageButton::PaintPicture(QPainter& canvas, QImage& bitmap) {
    if (bitmap.isNull() || bitmap.width() <= 0 || bitmap.height() <= 0) return;
    // Transparent drawing leaves out the colour of the top-left pixel; a disabled picture is shown
    // as it is, not greyed.
    const TColor key = PixelColor(bitmap, 0, 0);
    if (m_stretch) {
        QImage scaled =
            StretchNearest(bitmap, TRect(0, 0, bitmap.width(), bitmap.height()), width(), height());
        canvas.drawImage(0, 0, m_drawTransparent ? MaskedImage(scaled, key) : scaled);
    } else {
        canvas.drawImage(0, 0, m_drawTransparent ? MaskedImage(bitmap, key) : bitmap);
    }
}

void TskImageButton::PaintFocus(QImage& buffer) {
    if (m_drawFocused) TskCustomButton::PaintFocus(buffer);
}

// ---------------------------------------------------------------------------------------------
// TskCheckBox

TskCheckBox::TskCheckBox(QWidget* parent) : TskControl(parent) {
    InitColor(clWindow, true);
    m_checked = false;
    resize(93, 17);
    SetFocusPolicies(Qt::StrongFocus, Qt::ClickFocus);
    SetTabStop(true);
    m_uiStyle = OwnerFormUIStyle(parent);
    ApplyAutoSize(BoxPicture());
}

void TskCheckBox::UIStyleChanged() {
    ApplyAutoSize(BoxPicture());
}

void TskCheckBox::SetAutoSize(bool value) {
    m_autoSize = value;
    ApplyAutoSize(BoxPicture());
    update();
}

void TskCheckBox::SetChecked(bool value) {
    if (value == m_checked) return;
    m_checked = value;
    update();
    CheckedChanged();
}

void TskCheckBox::CheckedChanged() {
    Q_EMIT OnClick();
}

void TskCheckBox::Toggle() {
    BeforeToggle();
    SetChecked(!m_checked);
}

void TskCheckBox::SetTransparent(bool value) {
    m_transparent = value;
    update();
}

void TskCheckBox::SetCaption(const QString& value) {
    m_caption = value;
    SetAccelerator(m_caption, [this] {
        if (!isEnabled()) return;
        if (isVisible()) setFocus(Qt::ShortcutFocusReason);
        Click();
    });
    ApplyAutoSize(BoxPicture());
    update();
}

void TskCheckBox::SetEnabled(bool value) {
    setEnabled(value);
    update();
}

void TskCheckBox::Click() {
    Toggle();
}

int TskCheckBox::BoxPiece() const {
    if (isEnabled()) return m_checked ? 1 : 2;
    return m_checked ? 3 : 4;
}

QImage TskCheckBox::BoxPicture() const {
    return Theme().Bitmap(GetThemeImageIndex(), 4, BoxPiece());
}

void TskCheckBox::ApplyAutoSize(const QImage& box) {
    if (!m_autoSize) return;
    const QFontMetrics fm(font());
    const int h = std::max(fm.height() + 2, box.height()) + 4;
    const int w = box.width() + fm.horizontalAdvance(StripAccelerator(m_caption)) + 8;
    if (w != width() || h != height()) resize(w, h);
}

QImage TskCheckBox::Render() {
    const QImage box = BoxPicture();
    ApplyAutoSize(box);
    QImage buffer = NewBuffer();
    QPainter p(&buffer);
    if (m_transparent)
        DrawParentBackground(p, this);
    else
        p.fillRect(rect(), ColorToQColor(Color()));
    if (!box.isNull()) {
        // A transparent box leaves out the colour of its bottom-left pixel.
        const QImage drawn =
            IsBoxTransparent() ? MaskedImage(box, PixelColor(box, 0, box.height() - 1)) : box;
        p.drawImage(1, (height() - box.height()) / 2, drawn);
    }
    const QFontMetrics fm(font());
    const int textLeft = box.width() + 4;
    const int textTop = (height() - fm.height()) / 2;
    p.setFont(font());
    p.setPen(palette().color(QPalette::Active, QPalette::WindowText));
    p.drawText(QRect(QPoint(textLeft, textTop), QPoint(width() - 1, height() - 1)),
               Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, m_caption);
    p.end();
    if (NeedFocusRect()) {
        DrawFocusRect(
            buffer, QRect(QPoint(textLeft - 1, textTop), QPoint(width() - 1, textTop + fm.height() + 2 - 1)));
    }
    return buffer;
}

void TskCheckBox::mousePressEvent(QMouseEvent* event) {
    EmitMouseDown(event);
    if (event->button() == Qt::LeftButton) {
        ArmClick(event);
        if (isEnabled() && isVisible()) setFocus(Qt::MouseFocusReason);
    }
}

void TskCheckBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // No double clicks: two fast clicks toggle twice.
    mousePressEvent(event);
}

void TskCheckBox::mouseMoveEvent(QMouseEvent* event) {
    EmitMouseMove(event);
}

void TskCheckBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = TakeClick(event);
    if (click && isEnabled()) Click();
    EmitMouseUp(event);
}

void TskCheckBox::keyPressEvent(QKeyEvent* event) {
    EmitKeyDown(event);
    if (IsDialogKey(event->key())) return;
    QWidget::keyPressEvent(event);
}

void TskCheckBox::keyReleaseEvent(QKeyEvent* event) {
    EmitKeyUp(event);
    if (event->isAutoRepeat()) return;
    if (ToggleOnKeyUp() && IsDialogKey(event->key()) && hasFocus() && isEnabled()) {
        update();
        Click();
    }
}

void TskCheckBox::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) ApplyAutoSize(BoxPicture());
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange) update();
}

// ---------------------------------------------------------------------------------------------
// TskRadioButton

TskRadioButton::TskRadioButton(QWidget* parent) : TskCheckBox(parent) {}

void TskRadioButton::UncheckGroup() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    for (QObject* child : parent->children()) {
        auto* radio = qobject_cast<TskRadioButton*>(child);
        if (radio && radio != this && radio->m_groupIndex == m_groupIndex) radio->SetChecked(false);
    }
}

void TskRadioButton::CheckedChanged() {
    if (!Checked()) return;
    UncheckGroup();
    Q_EMIT OnClick();
}

void TskRadioButton::Toggle() {
    if (!Checked()) SetChecked(true);
}

void TskRadioButton::mouseDoubleClickEvent(QMouseEvent* event) {
    TskCheckBox::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) Q_EMIT OnDblClick();
}
