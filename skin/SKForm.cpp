#include "skin/SKForm.h"

#include "platform/UserMessages.h"
#include "platform/WindowShape.h"
#include "skin/SKMainMenu.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>

namespace {

// The three-pixel dialog frame the form keeps around the client area.
constexpr int kFrame = TskForm::FrameWidth;

QString PlainCaption(const QString& caption) {
    return StripAccelerator(caption);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The menu bar: one button per top-level item of the attached main menu, drawn in the menu's look.

class TskFormMenuBar : public TskControl {
public:
    explicit TskFormMenuBar(TskForm* panel) : TskControl(panel), m_panel(panel) {
        setMouseTracking(true);
        setAttribute(Qt::WA_Hover);
    }

    QList<QAction*> Items() const {
        auto* menu = qobject_cast<TskMainMenu*>(m_panel->Menu());
        return menu ? menu->Items()->actions() : QList<QAction*>();
    }

    // Auto-sized buttons side by side, in menu order.
    QList<QRect> Buttons() const {
        QList<QRect> rects;
        const QFontMetrics fm(font());
        int x = 0;
        for (QAction* a : Items()) {
            if (!a->isVisible() || a->isSeparator()) {
                rects.append(QRect());
                continue;
            }
            const int w = fm.horizontalAdvance(PlainCaption(a->text())) + 16;
            rects.append(QRect(x, 0, w, height()));
            x += w;
        }
        return rects;
    }

    void Popup(int index) {
        const QList<QAction*> items = Items();
        if (index < 0 || index >= items.size() || !items[index]->isEnabled()) return;
        QAction* action = items[index];
        if (!action->menu()) {
            action->trigger();
            return;
        }
        m_pressed = index;
        update();
        QMenu* sub = action->menu();
        const QRect r = Buttons().value(index);
        QObject::connect(
            sub, &QMenu::aboutToHide, this,
            [this] {
                m_pressed = -1;
                update();
            },
            Qt::SingleShotConnection);
        sub->popup(mapToGlobal(r.bottomLeft() + QPoint(0, 1)));
    }

    QImage Render() override {
        QImage buffer = NewBuffer();
        QPainter p(&buffer);
        auto* menu = qobject_cast<TskMainMenu*>(m_panel->Menu());
        const TskFileTheme* theme = menu ? menu->FileTheme() : m_panel->FileTheme();
        const TskUIStyle uiStyle = menu ? menu->UIStyle() : m_panel->UIStyle();
        const TskThemeSource source = TskThemeSource::Resolve(theme, uiStyle);
        p.fillRect(rect(), ColorToQColor(m_panel->MenuBarColor()));
        if (uiStyle == MacOS) {
            QImage bar;
            if (LoadBitmapResource(QStringLiteral("MACOS_MENU_BAR"), bar))
                p.drawImage(0, 0,
                            StretchNearest(bar, TRect(0, 0, bar.width(), bar.height()), width(), height()));
        }
        QFont f = font();
        if (menu) f = menu->Look().ItemFont();
        p.setFont(f);
        const QList<QAction*> items = Items();
        const QList<QRect> buttons = Buttons();
        const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
        for (qsizetype i = 0; i < items.size() && i < buttons.size(); ++i) {
            QRect r = buttons[i];
            if (r.isEmpty()) continue;
            const bool pressed = m_pressed == i;
            const bool hot = pressed || (m_hot == i && items[i]->isEnabled());
            if (hot && uiStyle == MacOS) {
                QImage select;
                if (LoadBitmapResource(QStringLiteral("MACOS_MENU_SELECT"), select))
                    p.drawImage(r.topLeft(),
                                StretchNearest(select, TRect(0, 0, select.width(), select.height()),
                                               r.width(), r.height()));
                p.setPen(ColorToQColor(source.Color(SkinElement::MenuSelectedFontColor)));
                p.drawText(r.adjusted(0, 2, 0, 0), flags, items[i]->text());
            } else if (hot) {
                if (pressed) r.setRight(r.right() - 2);
                p.fillRect(r, ColorToQColor(source.Color(SkinElement::MenuSelectedBackgroundColor)));
                p.setPen(ColorToQColor(source.Color(SkinElement::MenuSelectedBorderColor)));
                p.drawRect(r.adjusted(0, 0, -1, -1));
                if (pressed) r.setLeft(r.left() + 2);
                p.setPen(ColorToQColor(source.Color(SkinElement::MenuSelectedFontColor)));
                p.drawText(r.adjusted(0, 2, 0, 0), flags, items[i]->text());
            } else {
                TColor fontColor = source.Color(SkinElement::MenuFontColor);
                if (source.fromFile && source.Color(SkinElement::ControlFontColor) == 0x30000)
                    fontColor = clWhite;
                p.setPen(items[i]->isEnabled() ? ColorToQColor(fontColor) : QColor(128, 128, 128));
                p.drawText(r.adjusted(0, 2, 0, 0), flags, items[i]->text());
            }
        }
        return buffer;
    }

protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        const int hot = IndexAt(event->position().toPoint());
        if (hot != m_hot) {
            m_hot = hot;
            update();
        }
        TskControl::mouseMoveEvent(event);
    }
    void leaveEvent(QEvent* event) override {
        m_hot = -1;
        update();
        TskControl::leaveEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override {
        TskControl::mousePressEvent(event);
        if (event->button() == Qt::LeftButton) Popup(IndexAt(event->position().toPoint()));
    }

private:
    int IndexAt(const QPoint& pos) const {
        const QList<QRect> buttons = Buttons();
        for (qsizetype i = 0; i < buttons.size(); ++i)
            if (buttons[i].contains(pos)) return static_cast<int>(i);
        return -1;
    }

    TskForm* m_panel;
    int m_hot = -1;
    int m_pressed = -1;
};

// ---------------------------------------------------------------------------------------------
// TskForm

QWidget* TskForm::CheckOwner(QWidget* owner) {
    if (owner && owner->isWindow()) {
        for (const QObject* child : owner->children())
            if (child->isWidgetType() && child->inherits("TskForm"))
                throw ESkinError(
                    QStringLiteral("Sorry, You can create only one TskForm component in one form!"));
    }
    return owner;
}

TskForm::TskForm(QWidget* owner) : TskCustomPanel(CheckOwner(owner)) {
    m_titleBar = new TskTitleBar(this);
    connect(m_titleBar, &TskTitleBar::OnCustomBtnsClick, this, &TskForm::OnTitleBarCustomBtnsClick);
    connect(m_titleBar, &TskTitleBar::OnHelpBtnClick, this, &TskForm::OnTitleBarHelpBtnClick);
    // The bar sizes itself to its pictures: the bars below follow.
    m_titleBar->installEventFilter(this);
    InitColor(clBtnFace, false);
    if (owner && owner->isWindow()) {
        m_form = owner;
        // The frame lies inside the window, around its client area.
        owner->setContentsMargins(kFrame, kFrame, kFrame, kFrame);
        owner->setMinimumSize(std::max(owner->minimumWidth(), 125), std::max(owner->minimumHeight(), 50));
        setMinimumSize(125, 50);
        m_restoreRect = owner->geometry();
        // The frame is drawn inside the window; the window system draws none.
        owner->setWindowFlag(Qt::FramelessWindowHint, true);
        owner->installEventFilter(this);
        // Menu short-cuts and Alt+Space reach the window wherever the focus is.
        qApp->installEventFilter(this);
    }
    m_menuBarColor = Color();
    m_menuBarHeight = 22;
    m_constructed = true;
    SetUIStyle(DeepBlue);
    m_autoUpdateSub = false;
    SetAlign(alClient);
    if (m_form) SetCaption(m_form->windowTitle());
    TskCustomPanel::SetCaption(QString());
    LayOutBars();
}

TskForm::~TskForm() {
    if (auto* menu = qobject_cast<TskMainMenu*>(m_menu.data()); menu && menu->FormPanel() == this)
        menu->SetFormPanel(nullptr);
}

QRect TskForm::ParentAlignRect() const {
    const QRect all = TskCustomPanel::ParentAlignRect();
    if (!m_form || parentWidget() != m_form) return all;
    return all.adjusted(kFrame, kFrame, -kFrame, -kFrame);
}

void TskForm::SetBorderColor(TColor value) {
    m_borderColor = value;
    update();
    UpdateFrame();
}

void TskForm::SetBorderWidth(int value) {
    m_borderWidth = std::max(0, value);
    update();
    UpdateFrame();
    AlignControls();
}

void TskForm::UpdateFrame() {
    if (m_form) m_form->update();
}

void TskForm::SetTitleBarVisible(bool value) {
    if (value == TitleBarVisible()) return;
    m_titleBar->setVisible(value);
    m_titleBar->move(0, 0);
    LayOutBars();
    UpdateRegion();
    update();
}

void TskForm::SetCaption(const QString& value) {
    m_titleBar->SetCaption(value);
    if (m_form) m_form->setWindowTitle(value);
}

void TskForm::SetFormPanel(QWidget* value) {
    if (value == this) {
        ReportError(QStringLiteral("Sorry, you can't select the Form assign to FormPanel property"),
                    window());
        return;
    }
    m_formPanel = value;
    if (!value) return;
    if (auto* panel = qobject_cast<TskCustomPanel*>(value)) {
        panel->SetCaption(QString());
        panel->SetAlign(alClient);
    } else if (value->parentWidget() == this) {
        value->setGeometry(AlignRect());
    }
    AlignControls();
}

void TskForm::SetMenu(QObject* value) {
    if (value == m_menu) return;
    if (auto* old = qobject_cast<TskMainMenu*>(m_menu.data()); old && old->FormPanel() == this)
        old->SetFormPanel(nullptr);
    m_menu = value;
    if (auto* menu = qobject_cast<TskMainMenu*>(value)) {
        menu->SetFormPanel(this);
        // A menu that goes takes its bar with it.
        connect(menu, &QObject::destroyed, this, &TskForm::MenuDestroyed, Qt::UniqueConnection);
    }
    if (value) {
        CreateMenuBar();
        RebuildMenuBar();
        SetMenuBarFont();
    } else {
        ReleaseMenuBar();
    }
}

void TskForm::SetMenuBarColor(TColor value) {
    m_menuBarColor = value;
    if (m_menuBar) m_menuBar->update();
    update();
}

void TskForm::SetMenuBarHeight(int value) {
    m_menuBarHeight = std::clamp(value, 0, 200);
    LayOutBars();
}

int TskForm::RoundCorner() const {
    return TitleBarVisible() ? m_titleBar->RoundCorner() : 0;
}

void TskForm::SetRoundCorner(int value) {
    m_titleBar->SetRoundCorner(value);
    UpdateRegion();
}

int TskForm::TitleBarHeight() const {
    return TitleBarVisible() ? m_titleBar->height() : 0;
}

QWidget* TskForm::MenuBar() const {
    return m_menuBar;
}

QList<QRect> TskForm::MenuBarButtons() const {
    return m_menuBar ? m_menuBar->Buttons() : QList<QRect>();
}

QRect TskForm::AlignRect() const {
    if (!m_constructed) return rect();
    int top = TitleBarHeight();
    if (m_menuBar && m_menuBar->isVisibleTo(this)) top += m_menuBar->height();
    return QRect(0, top, width(), std::max(0, height() - top));
}

void TskForm::LayOutBars() {
    if (!m_constructed) return;
    if (TitleBarVisible()) m_titleBar->setGeometry(0, 0, width(), m_titleBar->height());
    if (m_menuBar) m_menuBar->setGeometry(0, TitleBarHeight(), width(), m_menuBarHeight);
    AlignControls();
    update();
    UpdateFrame();
}

void TskForm::CreateMenuBar() {
    if (m_menuBar) return;
    m_menuBar = new TskFormMenuBar(this);
    m_menuBar->show();
    m_titleBar->move(0, 0);
    LayOutBars();
}

void TskForm::MenuDestroyed(QObject* menu) {
    if (menu == m_menu || !m_menu) ReleaseMenuBar();
}

void TskForm::ReleaseMenuBar() {
    delete m_menuBar;
    m_menuBar = nullptr;
    m_menu = nullptr;
    LayOutBars();
}

void TskForm::RebuildMenuBar() {
    if (!m_menuBar) return;
    if (!m_menu) {
        ReleaseMenuBar();
        return;
    }
    m_menuBar->update();
}

void TskForm::RefreshMenuBar() {
    if (m_menuBar) m_menuBar->update();
}

void TskForm::SetMenuBarFont() {
    if (!m_menuBar) return;
    if (auto* menu = qobject_cast<TskMainMenu*>(m_menu.data())) m_menuBar->setFont(menu->Look().ItemFont());
    m_menuBar->update();
}

void TskForm::UIStyleChanged() {
    if (!m_constructed) return;
    const TskThemeSource source = Theme();
    SetBorderColor(source.Color(SkinElement::FormBorderColor));
    SetBorderWidth(source.Int(SkinElement::FormBorderWidthInt));
    SetColor(source.Color(SkinElement::FormBackgroundColor));
    if (source.fromFile) {
        if (m_menuBar) {
            const TColor c = source.Color(SkinElement::ControlFontColor);
            SetMenuBarColor(c == 0x20000 ? 0xAC5B3B : c == 0x30000 ? 0x996733 : Color());
        }
    } else {
        SetMenuBarColor(Color());
    }
    m_titleBar->SetFileTheme(FileTheme());
    m_titleBar->SetUIStyle(m_uiStyle);
    SetRoundCorner(source.Int(SkinElement::FormRoundCornerInt));
    if (auto* menu = qobject_cast<TskMainMenu*>(m_menu.data())) {
        menu->SetUIStyle(m_uiStyle);
        menu->SetFileTheme(FileTheme());
    }
    if (m_autoUpdateSub) ApplyUIStyleToChildren(this, m_uiStyle, FileTheme());
    LayOutBars();
}

void TskForm::ThemeRemoved() {
    ApplyUIStyleToChildren(this, DeepBlue, nullptr);
    SetUIStyle(DeepBlue);
}

QImage TskForm::Render() {
    QImage buffer = NewBuffer();
    QPainter p(&buffer);
    QImage pattern;
    if ((m_uiStyle == MacOS && LoadBitmapResource(QStringLiteral("MACOS_FORM_BACKGROUND"), pattern)) ||
        (m_uiStyle == Protein && LoadBitmapResource(QStringLiteral("PROTEIN_FORM_BACKGROUND"), pattern)))
        TileDrawPicture(p, pattern, TRect(0, 0, width(), height()));
    else
        p.fillRect(rect(), ColorToQColor(Color()));
    return buffer;
}

void TskForm::PaintFrame(QPainter& p) const {
    if (!m_form || !m_constructed) return;
    const int W = m_form->width(), H = m_form->height();
    const int BW = std::min(m_borderWidth, std::min(W, H) / 2);
    const int TH = TitleBarHeight();
    const QColor border = ColorToQColor(m_borderColor), color = ColorToQColor(Color());
    auto fill = [&](int l, int t, int r, int b, const QColor& c) {
        if (r > l && b > t) p.fillRect(QRect(l, t, r - l, b - t), c);
    };
    // What no step below covers (a caption without its three pictures) shows the colour.
    fill(0, 0, W, kFrame, color);
    fill(0, 0, kFrame, H, color);
    fill(W - kFrame, 0, W, H, color);
    fill(0, H - kFrame, W, H, color);
    // Border-colour strips left, bottom and right.
    fill(0, 0, BW, H, border);
    fill(0, H - BW, W, H, border);
    fill(W - BW, 0, W, H, border);
    if (BW < 4) {
        // The rest of the three pixels below the caption in the colour; beside the menu bar, the
        // bar's colour.
        fill(BW, TH, kFrame, H - BW, color);
        fill(BW, H - kFrame, W - BW, H - BW, color);
        fill(W - kFrame, TH, W - BW, H - BW, color);
        if (m_menuBar && m_menuBar->isVisibleTo(this)) {
            const QColor bar = ColorToQColor(m_menuBarColor);
            const int top = TH + kFrame;
            fill(BW, top, kFrame, top + m_menuBar->height(), bar);
            fill(W - kFrame, top, W - BW, top + m_menuBar->height(), bar);
        }
    }
    const TskTitleBarSections* sections = m_titleBar->Sections();
    const bool threePictures = sections->Count() == 3 && !sections->Items(0)->Picture().isNull() &&
                               !sections->Items(1)->Picture().isNull() &&
                               !sections->Items(2)->Picture().isNull();
    if (TH > 0 && threePictures && BW < 4) {
        // The caption's pictures carried on into the frame above and beside the title bar, which
        // shows them from their fourth row and column on.
        const QImage& first = sections->Items(0)->Picture();
        const QImage& second = sections->Items(1)->Picture();
        const QImage& third = sections->Items(2)->Picture();
        QImage side(kFrame - BW, first.height(), QImage::Format_RGB32);
        side.fill(color);
        {
            QPainter s(&side);
            s.drawImage(0, 0, first);
        }
        p.drawImage(BW, 0, side);
        {
            QPainter s(&side);
            if (second.width() >= kFrame)
                s.drawImage(kFrame - 1 - second.width(), 0, second);
            else
                s.drawImage(QRect(0, 0, side.width(), side.height()), second);
        }
        p.drawImage(W - kFrame, 0, side);
        if (W > 5) {
            QImage top(W - 5, kFrame, QImage::Format_RGB32);
            top.fill(color);
            QPainter s(&top);
            s.drawImage(-2, 0, first);
            const int secondLeft = top.width() - second.width() + 3;
            s.drawImage(secondLeft, 0, second);
            const int thirdLeft = first.width() - 2;
            if (secondLeft > thirdLeft)
                s.drawImage(thirdLeft, 0,
                            StretchNearest(third, TRect(0, 0, third.width(), third.height()),
                                           secondLeft - thirdLeft, third.height()));
            s.end();
            p.drawImage(2, 0, top);
        }
        if (BW == 1 && RoundCorner() == 11) {
            // The rounded top corners outlined in the border colour.
            const int R = RoundCorner();
            p.setPen(border);
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRect(W - 2 * R + 1, -1, 2 * R, 2 * R), 0 * 16, 90 * 16);
            p.drawArc(QRect(-1, -1, 2 * R, 2 * R), 90 * 16, 90 * 16);
        }
    }
    if (TH == 0) {
        fill(0, 0, W, 1, border);
        fill(BW, 1, W - BW, kFrame, color);
    }
}

QRegion TskForm::WindowRegion() const {
    const QWidget* target = m_form ? m_form.data() : this;
    const int W = target->width(), H = target->height();
    const int R = std::clamp(RoundCorner(), 0, std::min(W, H) / 2);
    if (R <= 0) return QRegion(0, 0, W, H);
    // A rectangle with corner ellipses R x R, then the bottom corners squared off again.
    QRegion region(R / 2, 0, W - 2 * (R / 2), H);
    region += QRegion(0, R / 2, W, H - R / 2);
    region += QRegion(0, 0, R, R, QRegion::Ellipse);
    region += QRegion(W - R, 0, R, R, QRegion::Ellipse);
    region += QRegion(0, H - 2 * R, 2 * R, 2 * R);
    region += QRegion(W - 2 * R, H - 2 * R, 2 * R, 2 * R);
    return region & QRegion(0, 0, W, H);
}

void TskForm::UpdateRegion() {
    if (!m_form) return;
    if (m_form->isMaximized() || RoundCorner() <= 0)
        ClearWindowShape(m_form);
    else
        SetWindowShape(m_form, WindowRegion());
}

void TskForm::resizeEvent(QResizeEvent* event) {
    TskCustomPanel::resizeEvent(event);
    LayOutBars();
}

void TskForm::contextMenuEvent(QContextMenuEvent* event) {
    if (m_popupMenu) {
        m_popupMenu->popup(event->globalPos());
        event->accept();
        return;
    }
    TskCustomPanel::contextMenuEvent(event);
}

void TskForm::FormStateChanged() {
    if (!m_form || m_placing) return;
    m_placing = true;
    if (m_form->isMaximized()) {
        LiftSizeLimit(m_form);
        // The desktop's available area (a frameless window is placed there by the window system;
        // where it is not, the panel places it). Through the window, so that it stays maximised:
        // QWidget::setGeometry would end the maximised state.
        TRect work;
        GetWorkAreaRect(work);
        if (m_form->geometry() != work.ToQRect()) PlaceWindow(work.ToQRect());
    } else if (!m_form->isMinimized()) {
        RestoreSizeLimit(m_form);
        if (m_restoreRect.isValid()) PlaceWindow(m_restoreRect);
    }
    m_placing = false;
    m_titleBar->UpdateMaximizeButtons();
    UpdateRegion();
}

void TskForm::PlaceWindow(const QRect& bounds) {
    QWindow* window = m_form->windowHandle();
    if (!window) {
        m_form->setGeometry(bounds);
        return;
    }
    // The place first, then the size. A window manager that frames the window reports a move on
    // its own with the window's place on the screen; a move and resize together come back as one
    // notice that gives only the size, and the place Qt then reads for it may be the old one, from
    // before the frame moved. The form would then keep its old place while it stands elsewhere,
    // and a later move back to that place would not be sent at all. Both through the window, which
    // compares with the bounds last asked of the window system rather than those of the form.
    window->setPosition(bounds.topLeft());
    window->setGeometry(bounds);
}

bool TskForm::MenuShortCut(const QKeyEvent* event) {
    auto* menu = qobject_cast<TskMainMenu*>(m_menu.data());
    if (!menu || event->key() == 0 || event->key() == Qt::Key_unknown) return false;
    const QKeySequence pressed(event->keyCombination());
    // Short-cuts of the items at every depth.
    QList<QMenu*> menus{menu->Items()};
    while (!menus.isEmpty()) {
        QMenu* m = menus.takeFirst();
        for (QAction* a : m->actions()) {
            if (a->menu()) menus.append(a->menu());
            if (!a->isEnabled() || !a->isVisible() || a->isSeparator()) continue;
            for (const QKeySequence& s : a->shortcuts()) {
                if (s.matches(pressed) == QKeySequence::ExactMatch) {
                    a->trigger();
                    return true;
                }
            }
        }
    }
    // Alt and the accelerator letter of a top-level item opens it.
    if (event->modifiers() == Qt::AltModifier && m_menuBar) {
        const QList<QAction*> items = menu->Items()->actions();
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QChar accel = AcceleratorChar(items[i]->text());
            if (!accel.isNull() && !event->text().isEmpty() &&
                accel.toUpper() == event->text().at(0).toUpper()) {
                m_menuBar->Popup(static_cast<int>(i));
                return true;
            }
            if (!accel.isNull() && QKeySequence(QString(accel.toUpper()))[0].key() == event->key()) {
                m_menuBar->Popup(static_cast<int>(i));
                return true;
            }
        }
    }
    return false;
}

