#include "skin/SKTitleBar.h"

#include "platform/UserMessages.h"
#include "skin/SKMgr.h"
#include "skin/SKPublic.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleHints>
#include <QVariant>
#include <QWindow>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kPieces = 18;

// Places on the bar are worked out in 64 bits and kept within what a widget can be: offsets,
// tops and intervals come from theme files and properties and may be anywhere in the integer
// range, and their sums must not wrap round.
int Coord(int64_t value) {
    constexpr int64_t kLimit = QWIDGETSIZE_MAX;
    return static_cast<int>(std::clamp<int64_t>(value, -kLimit, kLimit));
}

// The first of the three pieces (normal, mouse on, mouse down) of each kind of button.
int FirstPiece(TskTitleBarBtnType type) {
    switch (type) {
    case skControlBox:
        return 1;
    case skHelp:
        return 4;
    case skMax:
        return 7;
    case skMin:
        return 13;
    case skClose:
        return 16;
    case skCustom:
        break;
    }
    return 0;
}

// A minimum width from the theme, kept within the desktop: a theme file from outside could
// otherwise make the window (and every off-screen picture of its full-width controls) wider than
// any screen.
int DesktopBoundedWidth(int value, const QWidget* form) {
    const QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    const int limit = screen ? screen->availableVirtualGeometry().width() : 4096;
    return std::clamp(value, 0, std::max(0, limit));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Buttons

TskTitleBarButton::TskTitleBarButton(TskTitleBarButtons* collection)
    : QObject(collection), m_collection(collection) {
    SetUIStyle(DeepBlue);
}

TskTitleBar* TskTitleBarButton::Bar() const {
    return m_collection ? m_collection->Bar() : nullptr;
}

int TskTitleBarButton::Index() const {
    return m_collection ? m_collection->IndexOf(this) : -1;
}

void TskTitleBarButton::Repaint() {
    if (TskTitleBar* bar = Bar()) bar->update();
}

void TskTitleBarButton::SetUIStyle(TskUIStyle value) {
    m_uiStyle = value;
    ApplyStyle();
}

void TskTitleBarButton::SetButtonType(TskTitleBarBtnType value) {
    if (value == skControlBox && m_collection) {
        for (int i = 0; i < m_collection->Count(); ++i) {
            if (m_collection->Items(i)->m_type == skControlBox) {
                ReportError(
                    QStringLiteral("Sorry, only one button's ButtonType property can be \"skControlBox\""),
                    Bar());
                return;
            }
        }
    }
    m_type = value;
    ApplyStyle();
    Repaint();
}

void TskTitleBarButton::SetTransparent(bool value) {
    m_transparent = value;
    Repaint();
}

void TskTitleBarButton::SetTop(int value) {
    m_top = value;
    Repaint();
}

void TskTitleBarButton::SetVisible(bool value) {
    m_visible = value;
    Repaint();
}

void TskTitleBarButton::SetPic(int index, const QImage& value) {
    m_pics[index] = value;
    Repaint();
}

void TskTitleBarButton::Assign(const TskTitleBarButton& source) {
    SetVisible(source.m_visible);
    SetButtonType(source.m_type);
    SetTransparent(source.m_transparent);
    SetTop(source.m_top);
    SetUIStyle(source.m_uiStyle);
    for (int i = 0; i < 3; ++i)
        m_pics[i] = source.m_pics[i];
    m_controlBoxMenu = source.m_controlBoxMenu;
    Repaint();
}

void TskTitleBarButton::LoadPieces(int first) {
    TskTitleBar* bar = Bar();
    const TskThemeSource source = TskThemeSource::Resolve(bar ? bar->FileTheme() : nullptr, m_uiStyle);
    for (int i = 0; i < 3; ++i)
        m_pics[i] = source.Bitmap(SkinElement::TitleBarButtonImage, kPieces, first + i);
}

void TskTitleBarButton::ApplyStyle() {
    TskTitleBar* bar = Bar();
    const TskThemeSource source = TskThemeSource::Resolve(bar ? bar->FileTheme() : nullptr, m_uiStyle);
    SetTransparent(source.Bool(SkinElement::TitleBarButtonTransparentBool));
    if (m_type == skCustom) return;
    LoadPieces(FirstPiece(m_type));
    SetTop(source.Int(SkinElement::TitleBarButtonTopInt));
    if (m_type == skMax) UpdateMaximizePicture();
}

void TskTitleBarButton::UpdateMaximizePicture() {
    TskTitleBar* bar = Bar();
    if (m_type != skMax || (bar && bar->Custom())) return;
    QWidget* form = bar ? bar->HoldingForm() : nullptr;
    LoadPieces(form && form->isMaximized() ? 10 : 7);
    Repaint();
}

void LiftSizeLimit(QWidget* form) {
    if (form->property("skMaximumSize").isValid()) return;
    form->setProperty("skMaximumSize", form->maximumSize());
    form->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void RestoreSizeLimit(QWidget* form) {
    const QVariant kept = form->property("skMaximumSize");
    if (!kept.isValid()) return;
    form->setProperty("skMaximumSize", QVariant());
    form->setMaximumSize(kept.toSize());
}

void TskTitleBarButton::PerformAction() {
    TskTitleBar* bar = Bar();
    QWidget* form = bar ? bar->HoldingForm() : nullptr;
    if (!form) return;
    switch (m_type) {
    case skMax:
        if (form->isMaximized()) {
            form->setWindowState(form->windowState() & ~Qt::WindowMaximized);
            // Back to the bounds it had before, where the window system does not restore them.
            const QRect normal = form->property("skRestoreBounds").toRect();
            if (!bar->ParentIsSkinForm()) {
                RestoreSizeLimit(form);
                if (normal.isValid()) form->setGeometry(normal);
            }
        } else {
            if (!bar->ParentIsSkinForm()) {
                LiftSizeLimit(form);
                // A bitmap-shaped window covers the work area less its bottom pixel line.
                form->setProperty("skRestoreBounds", form->geometry());
                TRect work;
                GetWorkAreaRect(work);
                work.Bottom -= 1;
                SetControlBounds(form, work);
            }
            form->setWindowState(form->windowState() | Qt::WindowMaximized);
        }
        UpdateMaximizePicture();
        break;
    case skMin:
        form->setWindowState((form->windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
        break;
    case skClose:
        form->close();
        break;
    case skControlBox:
        if (m_controlBoxMenu) {
            const QPoint at = bar->mapToGlobal(QPoint(0, bar->height()));
            if (auto* menu = qobject_cast<TskPopupMenu*>(m_controlBoxMenu.data()))
                menu->Popup(at.x(), at.y());
            else
                m_controlBoxMenu->popup(at);
        }
        break;
    case skHelp:
    case skCustom:
        break;
    }
}

TskTitleBarButtons::TskTitleBarButtons(TskTitleBar* bar) : QObject(bar), m_bar(bar) {}

TskTitleBarButton* TskTitleBarButtons::Add() {
    auto* button = new TskTitleBarButton(this);
    m_items.append(button);
    Changed();
    return button;
}

void TskTitleBarButtons::Clear() {
    qDeleteAll(m_items);
    m_items.clear();
    Changed();
}

void TskTitleBarButtons::Assign(const TskTitleBarButtons& source) {
    if (&source == this) return;
    qDeleteAll(m_items);
    m_items.clear();
    for (const TskTitleBarButton* item : source.m_items) {
        auto* button = new TskTitleBarButton(this);
        m_items.append(button);
        button->Assign(*item);
    }
    Changed();
}

void TskTitleBarButtons::Changed() {
    if (m_bar) m_bar->update();
}

// ---------------------------------------------------------------------------------------------
// Sections

TskTitleBarSection::TskTitleBarSection(TskTitleBarSections* collection)
    : QObject(collection), m_collection(collection) {}

void TskTitleBarSection::Repaint() {
    if (m_collection && m_collection->Bar()) m_collection->Bar()->update();
}

void TskTitleBarSection::SetAutoSize(bool value) {
    m_autoSize = value;
    if (!m_picture.isNull()) m_width = m_picture.width();
    Repaint();
}

void TskTitleBarSection::SetWidth(int value) {
    m_width = value;
    Repaint();
}

void TskTitleBarSection::SetAlign(TskTitleBarAlign value) {
    if (value == skClient && m_collection) {
        for (int i = 0; i < m_collection->Count(); ++i) {
            if (m_collection->Items(i)->m_align == skClient) {
                ReportError(QStringLiteral("Sorry, only one section's Align property can be \"skClient\""),
                            m_collection->Bar());
                return;
            }
        }
    }
    if (value == skClient) m_stretch = true;
    m_align = value;
    Repaint();
}

void TskTitleBarSection::SetPicture(const QImage& value) {
    m_picture = value;
    if (!value.isNull() && m_autoSize) m_width = value.width();
    Repaint();
}

void TskTitleBarSection::SetStretch(bool value) {
    m_stretch = value || m_align == skClient;
    Repaint();
}

void TskTitleBarSection::Assign(const TskTitleBarSection& source) {
    SetWidth(source.m_width);
    SetAlign(source.m_align);
    SetPicture(source.m_picture);
    SetStretch(source.m_stretch);
    SetAutoSize(source.m_autoSize);
}

TskTitleBarSections::TskTitleBarSections(TskTitleBar* bar) : QObject(bar), m_bar(bar) {}

TskTitleBarSection* TskTitleBarSections::Add() {
    auto* section = new TskTitleBarSection(this);
    m_items.append(section);
    Changed();
    return section;
}

void TskTitleBarSections::Clear() {
    qDeleteAll(m_items);
    m_items.clear();
    Changed();
}

void TskTitleBarSections::Assign(const TskTitleBarSections& source) {
    if (&source == this) return;
    qDeleteAll(m_items);
    m_items.clear();
    for (const TskTitleBarSection* item : source.m_items) {
        auto* section = new TskTitleBarSection(this);
        m_items.append(section);
        section->Assign(*item);
    }
    Changed();
}

void TskTitleBarSections::Changed() {
    if (m_bar) m_bar->update();
}

// ---------------------------------------------------------------------------------------------
// System menu

TskTitleBarPopupMenu::TskTitleBarPopupMenu(TskTitleBar* bar) : TskPopupMenu(bar), m_bar(bar) {
    QAction* minimise = addAction(QStringLiteral("最小化(&N)"));
    QAction* maximise = addAction(QStringLiteral("最大化/还原(&X)"));
    addSeparator();
    QAction* close = addAction(QStringLiteral("关闭(&C)"));
    connect(minimise, &QAction::triggered, this, [this] {
        QWidget* form = m_bar->HoldingForm();
        if (!form) return;
        // The minimise action of a button, applied to the form holding the bar.
        form->setWindowState((form->windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
    });
    connect(maximise, &QAction::triggered, this, [this] {
        for (int i = 0; i < m_bar->Buttons()->Count(); ++i) {
            TskTitleBarButton* b = m_bar->Buttons()->Items(i);
            if (b->ButtonType() == skMax) b->PerformAction();
        }
    });
    connect(close, &QAction::triggered, this, [this] {
        if (QWidget* form = m_bar->HoldingForm()) form->close();
    });
    Loaded();
}

void TskTitleBarPopupMenu::UpdateItems() {
    bool hasMin = false, hasMax = false, hasClose = false;
    for (int i = 0; i < m_bar->Buttons()->Count(); ++i) {
        const TskTitleBarBtnType t = m_bar->Buttons()->Items(i)->ButtonType();
        hasMin |= t == skMin;
        hasMax |= t == skMax;
        hasClose |= t == skClose;
    }
    const QList<QAction*> items = actions();
    items[0]->setEnabled(hasMin);
    items[1]->setEnabled(hasMax);
    items[3]->setEnabled(hasClose);
}

void TskTitleBarPopupMenu::Popup(int x, int y) {
    UpdateItems();
    TskPopupMenu::Popup(x, y);
}

// ---------------------------------------------------------------------------------------------
// The bar

TskTitleBar::TskTitleBar(QWidget* parent) : TskControl(parent) {
    setMouseTracking(true);
    m_custom = false;
    m_systemMenu = new TskTitleBarPopupMenu(this);
    m_systemMenu->installEventFilter(this);
    m_sections = new TskTitleBarSections(this);
    m_buttons = new TskTitleBarButtons(this);
    for (TskTitleBarBtnType type : {skControlBox, skClose, skMax, skMin})
        m_buttons->Add()->SetButtonType(type);
    resize(width(), 24);
    AlignTop();
    QFont f(QStringLiteral("Tahoma"));
    f.setBold(true);
    setFont(f);
    SetFontColor(this, clWhite);
    SetUIStyle(OwnerFormUIStyle(parent));
    WatchForm();
}

TskTitleBar::~TskTitleBar() = default;

QWidget* TskTitleBar::HoldingForm() const {
    if (!parentWidget()) return nullptr;
    return window();
}

bool TskTitleBar::ParentIsSkinForm() const {
    return parentWidget() && parentWidget()->inherits("TskForm");
}

void TskTitleBar::AlignTop() {
    if (parentWidget()) setGeometry(0, 0, parentWidget()->width(), height());
}

void TskTitleBar::WatchForm() {
    // The bar is aligned to the top of its parent: it follows the parent's width.
    if (parentWidget() != m_watchedParent) {
        if (m_watchedParent) m_watchedParent->removeEventFilter(this);
        m_watchedParent = parentWidget();
        if (m_watchedParent) m_watchedParent->installEventFilter(this);
        AlignTop();
    }
    QWidget* form = HoldingForm();
    if (form == m_watchedForm) return;
    if (m_watchedForm) m_watchedForm->removeEventFilter(this);
    m_watchedForm = form;
    if (form) form->installEventFilter(this);
}

bool TskTitleBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_systemMenu && m_menuFromControlBox &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        // The open menu takes the second click of a double click on the control box (as a press
        // or as Qt's double click): that closes the window; a click elsewhere is the menu's.
        auto* e = static_cast<QMouseEvent*>(event);
        const int box = ControlBoxIndex();
        const bool soon = e->timestamp() - m_controlBoxReleaseTime <=
                          static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
        m_menuFromControlBox = false;
        if (e->button() == Qt::LeftButton && box != -1 && soon &&
            ButtonAt(mapFromGlobal(e->globalPosition().toPoint())) == box) {
            m_systemMenu->hide();
            if (QWidget* form = HoldingForm())
                QMetaObject::invokeMethod(form, &QWidget::close, Qt::QueuedConnection);
            return true;
        }
    }
    if (watched == m_watchedForm && event->type() == QEvent::WindowStateChange) UpdateMaximizeButtons();
    if (watched == m_watchedParent && event->type() == QEvent::Resize) AlignTop();
    return TskControl::eventFilter(watched, event);
}

void TskTitleBar::changeEvent(QEvent* event) {
    TskControl::changeEvent(event);
    if (event->type() == QEvent::FontChange) update();
    if (event->type() == QEvent::ParentChange) WatchForm();
}

void TskTitleBar::SetFileTheme(TskFileTheme* value) {
    m_keepFontColor = true;
    TskControl::SetFileTheme(value);
    m_keepFontColor = false;
}

void TskTitleBar::UIStyleChanged() {
    if (m_custom) return;
    m_sections->Clear();
    const TskThemeSource source = Theme();
    TskTitleBarSection* left = m_sections->Add();
    left->SetPicture(source.Bitmap(SkinElement::TitleBarLeftImage));
    left->SetAutoSize(true);
    TskTitleBarSection* right = m_sections->Add();
    right->SetPicture(source.Bitmap(SkinElement::TitleBarRightImage));
    right->SetAutoSize(true);
    right->SetAlign(skRight);
    TskTitleBarSection* client = m_sections->Add();
    client->SetPicture(source.Bitmap(SkinElement::TitleBarClientImage));
    client->SetAlign(skClient);
    m_leftOffset = source.Int(SkinElement::TitleBarButtonLeftOffsetInt);
    m_rightOffset = source.Int(SkinElement::TitleBarButtonRightOffsetInt);
    m_buttonImageHeight = source.Bitmap(SkinElement::TitleBarButtonImage).height();
    m_buttonTop = Coord(static_cast<int64_t>(source.Int(SkinElement::TitleBarButtonTopInt)) -
                        (ParentIsSkinForm() ? 3 : 0));
    if (QWidget* form = HoldingForm())
        form->setMinimumWidth(DesktopBoundedWidth(source.Int(SkinElement::FormMinWidthInt), form));
    m_roundCorner = source.Int(SkinElement::FormRoundCornerInt);
    for (int i = 0; i < m_buttons->Count(); ++i)
        m_buttons->Items(i)->SetUIStyle(source.style);
    m_systemMenu->SetUIStyle(source.style);
    m_systemMenu->SetFileTheme(FileTheme());
    if (!m_keepFontColor) {
        TColor color = clWhite;
        if (m_uiStyle == MacOS) {
            color = clBlack;
        } else if (source.fromFile) {
            const TColor c = source.Color(SkinElement::ControlFontColor);
            color = (c == 0x10000 || c == 0x30000 || c == 0x40000 || c == 0x50000) ? clBlack : clWhite;
        }
        SetFontColor(this, color);
    }
    SetAutoSize(true);
    update();
}

void TskTitleBar::SetAutoSize(bool value) {
    m_autoSize = value;
    if (m_sections->Count() == 0) {
        m_autoSize = false;
        return;
    }
    // A missing left picture leaves the height as it is.
    const int h = m_sections->Items(0)->Picture().height() - (ParentIsSkinForm() ? 3 : 0);
    if (m_sections->Items(0)->Picture().height() > 0) resize(width(), std::max(0, h));
}

void TskTitleBar::SetSections(TskTitleBarSections* value) {
    if (value) m_sections->Assign(*value);
}

void TskTitleBar::SetButtons(TskTitleBarButtons* value) {
    if (value) m_buttons->Assign(*value);
}

void TskTitleBar::SetButtonInterval(int value) {
    m_buttonInterval = value;
    update();
}

void TskTitleBar::SetCaption(const QString& value) {
    m_caption = value;
    update();
}

void TskTitleBar::SetFormActive(bool value) {
    m_formActive = value;
    update();
}

void TskTitleBar::SetLeftBtnXOffset(int value) {
    m_leftOffset = value;
    update();
}

void TskTitleBar::SetRightBtnXOffset(int value) {
    m_rightOffset = value;
    update();
}

void TskTitleBar::SetDrawAppIcon(bool value) {
    m_drawAppIcon = value;
    update();
}

void TskTitleBar::UpdateMaximizeButtons() {
    for (int i = 0; i < m_buttons->Count(); ++i)
        m_buttons->Items(i)->UpdateMaximizePicture();
}

void TskTitleBar::GetLeftPicture(QImage& bitmap) const {
    if (m_sections->Count() > 0) bitmap = m_sections->Items(0)->Picture();
}

void TskTitleBar::GetRightPicture(QImage& bitmap) const {
    if (m_sections->Count() > 1) bitmap = m_sections->Items(1)->Picture();
}

void TskTitleBar::GetClientPicture(QImage& bitmap) const {
    if (m_sections->Count() > 2) bitmap = m_sections->Items(2)->Picture();
}

bool TskTitleBar::HasAllSections() const {
    return m_sections->Count() == 3;
}

TskTitleBar::Layout TskTitleBar::ComputeLayout() const {
    Layout layout;
    int64_t right = static_cast<int64_t>(width()) + 1 + m_rightOffset;
    for (int i = 0; i < m_buttons->Count(); ++i) {
        const TskTitleBarButton* b = m_buttons->Items(i);
        layout.rects.append(QRect());
        if (!b->Visible()) continue;
        if (b->ButtonType() == skControlBox) {
            layout.controlBox = i;
            continue;
        }
        const QSize size = b->PicNormal().size().expandedTo(QSize(0, 0));
        right = Coord(right - (static_cast<int64_t>(size.width()) + 1 + m_buttonInterval));
        layout.rects[i] = QRect(static_cast<int>(right), m_buttonTop, size.width(), size.height());
    }
    int64_t left = Coord(m_leftOffset);
    if (layout.controlBox >= 0) {
        const TskTitleBarButton* box = m_buttons->Items(layout.controlBox);
        const QSize size = box->PicNormal().size().expandedTo(QSize(0, 0));
        layout.rects[layout.controlBox] =
            QRect(static_cast<int>(left), m_buttonTop, size.width(), size.height());
        left = Coord(left + (m_drawAppIcon ? 21 : size.width() + 5));
    }
    if (left == 0) left = 6;
    layout.captionLeft = static_cast<int>(left);
    layout.right = Coord(right);
    return layout;
}

QRect TskTitleBar::ButtonRect(int index) const {
    return ComputeLayout().rects.value(index);
}

int TskTitleBar::ButtonAt(const QPoint& point) const {
    const Layout layout = ComputeLayout();
    int hot = -1;
    for (int i = 0; i < layout.rects.size(); ++i) {
        const QRect& r = layout.rects[i];
        if (!m_buttons->Items(i)->Visible() || (r.isNull() && i != layout.controlBox)) continue;
        // All four edges count (the rectangle's right and bottom included).
        if (InRect(point, TRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height()))) hot = i;
    }
    return hot;
}

int TskTitleBar::CaptionLeft() const {
    return ComputeLayout().captionLeft;
}

QString TskTitleBar::DisplayedCaption() const {
    const Layout layout = ComputeLayout();
    const int available = layout.right - layout.captionLeft;
    const QFontMetrics fm(font());
    if (fm.horizontalAdvance(m_caption) <= available) return m_caption;
    QString text = m_caption;
    while (!text.isEmpty()) {
        text.chop(1);
        if (fm.horizontalAdvance(text + QStringLiteral("...")) <= available)
            return text + QStringLiteral("...");
    }
    return QStringLiteral("...");
}

void TskTitleBar::PaintSections(QImage& bitmap) {
    QPainter p(&bitmap);
    const int d = ParentIsSkinForm() ? -3 : 0;
    int leftEnd = 0;
    int rightStart = bitmap.width();
    if (m_sections->Count() > 0) {
        const QImage& pic = m_sections->Items(0)->Picture();
        p.drawImage(d, d, pic);
        leftEnd = d + pic.width();
    }
    if (m_sections->Count() > 1) {
        const QImage& pic = m_sections->Items(1)->Picture();
        rightStart = bitmap.width() - pic.width() - d;
        p.drawImage(rightStart, d, pic);
    }
    if (m_sections->Count() > 2) {
        const QImage& pic = m_sections->Items(2)->Picture();
        if (!pic.isNull() && rightStart > leftEnd) {
            p.drawImage(leftEnd, d,
                        StretchNearest(pic, TRect(0, 0, pic.width(), pic.height()), rightStart - leftEnd,
                                       pic.height()));
        }
    }
}

void TskTitleBar::PaintButtonsAndCaption(QImage& bitmap) {
    const Layout layout = ComputeLayout();
    m_hotButton = -1;
    const QPoint P = m_mousePos;
    QPainter p(&bitmap);
    auto drawButton = [&](int index) {
        const TskTitleBarButton* b = m_buttons->Items(index);
        const QRect& r = layout.rects[index];
        const bool hot = InRect(P, TRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height()));
        if (hot) m_hotButton = index;
        const QImage& pic = hot ? (m_mouseDown ? b->PicMouseDown() : b->PicMouseOn()) : b->PicNormal();
        if (pic.isNull() || b->PicNormal().isNull()) return;
        // The scratch picture has PicNormal's size; a transparent button leaves out the colour
        // of its bottom-left pixel.
        QImage scratch(b->PicNormal().size(), QImage::Format_RGB32);
        scratch.fill(Qt::black);
        {
            QPainter s(&scratch);
            s.drawImage(0, 0, pic);
        }
        if (b->Transparent()) scratch = MaskedImage(scratch, PixelColor(scratch, 0, scratch.height() - 1));
        p.drawImage(r.x(), m_buttonTop, scratch);
    };
    for (int i = 0; i < m_buttons->Count(); ++i) {
        if (!m_buttons->Items(i)->Visible() || i == layout.controlBox) continue;
        drawButton(i);
    }
    if (layout.controlBox >= 0) {
        if (m_drawAppIcon) {
            const QRect& r = layout.rects[layout.controlBox];
            if (InRect(P, TRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height())))
                m_hotButton = layout.controlBox;
            QIcon icon = HoldingForm() ? HoldingForm()->windowIcon() : QIcon();
            if (icon.isNull()) icon = QApplication::windowIcon();
            if (!icon.isNull())
                p.drawPixmap(Coord(static_cast<int64_t>(m_leftOffset) + 3), m_buttonTop,
                             icon.pixmap(16, 16).scaled(16, 16));
        } else {
            drawButton(layout.controlBox);
        }
    }
    QColor color = palette().color(QPalette::Active, QPalette::WindowText);
    if (!m_formActive) color = ColorToQColor(clInactiveCaption);
    p.setFont(font());
    p.setPen(color);
    const QFontMetrics fm(font());
    const int top = Coord(static_cast<int64_t>(m_buttonTop) + (m_buttonImageHeight - fm.height()) / 2);
    p.drawText(QRect(layout.captionLeft, top, std::max(1, bitmap.width() - layout.captionLeft), fm.height()),
               Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignTop, DisplayedCaption());
}

QImage TskTitleBar::Render() {
    QImage bitmap = NewBuffer();
    PaintSections(bitmap);
    PaintButtonsAndCaption(bitmap);
    return bitmap;
}

void TskTitleBar::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_mousePos = pos;
    EmitMouseDown(event);
    if (event->button() != Qt::LeftButton) return;
    m_mouseDown = true;
    m_hotButton = ButtonAt(pos);
    update();
    QWidget* form = HoldingForm();
    if (form && m_hotButton == -1 && !form->isMaximized()) {
        m_mouseDown = false;
        // The move starts once the mouse moves with the button held: handed to the window system
        // at the press, the window manager would take the release and the next press, and a
        // double click would never reach the bar.
        m_movePending = true;
        m_pressAt = event->globalPosition().toPoint();
        // Where the mouse holds the window, from the press itself (not from the window's place
        // as Qt has it recorded).
        m_moveOffset = mapTo(form, pos) + (form->geometry().topLeft() - form->pos());
    }
}

void TskTitleBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_mousePos = pos;
    EmitMouseMove(event);
    const QPoint global = event->globalPosition().toPoint();
    if (m_movePending && (event->buttons() & Qt::LeftButton) &&
        (global - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
        m_movePending = false;
        QWidget* form = HoldingForm();
        if (form && !MoveThroughWindowSystem(form, m_pressAt)) m_moving = true;
    }
    if (m_moving && (event->buttons() & Qt::LeftButton)) {
        if (QWidget* form = HoldingForm()) form->move(global - m_moveOffset);
    }
    update();
}

void TskTitleBar::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_mousePos = pos;
    EmitMouseUp(event);
    if (event->button() != Qt::LeftButton) return;
    m_moving = false;
    m_movePending = false;
    if (rect().contains(pos)) Q_EMIT OnClick();
    const int hot = ButtonAt(pos);
    m_hotButton = hot;
    if (hot != -1) {
        TskTitleBarButton* b = m_buttons->Items(hot);
        if (b->ButtonType() == skControlBox && !b->ControlBoxMenu()) {
            const QPoint at = mapToGlobal(QPoint(0, height()));
            m_menuFromControlBox = true;
            m_controlBoxReleaseTime = event->timestamp();
            m_systemMenu->Popup(at.x(), at.y());
        } else {
            b->PerformAction();
            if (b->ButtonType() == skCustom)
                Q_EMIT OnCustomBtnsClick(this, hot);
            else if (b->ButtonType() == skHelp)
                Q_EMIT OnHelpBtnClick(this, hot);
        }
    }
    m_mouseDown = false;
    update();
}

void TskTitleBar::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_mousePos = pos;
    if (event->button() != Qt::LeftButton) return;
    Q_EMIT OnDblClick();
    const int hot = ButtonAt(pos);
    if (hot != -1) {
        if (m_buttons->Items(hot)->ButtonType() == skControlBox) {
            if (QWidget* form = HoldingForm()) form->close();
        }
        return;
    }
    for (int i = 0; i < m_buttons->Count(); ++i) {
        if (m_buttons->Items(i)->ButtonType() == skMax) {
            m_buttons->Items(i)->PerformAction();
            break;
        }
    }
}

int TskTitleBar::ControlBoxIndex() const {
    for (int i = 0; i < m_buttons->Count(); ++i) {
        const TskTitleBarButton* b = m_buttons->Items(i);
        if (b->Visible() && b->ButtonType() == skControlBox) return i;
    }
    return -1;
}

void TskTitleBar::leaveEvent(QEvent* event) {
    TskControl::leaveEvent(event);
    m_mousePos = QPoint(-100000, -100000);
    update();
}
