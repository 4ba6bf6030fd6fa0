#include "skin/SKComboBox.h"

#include "platform/DropDownList.h"
#include "skin/SKPublic.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionComboBox>

namespace {
// The small arrow of the button: rows of 7, 5, 3 and 1 pixels from (X, Y) down.
void DrawArrow(QPainter& p, int x, int y, TColor color) {
    p.setPen(ColorToQColor(color));
    for (int i = 0; i <= 3; ++i)
        p.drawLine(x + i, y + i, x + 6 - i, y + i);
}
} // namespace

void TskNativeComboBox::showPopup() {
    if (onShowPopup) onShowPopup();
    QComboBox::showPopup();
    KeepEscapeInList(this);
    PlaceDropDownList(this);
}

void TskNativeComboBox::hidePopup() {
    QComboBox::hidePopup();
    if (onHidePopup) onHidePopup();
}

TskCustomComboBox::TskCustomComboBox(QWidget* parent) : TskControl(parent) {
    InitColor(clWindow, false);
    SetFocusPolicies(Qt::StrongFocus, Qt::ClickFocus);
    SetTabStop(true);
    // The native combo box fills the control; the skin is drawn over it after each of its paints.
    m_combo = new TskNativeComboBox(this);
    m_combo->installEventFilter(this);
    m_combo->onShowPopup = [this] { ListShown(); };
    m_combo->onHidePopup = [this] { ListClosed(); };
    SetFocusWidget(m_combo);
    SetStyle(csDropDown);
    m_combo->setMaxVisibleItems(8);
    resize(145, 21);
    connect(m_combo, &QComboBox::activated, this, &TskCustomComboBox::Activated);
    SetUIStyle(OwnerFormUIStyle(parent));
}

void TskCustomComboBox::SetBorderColor(TColor value) {
    m_borderColor = value;
    m_combo->update();
    if (m_listWindow) m_listWindow->update();
}

void TskCustomComboBox::SetButtonColor(TColor value) {
    m_buttonColor = value;
    m_combo->update();
}

void TskCustomComboBox::SetArrowColor(TColor value) {
    m_arrowColor = value;
    m_combo->update();
}

void TskCustomComboBox::UIStyleChanged() {
    m_arrowColor = clBlack;
    const TskThemeSource source = Theme();
    m_borderColor = source.Color(SkinElement::ControlBorderColor);
    m_buttonColor = source.Color(SkinElement::FormBackgroundColor);
    m_combo->update();
}

void TskCustomComboBox::SetStyle(TComboBoxStyle value) {
    m_style = value;
    const bool editable = value == csDropDown || value == csSimple;
    if (editable != m_combo->isEditable()) m_combo->setEditable(editable);
    if (editable) {
        m_combo->setInsertPolicy(QComboBox::NoInsert);
        m_combo->lineEdit()->setMaxLength(m_maxLength > 0 ? m_maxLength : 32767);
        m_combo->lineEdit()->installEventFilter(this);
        connect(m_combo->lineEdit(), &QLineEdit::textEdited, this, &TskCustomComboBox::OnChange,
                Qt::UniqueConnection);
        SetAutoComplete(m_autoComplete);
    }
    ColorChanged();
}

void TskCustomComboBox::SetAutoComplete(bool value) {
    m_autoComplete = value;
    if (!m_combo->lineEdit()) return;
    if (!value) {
        m_combo->setCompleter(nullptr);
    } else if (!m_combo->completer()) {
        auto* c = new QCompleter(m_combo->model(), m_combo);
        c->setCompletionMode(QCompleter::InlineCompletion);
        c->setCaseSensitivity(Qt::CaseInsensitive);
        m_combo->setCompleter(c);
    }
}

void TskCustomComboBox::ColorChanged() {
    QPalette pal = m_combo->palette();
    pal.setColor(QPalette::Base, ColorToQColor(Color()));
    pal.setColor(QPalette::Button, ColorToQColor(Color()));
    m_combo->setPalette(pal);
    m_combo->update();
}

QStringList TskCustomComboBox::Items() const {
    QStringList items;
    for (int i = 0; i < m_combo->count(); ++i)
        items << m_combo->itemText(i);
    return items;
}

void TskCustomComboBox::SetItems(const QStringList& value) {
    const QString text = m_combo->currentText();
    m_combo->clear();
    m_combo->addItems(value);
    if (m_sorted) m_combo->model()->sort(0);
    m_combo->setCurrentIndex(-1);
    if (m_combo->isEditable()) m_combo->setEditText(text);
}

void TskCustomComboBox::SetItemIndex(int value) {
    m_combo->setCurrentIndex(value >= 0 && value < m_combo->count() ? value : -1);
}

void TskCustomComboBox::SetSorted(bool value) {
    m_sorted = value;
    if (value) m_combo->model()->sort(0);
}

void TskCustomComboBox::SetDropDownCount(int value) {
    m_combo->setMaxVisibleItems(std::max(1, value));
}

void TskCustomComboBox::SetMaxLength(int value) {
    m_maxLength = std::max(0, value);
    if (m_combo->lineEdit()) m_combo->lineEdit()->setMaxLength(m_maxLength > 0 ? m_maxLength : 32767);
}

void TskCustomComboBox::SetText(const QString& value) {
    if (m_combo->isEditable())
        m_combo->setEditText(value);
    else
        m_combo->setCurrentIndex(m_combo->findText(value));
}

