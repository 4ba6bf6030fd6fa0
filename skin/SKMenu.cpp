#include "skin/SKMenu.h"

#include "skin/SKMgr.h"
#include "skin/SKPublic.h"

#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace {

constexpr TColor kDisabledText = 0x808080;

// A style bitmap with its height forced to Height (rows cut off or added below), as the MacOS
// menu pictures are used; null when the resource is missing.
QImage ForcedHeight(const QString& name, int height) {
    QImage image;
    if (!LoadBitmapResource(name, image) || image.width() <= 0) return {};
    QImage out(image.width(), height, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    return out;
}

void StretchOver(QPainter& canvas, const QImage& image, const QRect& rect) {
    canvas.drawImage(rect.topLeft(), StretchNearest(image, TRect(0, 0, image.width(), image.height()),
                                                    rect.width(), rect.height()));
}

void Frame(QPainter& canvas, const QRect& r, const QColor& color) {
    canvas.fillRect(QRect(r.left(), r.top(), r.width(), 1), color);
    canvas.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), color);
    canvas.fillRect(QRect(r.left(), r.top(), 1, r.height()), color);
    canvas.fillRect(QRect(r.right(), r.top(), 1, r.height()), color);
}

} // namespace

void TskMenuLook::ApplyStyle(TskUIStyle style, const TskFileTheme* fileTheme) {
    uiStyle = style;
    barWidth = 26;
    if (style == MacOS) {
        menuItemHeight = 20;
        separatorHeight = 12;
        separatorColor = 0;
    } else {
        menuItemHeight = 21;
        separatorHeight = 5;
        separatorColor = 0x848284;
    }
    const TskThemeSource source = TskThemeSource::Resolve(fileTheme, style);
    barColor = source.Color(SkinElement::MenuBarColor);
    color = source.Color(SkinElement::MenuBackgroundColor);
    fontColor = source.Color(SkinElement::MenuFontColor);
    selectedBorderColor = source.Color(SkinElement::MenuSelectedBorderColor);
    selectedColor = source.Color(SkinElement::MenuSelectedBackgroundColor);
    selectedFontColor = source.Color(SkinElement::MenuSelectedFontColor);
}

QFont TskMenuLook::ItemFont() const {
    QFont font;
    if (useSystemFont) {
        SetSystemMenuFont(font);
    } else {
        font = QFont(fontName);
        font.setPointSize(std::max(1, fontSize));
    }
    return font;
}

QSize TskMenuLook::MeasureItem(const TskMenuItemInfo& item) const {
    const QFontMetrics fm(ItemFont());
    const int height = item.caption == QLatin1String("-") ? separatorHeight : menuItemHeight;
    const int width =
        fm.horizontalAdvance(item.caption) + fm.horizontalAdvance(item.shortCut) + barWidth + 40;
    return {width, height};
}

void TskMenuLook::DrawItem(QPainter& canvas, const TskMenuItemInfo& item, const QRect& rect, bool selected,
                           const QImage& checkMark) const {
    const int L = rect.left(), T = rect.top(), R = rect.left() + rect.width(), B = rect.top() + rect.height();
    auto sideBarAndBackground = [&] {
        if (barWidth > 0) canvas.fillRect(QRect(L, T, barWidth, B - T), ColorToQColor(barColor));
        canvas.fillRect(QRect(L + barWidth, T, R - L - barWidth, B - T), ColorToQColor(color));
    };
    auto macPicture = [&](const QString& name, int height) {
        const QImage picture = ForcedHeight(name, height);
        if (picture.isNull())
            sideBarAndBackground(); // the picture is missing: the plain look
        else
            StretchOver(canvas, picture, rect);
    };

    if (item.caption == QLatin1String("-")) {
        if (uiStyle == MacOS) {
            macPicture(QStringLiteral("MACOS_MENU_BAR"), 12);
        } else {
            sideBarAndBackground();
            canvas.setPen(ColorToQColor(separatorColor));
            canvas.drawLine(L + barWidth + 4, T + 2, R - 3, T + 2);
        }
        return;
    }

    if (selected && item.enabled) {
        if (uiStyle == MacOS) {
            macPicture(QStringLiteral("MACOS_MENU_SELECT"), 20);
        } else {
            canvas.fillRect(rect, ColorToQColor(selectedColor));
            Frame(canvas, rect, ColorToQColor(selectedBorderColor));
        }
    } else if (uiStyle == MacOS) {
        macPicture(QStringLiteral("MACOS_MENU_BAR"), 20);
    } else {
        sideBarAndBackground();
    }

    QFont font = ItemFont();
    if (item.isDefault) font.setBold(true);
    canvas.setFont(font);
    const TColor textColor = !item.enabled ? kDisabledText : selected ? selectedFontColor : fontColor;
    canvas.setPen(ColorToQColor(textColor));
    const QFontMetrics fm(font);
    canvas.drawText(QRect(QPoint(L + barWidth + 4, T + 4), QPoint(R - 1, B - 1)),
                    Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, item.caption);
    if (!item.shortCut.isEmpty()) {
        const int w = fm.horizontalAdvance(item.shortCut);
        canvas.drawText(QRect(R - w - 16, T + 4, w + 1, std::max(1, B - T - 4)),
                        Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignTop, item.shortCut);
    }

    const bool hasImage = !item.image.isNull();
    if (item.checked) {
        if (hasImage) {
            Frame(canvas, QRect(QPoint(L + 2, T + 1), QPoint(L + 20, T + 19)), Qt::black);
            canvas.fillRect(QRect(QPoint(L + 3, T + 2), QPoint(L + 19, T + 18)),
                            ColorToQColor(selectedColor));
        } else if (!checkMark.isNull()) {
            QImage mark = MaskedImage(checkMark, 0xFFFFFF);
            if (!item.enabled) mark = GreyedImage(mark);
            canvas.drawImage(L + 4, T + 3, mark);
        } else {
            // No check-mark picture among the resources: a plain tick in the text colour.
            canvas.drawLine(L + 6, T + 9, L + 8, T + 11);
            canvas.drawLine(L + 8, T + 11, L + 12, T + 7);
        }
    }
    if (hasImage) canvas.drawImage(L + 4, T + 3, item.enabled ? item.image : GreyedImage(item.image));
}