bool TskForm::eventFilter(QObject* watched, QEvent* event) {
    if (m_form && watched == m_form) {
        switch (event->type()) {
        case QEvent::WindowStateChange:
            FormStateChanged();
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (!m_placing && !m_form->isMaximized() && !m_form->isMinimized() && !m_form->isFullScreen())
                m_restoreRect = m_form->geometry();
            if (event->type() == QEvent::Resize) UpdateRegion();
            break;
        case QEvent::ActivationChange:
            m_titleBar->SetFormActive(m_form->isActiveWindow());
            break;
        case QEvent::Paint: {
            QPainter p(m_form);
            PaintFrame(p);
            break;
        }
        case QEvent::WindowTitleChange:
            if (m_titleBar->Caption() != m_form->windowTitle()) m_titleBar->SetCaption(m_form->windowTitle());
            break;
        default:
            break;
        }
    }
    if (watched == m_titleBar && event->type() == QEvent::Resize && !m_placing) {
        m_placing = true;
        LayOutBars();
        m_placing = false;
    }
    if (m_form && event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == m_form && IsFormActive(m_form) &&
        m_form->isActiveWindow()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::AltModifier && TitleBarVisible()) {
            const QPoint at = m_form->mapToGlobal(QPoint(0, TitleBarHeight()));
            m_titleBar->SystemMenu()->Popup(at.x(), at.y());
            return true;
        }
        if (MenuShortCut(key)) return true;
    }
    return TskCustomPanel::eventFilter(watched, event);
}