void TskCustomComboBox::Activated(int) {
    // A choice from the list: OnClick, then OnSelect, or OnChange when nobody handles OnSelect.
    Q_EMIT OnClick();
    if (isSignalConnected(QMetaMethod::fromSignal(&TskCustomComboBox::OnSelect)))
        Q_EMIT OnSelect();
    else
        Q_EMIT OnChange();
}

QRect TskCustomComboBox::ButtonRect() const {
    QStyleOptionComboBox option;
    option.initFrom(m_combo);
    option.editable = m_combo->isEditable();
    option.subControls = QStyle::SC_All;
    const QRect arrow =
        m_combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, m_combo);
    // Inside the two-pixel skin frame, as wide as the platform's button.
    const QRect inner = rect().adjusted(2, 2, -2, -2);
    QRect r(inner.right() + 1 - arrow.width(), inner.top(), arrow.width(), inner.height());
    return r.intersected(inner);
}

QWidget* TskCustomComboBox::ListWindow() const {
    return m_listWindow && m_listWindow->isVisible() ? m_listWindow.data() : nullptr;
}

void TskCustomComboBox::ListShown() {
    Q_EMIT OnDropDown();
    QWidget* list = m_combo->view() ? m_combo->view()->window() : nullptr;
    if (list && list != m_listWindow) {
        m_listWindow = list;
        // A one-pixel frame keeps the list's items off the outermost pixels the skin frame takes.
        if (auto* frame = qobject_cast<QFrame*>(list)) {
            frame->setFrameStyle(QFrame::Box | QFrame::Plain);
            frame->setLineWidth(1);
        }
        list->installEventFilter(this);
    }
    if (m_listWindow) m_listWindow->update();
}

void TskCustomComboBox::ListClosed() {
    // The frame round the list goes with the list; what it covered is drawn again.
    if (parentWidget()) parentWidget()->update();
    m_combo->update();
}

bool TskCustomComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_listWindow && event->type() == QEvent::Paint) {
        // The list window paints itself first, then gets the border-coloured frame.
        static_cast<QObject*>(m_listWindow.data())->event(event);
        QPainter p(m_listWindow.data());
        p.setPen(ColorToQColor(m_borderColor));
        p.drawRect(m_listWindow->rect().adjusted(0, 0, -1, -1));
        return true;
    }
    const bool native = watched == m_combo || (m_combo->lineEdit() && watched == m_combo->lineEdit());
    if (!native) return TskControl::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint:
        if (watched != m_combo || m_style == csSimple) return false;
        static_cast<QObject*>(m_combo)->event(event);
        {
            QPainter p(m_combo);
            DrawSkin(p);
        }
        return true;
    case QEvent::KeyPress: {
        auto* e = static_cast<QKeyEvent*>(event);
        EmitKeyDown(e);
        watched->event(event);
        // AutoDropDown: typing a character opens the list.
        if (m_autoDropDown && !e->text().isEmpty() && e->text().at(0).isPrint() && !ListWindow()) DropDown();
        return true;
    }
    case QEvent::KeyRelease:
        watched->event(event);
        EmitKeyUp(static_cast<QKeyEvent*>(event));
        return true;
    case QEvent::MouseButtonDblClick:
        watched->event(event);
        Q_EMIT OnDblClick();
        return true;
    case QEvent::FocusIn:
        if (watched == m_combo && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            Q_EMIT OnEnter();
        return false;
    case QEvent::FocusOut:
        if (watched == m_combo && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            Q_EMIT OnExit();
        return false;
    default:
        return false;
    }
}

QImage TskCustomComboBox::Render() {
    QImage buffer = NewBuffer();
    buffer.fill(ColorToQColor(Color()));
    QPainter p(&buffer);
    FrameControlBorder(p, this, m_borderColor, Color(), true);
    return buffer;
}

void TskCustomComboBox::DrawSkin(QPainter& p) {
    FrameControlBorder(p, this, m_borderColor, Color(), true);
    const QRect b = ButtonRect();
    if (b.isEmpty()) return;
    const TRect r = TRect::FromQRect(b);
    // The stored style decides, not the resolved one: a theme file always gets the flat button.
    if (m_uiStyle == MacOS || m_uiStyle == WinXP) {
        QImage picture;
        LoadBitmapResource(m_uiStyle == MacOS ? QStringLiteral("MACOS_COMBOBOX_BUTTON")
                                              : QStringLiteral("WINXP_COMBOBOX_BUTTON"),
                           picture);
        if (!picture.isNull())
            p.drawImage(r.Left, r.Top,
                        StretchNearest(picture, TRect(0, 0, picture.width(), picture.height()), r.Width(),
                                       r.Height()));
    } else {
        p.fillRect(b, ColorToQColor(m_buttonColor));
        p.setPen(ColorToQColor(m_borderColor));
        p.drawLine(r.Left, r.Top - 1, r.Left, r.Bottom);
    }
    if (m_uiStyle == WinXP) return;
    const int x = r.Left + r.Width() / 2 - 3;
    const int y = r.Height() / 2;
    if (isEnabled()) {
        DrawArrow(p, x, y, m_arrowColor);
    } else {
        DrawArrow(p, x + 1, y + 1, 0xFFFFFF);
        DrawArrow(p, x, y, 0x808080);
    }
}

void TskCustomComboBox::resizeEvent(QResizeEvent* event) {
    TskControl::resizeEvent(event);
    m_combo->setGeometry(rect());
}

void TskCustomComboBox::changeEvent(QEvent* event) {
    TskControl::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) m_combo->update();
    if (event->type() == QEvent::ParentChange) ColorChanged();
}

TskComboBox::TskComboBox(QWidget* parent) : TskCustomComboBox(parent) {}