const QImage& MenuCheckedBitmap() {
    static const QImage bitmap = [] {
        QImage image;
        LoadBitmapResource(QStringLiteral("MENU_CHECKED"), image);
        return image;
    }();
    return bitmap;
}

void DrawMenuWindowBorder(QPainter& canvas, const QSize& size, TColor frameColor, TColor lineColor) {
    const int L = 0, T = 0, R = size.width(), B = size.height();
    const QRect outer(QPoint(L, T + 1), QPoint(R - 2, B - 2));
    Frame(canvas, outer, ColorToQColor(frameColor));
    Frame(canvas, outer.adjusted(1, 1, -1, -1), Qt::white);
    canvas.setPen(ColorToQColor(lineColor));
    canvas.drawLine(L, B - 1, R - 1, B - 1);
    canvas.drawLine(R - 1, B - 1, R - 1, T);
    canvas.drawLine(R - 1, T, L + 1, T); // the polyline's last point is not drawn
}

void SetSystemMenuFont(QFont& font) {
    font = QApplication::font("QMenu");
}

// ---------------------------------------------------------------------------------------------

TskMenuStyle::TskMenuStyle(LookFn look, ThemeFn theme, ImageFn image, QObject* owner)
    : m_look(std::move(look)), m_theme(std::move(theme)), m_image(std::move(image)) {
    setParent(owner);
}

TskMenuItemInfo TskMenuStyle::ItemInfo(const QStyleOption* option, const QWidget* widget) const {
    TskMenuItemInfo info;
    const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!mi) return info;
    if (mi->menuItemType == QStyleOptionMenuItem::Separator) {
        info.caption = QStringLiteral("-");
        return info;
    }
    const qsizetype tab = mi->text.indexOf(u'\t');
    info.caption = tab < 0 ? mi->text : mi->text.left(tab);
    info.shortCut = tab < 0 ? QString() : mi->text.mid(tab + 1);
    info.enabled = mi->state & State_Enabled;
    info.checked = mi->checked;
    info.isDefault = mi->menuItemType == QStyleOptionMenuItem::DefaultItem;
    // The item's image: found by its action, which sits at the option's rectangle.
    if (const auto* menu = qobject_cast<const QMenu*>(widget)) {
        if (const QAction* action = menu->actionAt(mi->rect.center())) info.image = m_image(action);
    }
    return info;
}

void TskMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
    const TskMenuLook& look = m_look();
    switch (element) {
    case CE_MenuItem: {
        const TskMenuItemInfo info = ItemInfo(option, widget);
        const bool selected = option->state & State_Selected;
        look.DrawItem(*painter, info, option->rect, selected, MenuCheckedBitmap());
        return;
    }
    case CE_MenuEmptyArea:
    case CE_MenuHMargin:
    case CE_MenuVMargin:
    case CE_MenuTearoff:
    case CE_MenuScroller:
        painter->fillRect(option->rect, ColorToQColor(look.color));
        return;
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

void TskMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const {
    const TskMenuLook& look = m_look();
    if (element == PE_PanelMenu) {
        painter->fillRect(option->rect, ColorToQColor(look.color));
        if (widget) drawPrimitive(PE_FrameMenu, option, painter, widget);
        return;
    }
    if (element == PE_FrameMenu) {
        if (look.flatMenu) {
            const TskThemeSource source = TskThemeSource::Resolve(m_theme(), look.uiStyle);
            DrawMenuWindowBorder(*painter, option->rect.size(), 0,
                                 source.Color(SkinElement::FormBackgroundColor));
        } else {
            // The classic raised menu frame.
            const QRect r = option->rect;
            Frame(*painter, r, ColorToQColor(clBtnShadow));
            painter->fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), ColorToQColor(clBtnFace));
            painter->fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), ColorToQColor(clBtnFace));
            Frame(*painter, r.adjusted(1, 1, -1, -1), ColorToQColor(clBtnHighlight));
            painter->fillRect(QRect(r.left() + 1, r.bottom() - 1, r.width() - 2, 1),
                              ColorToQColor(clBtnShadow));
            painter->fillRect(QRect(r.right() - 1, r.top() + 1, 1, r.height() - 2),
                              ColorToQColor(clBtnShadow));
            painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), ColorToQColor(0x404040));
            painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), ColorToQColor(0x404040));
        }
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

