#include "skin/SKMemo.h"

#include "skin/SKScrollBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr int kBorder = 2;

} // namespace

TskMemo::TskMemo(QWidget* parent) : TskControl(parent) {
    InitColor(clWindow, false);
    SetFocusPolicies(Qt::StrongFocus, Qt::ClickFocus);
    m_edit = new QPlainTextEdit(this);
    m_edit->setFrameShape(QFrame::NoFrame);
    m_edit->setTabChangesFocus(true);
    m_edit->installEventFilter(this);
    m_edit->viewport()->installEventFilter(this);
    SetFocusWidget(m_edit);
    SetTabStop(true);
    resize(185, 89);
    for (QScrollBar* native : {m_edit->horizontalScrollBar(), m_edit->verticalScrollBar()}) {
        native->installEventFilter(this);
        connect(native, &QScrollBar::valueChanged, this, [this] {
            if (!m_scrolling) SyncScrollBars();
        });
        connect(native, &QScrollBar::rangeChanged, this, [this] {
            if (!m_scrolling) SyncScrollBars();
        });
    }
    // The edit moves its own vertical bar with the bar's signals blocked; its update request tells.
    connect(m_edit, &QPlainTextEdit::updateRequest, this, [this](const QRect&, int dy) {
        if (dy != 0 && !m_scrolling) SyncScrollBars();
    });
    connect(m_edit, &QPlainTextEdit::textChanged, this, [this] {
        if (m_cutting) return;
        if (m_maxLength > 0 && m_edit->document()->characterCount() - 1 > m_maxLength) {
            // Past the limit: what was typed or pasted beyond it is cut off.
            m_cutting = true;
            QTextCursor cursor(m_edit->document());
            cursor.setPosition(m_maxLength);
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            m_cutting = false;
        }
        Q_EMIT OnChange();
        SyncScrollBars();
    });
    SetWordWrap(true);
    SetUIStyle(OwnerFormUIStyle(parent));
    ApplyPalette();
}

TskMemo::~TskMemo() {
    // Attached bars outlive the memo: they are given back as detaching does.
    SetVScrollBar(nullptr);
    SetHScrollBar(nullptr);
}

void TskMemo::SetBorderColor(TColor value) {
    m_borderColor = value;
    update();
}

void TskMemo::UIStyleChanged() {
    const TskThemeSource source = Theme();
    m_borderColor = source.Color(SkinElement::ControlBorderColor);
    const TskUIStyle resolved = source.fromFile ? FromThemeFile : source.style;
    for (TskScrollBar* bar : {m_hBar.data(), m_vBar.data()}) {
        if (!bar) continue;
        bar->SetFileTheme(FileTheme());
        bar->SetUIStyle(resolved);
    }
    PlaceScrollBars();
}

void TskMemo::ColorChanged() {
    ApplyPalette();
}

void TskMemo::ApplyPalette() {
    QPalette pal = m_edit->palette();
    pal.setColor(QPalette::Base, ColorToQColor(Color()));
    pal.setColor(QPalette::Text, palette().color(QPalette::Active, QPalette::WindowText));
    m_edit->setPalette(pal);
}

void TskMemo::changeEvent(QEvent* event) {
    TskControl::changeEvent(event);
    switch (event->type()) {
    case QEvent::PaletteChange:
        ApplyPalette();
        break;
    case QEvent::FontChange:
        m_edit->setFont(font());
        break;
    case QEvent::EnabledChange:
        SyncScrollBars();
        break;
    default:
        break;
    }
}

void TskMemo::SetAlignment(TAlignment value) {
    m_alignment = value;
    ApplyAlignment();
}

void TskMemo::ApplyAlignment() {
    QTextOption option = m_edit->document()->defaultTextOption();
    option.setAlignment(m_alignment == taRightJustify ? Qt::AlignRight
                        : m_alignment == taCenter     ? Qt::AlignHCenter
                                                      : Qt::AlignLeft);
    m_edit->document()->setDefaultTextOption(option);
}