QSize TskMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                     const QWidget* widget) const {
    if (type == CT_MenuItem) {
        QSize measured = m_look().MeasureItem(ItemInfo(option, nullptr));
        // The menu window adds the width of its widest short-cut to every item afterwards; taking
        // it off here leaves every item exactly as wide as the widest measure.
        if (const auto* menu = qobject_cast<const QMenu*>(widget)) {
            int tabWidth = 0;
            for (const QAction* action : menu->actions()) {
                const QString text = action->text();
                const qsizetype t = text.indexOf(u'\t');
                if (t >= 0)
                    tabWidth = std::max(tabWidth, menu->fontMetrics().horizontalAdvance(text.mid(t + 1)));
                else if (!action->shortcut().isEmpty())
                    tabWidth = std::max(tabWidth, menu->fontMetrics().horizontalAdvance(
                                                      action->shortcut().toString(QKeySequence::NativeText)));
            }
            measured.setWidth(std::max(0, measured.width() - tabWidth));
        }
        return measured;
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int TskMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_MenuPanelWidth:
        return 2;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
    case PM_MenuDesktopFrameWidth:
    case PM_MenuTearoffHeight:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

void SetMenuItemHandlers(QMenu* menu, TskMenuStyle* style, QObject* watcher) {
    if (!menu) return;
    if (menu->style() != style) menu->setStyle(style);
    menu->removeEventFilter(watcher);
    menu->installEventFilter(watcher);
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        if (action->menu()) SetMenuItemHandlers(action->menu(), style, watcher);
    }
}

// ---------------------------------------------------------------------------------------------
// TskMenuCore

void TskMenuCore::InitCore(QObject* self) {
    m_self = self;
    m_style = new TskMenuStyle([this]() -> const TskMenuLook& { return m_look; },
                               [this]() -> const TskFileTheme* { return m_theme.get(); },
                               [this](const QAction* a) { return ItemImage(a); }, self);
}

void TskMenuCore::SetUIStyle(TskUIStyle value) {
    m_look.ApplyStyle(value, m_theme.get());
    LookChanged();
}

void TskMenuCore::SetFileTheme(TskFileTheme* value) {
    m_theme.set(value, m_self, [this] { SetUIStyle(DeepBlue); });
    SetUIStyle(m_look.uiStyle);
}

void TskMenuCore::SetMenuItemHeight(int value) {
    if (m_look.uiStyle != MacOS) m_look.menuItemHeight = value;
    LookChanged();
}

void TskMenuCore::SetSeparatorHeight(int value) {
    if (m_look.uiStyle != MacOS) m_look.separatorHeight = value;
    LookChanged();
}

void TskMenuCore::SetFontName(const QString& value) {
    m_look.fontName = value;
    LookChanged();
}

void TskMenuCore::SetFontSize(int value) {
    m_look.fontSize = value;
    LookChanged();
}

void TskMenuCore::SetUseSystemFont(bool value) {
    m_look.useSystemFont = value;
    LookChanged();
}

QImage TskMenuCore::ItemImage(const QAction* action) const {
    if (!action || action->icon().isNull()) return {};
    return action->icon().pixmap(16, 16).toImage();
}

TskMenuItemInfo TskMenuCore::ItemInfo(const QAction* action, const QMenu* menu) const {
    TskMenuItemInfo info;
    if (action->isSeparator()) {
        info.caption = QStringLiteral("-");
        return info;
    }
    info.caption = action->text();
    info.shortCut = action->shortcut().toString(QKeySequence::NativeText);
    info.enabled = action->isEnabled();
    info.checked = action->isChecked();
    info.isDefault = menu && menu->defaultAction() == action;
    info.image = ItemImage(action);
    return info;
}

QSize TskMenuCore::MeasureItem(const QAction* action) const {
    return m_look.MeasureItem(ItemInfo(action, nullptr));
}

void TskMenuCore::InstallOn(QMenu* menu) {
    SetMenuItemHandlers(menu, m_style, m_self);
    menu->setFont(m_look.ItemFont());
}

void TskMenuCore::WatchEvent(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ActionAdded) return;
    auto* e = static_cast<QActionEvent*>(event);
    if (e->action() && e->action()->menu()) InstallOn(e->action()->menu());
    (void)watched;
}