QStringList TskMemo::Lines() const {
    QStringList lines;
    for (QTextBlock b = m_edit->document()->begin(); b.isValid(); b = b.next())
        lines.append(b.text());
    if (lines.size() == 1 && lines.first().isEmpty()) lines.clear();
    return lines;
}

void TskMemo::SetLines(const QStringList& value) {
    SetText(value.join(u'\n'));
}

QString TskMemo::Text() const {
    return m_edit->toPlainText();
}

void TskMemo::SetText(const QString& value) {
    m_edit->setPlainText(value);
    ApplyAlignment();
}

void TskMemo::SetMaxLength(int value) {
    m_maxLength = std::max(0, value);
}

bool TskMemo::ReadOnly() const {
    return m_edit->isReadOnly();
}

void TskMemo::SetReadOnly(bool value) {
    m_edit->setReadOnly(value);
}

void TskMemo::SetScrollBars(TScrollStyle value) {
    m_scrollBars = value;
    const bool h = value == ssHorizontal || value == ssBoth;
    const bool v = value == ssVertical || value == ssBoth;
    m_edit->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_edit->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    SyncScrollBars();
}

void TskMemo::SetWantTabs(bool value) {
    m_wantTabs = value;
    m_edit->setTabChangesFocus(!value);
}

void TskMemo::SetWordWrap(bool value) {
    m_wordWrap = value;
    m_edit->setLineWrapMode(value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TskMemo::SetVScrollBar(TskScrollBar* value) {
    Attach(m_vBar, value, true);
}

void TskMemo::SetHScrollBar(TskScrollBar* value) {
    Attach(m_hBar, value, false);
}

void TskMemo::Attach(QPointer<TskScrollBar>& slot, TskScrollBar* value, bool vertical) {
    if (value == slot) return;
    QMetaObject::Connection& change = vertical ? m_vChange : m_hChange;
    if (slot) {
        QObject::disconnect(change);
        disconnect(slot, &QObject::destroyed, this, nullptr);
        slot->SetLineButton(0);
        slot->SetMax(100);
        slot->setEnabled(true);
    }
    change = {};
    slot = value;
    if (!value) {
        RecomputeScrollBars();
        return;
    }
    value->SetOrientation(vertical ? skVertical : skHorizontal);
    change = connect(value, &TskScrollBar::OnChange, this, [this, vertical] { BarChanged(vertical); });
    // A bar that goes away is forgotten. The bar is half destroyed by then (no longer a scroll
    // bar), so the slot is cleared by which side it holds, never by looking at the bar.
    connect(value, &QObject::destroyed, this, [this, vertical] {
        (vertical ? m_vBar : m_hBar) = nullptr;
        RecomputeScrollBars();
    });
    value->raise();
    RecomputeScrollBars();
    PlaceScrollBars();
}

void TskMemo::RecomputeScrollBars() {
    const bool h = !m_hBar.isNull(), v = !m_vBar.isNull();
    SetScrollBars(h && v ? ssBoth : v ? ssVertical : h ? ssHorizontal : ssNone);
}

void TskMemo::BarChanged(bool vertical) {
    if (m_syncing) return;
    TskScrollBar* bar = vertical ? m_vBar.data() : m_hBar.data();
    if (!bar) return;
    m_scrolling = true;
    (vertical ? m_edit->verticalScrollBar() : m_edit->horizontalScrollBar())->setValue(bar->Position());
    m_edit->viewport()->update();
    m_scrolling = false;
}

void TskMemo::SyncScrollBars() {
    if (m_scrolling || m_syncing) return;
    m_syncing = true;
    if (m_hBar) m_hBar->FollowNative(m_edit->horizontalScrollBar());
    if (m_vBar) m_vBar->FollowNative(m_edit->verticalScrollBar());
    m_syncing = false;
}

void TskMemo::PlaceScrollBars() {
    QWidget* parent = parentWidget();
    auto place = [this, parent](TskScrollBar* bar, const QRect& inParent) {
        // The bars are the memo's siblings; one on another parent is placed the same on screen.
        const QWidget* barParent = bar->parentWidget();
        QRect r = inParent;
        if (parent && barParent && barParent != parent)
            r.moveTopLeft(barParent->mapFromGlobal(parent->mapToGlobal(inParent.topLeft())));
        bar->setGeometry(r);
    };
    const QRect g = geometry();
    if (m_hBar) {
        m_hBar->setVisible(!isHidden() && g.height() >= m_hBar->height());
        const int w = g.width() - 2 - (m_vBar ? m_vBar->width() : 0);
        place(m_hBar, QRect(g.left() + 1, g.top() + g.height() - m_hBar->height() - 2, std::max(0, w),
                            m_hBar->height()));
    }
    if (m_vBar) {
        m_vBar->setVisible(!isHidden() && g.width() >= m_vBar->width());
        const int h = g.height() - 2 - (m_hBar ? m_hBar->height() : 0);
        place(m_vBar, QRect(g.left() + g.width() - m_vBar->width() - 2, g.top() + 1, m_vBar->width(),
                            std::max(0, h)));
    }
    SyncScrollBars();
}

QImage TskMemo::Render() {
    QImage buffer = NewBuffer();
    buffer.fill(ColorToQColor(Color()));
    QPainter p(&buffer);
    FrameControlBorder(p, this, m_borderColor, Color(), true);
    return buffer;
}

void TskMemo::resizeEvent(QResizeEvent* event) {
    TskControl::resizeEvent(event);
    m_edit->setGeometry(rect().adjusted(kBorder, kBorder, -kBorder, -kBorder));
    PlaceScrollBars();
}

void TskMemo::moveEvent(QMoveEvent* event) {
    TskControl::moveEvent(event);
    PlaceScrollBars();
}

void TskMemo::showEvent(QShowEvent* event) {
    TskControl::showEvent(event);
    PlaceScrollBars();
}

void TskMemo::hideEvent(QHideEvent* event) {
    TskControl::hideEvent(event);
    for (TskScrollBar* bar : {m_hBar.data(), m_vBar.data()})
        if (bar) bar->hide();
}

bool TskMemo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit || watched == m_edit->viewport()) {
        auto* w = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool isReturn = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (isReturn && !m_wantReturns) {
                // Not the memo's: the window's short-cuts (its default button) may take it.
                event->ignore();
                return true;
            }
            if (event->type() == QEvent::KeyPress && watched == m_edit) EmitKeyDown(key);
            break;
        }
        case QEvent::KeyRelease:
            if (watched == m_edit) EmitKeyUp(static_cast<QKeyEvent*>(event));
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* m = static_cast<QMouseEvent*>(event);
            const QPoint pos = w->mapTo(this, m->position().toPoint());
            if (m->button() == Qt::LeftButton) {
                m_leftDown = true;
                ArmClick(m);
            }
            EmitMouseDown(m->button(), m->modifiers(), pos);
            if (event->type() == QEvent::MouseButtonDblClick && m->button() == Qt::LeftButton)
                Q_EMIT OnDblClick();
            break;
        }
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(event);
            EmitMouseMove(m->modifiers(), w->mapTo(this, m->position().toPoint()));
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto* m = static_cast<QMouseEvent*>(event);
            const QPoint pos = w->mapTo(this, m->position().toPoint());
            if (m->button() == Qt::LeftButton) m_leftDown = false;
            const QMouseEvent local(m->type(), QPointF(pos), m->globalPosition(), m->button(), m->buttons(),
                                    m->modifiers());
            if (TakeClick(&local)) Q_EMIT OnClick();
            EmitMouseUp(m->button(), m->modifiers(), pos);
            break;
        }
        case QEvent::FocusIn:
            if (watched == m_edit) Q_EMIT OnEnter();
            break;
        case QEvent::FocusOut:
            if (watched == m_edit) Q_EMIT OnExit();
            break;
        default:
            break;
        }
    } else if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        // The memo's own bars come and go with the text: the skin bars follow.
        SyncScrollBars();
    }
    return TskControl::eventFilter(watched, event);
}
