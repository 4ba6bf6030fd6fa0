#include "skin/SKControls.h"

#include "platform/FormResource.h"
#include "skin/SKButton.h"
#include "skin/SKGroupBox.h"
#include "skin/SKImagePanel.h"
#include "skin/SKMainMenu.h"
#include "skin/SKMgr.h"
#include "skin/SKPopupMenu.h"
#include "skin/SKPublic.h"
#include "skin/SKTitleBar.h"
#include "skin/SKTrackBar.h"

#include <QPainter>
#include <QVariant>
#include <QWidget>

void RegisterSkinControls() {
    FormClassRegistry::addWidget<TskButton>(QStringLiteral("TskButton"));
    FormClassRegistry::addWidget<TskImageButton>(QStringLiteral("TskImageButton"));
    FormClassRegistry::addWidget<TskCheckBox>(QStringLiteral("TskCheckBox"));
    FormClassRegistry::addWidget<TskRadioButton>(QStringLiteral("TskRadioButton"));
    FormClassRegistry::addWidget<TskTrackBar>(QStringLiteral("TskTrackBar"));
    FormClassRegistry::addWidget<TskScrollTrackBar>(QStringLiteral("TskScrollTrackBar"));
    FormClassRegistry::addWidget<TskImagePanel>(QStringLiteral("TskImagePanel"));
    FormClassRegistry::addWidget<TskGroupBox>(QStringLiteral("TskGroupBox"));
    FormClassRegistry::addWidget<TskTitleBar>(QStringLiteral("TskTitleBar"));
    // Menus are components of the form, not widgets placed on a parent.
    FormClassRegistry::add(QStringLiteral("TskPopupMenu"), [](QObject* owner, QWidget* parent) -> QObject* {
        return new TskPopupMenu(qobject_cast<QWidget*>(owner) ? qobject_cast<QWidget*>(owner) : parent);
    });
    FormClassRegistry::add(QStringLiteral("TskMainMenu"), [](QObject* owner, QWidget* parent) -> QObject* {
        return new TskMainMenu(owner ? owner : parent);
    });
}

TskThemeLink::~TskThemeLink() {
    QObject::disconnect(m_connection);
}

void TskThemeLink::set(TskFileTheme* theme, QObject* context, std::function<void()> onRemoved) {
    if (theme == m_theme.data()) return;
    QObject::disconnect(m_connection);
    m_connection = {};
    m_theme = theme;
    if (theme) {
        m_connection =
            QObject::connect(theme, &QObject::destroyed, context, [this, onRemoved = std::move(onRemoved)] {
                m_theme = nullptr;
                m_connection = {};
                if (onRemoved) onRemoved();
            });
    }
}

TskThemeSource TskThemeSource::Resolve(const TskFileTheme* fileTheme, TskUIStyle uiStyle) {
    TskThemeSource s;
    s.fromFile = ResolveUIStyle(fileTheme, uiStyle, s.style);
    s.theme = s.fromFile ? fileTheme : nullptr;
    return s;
}

TColor TskThemeSource::Color(int element) const {
    return fromFile ? theme->GetColor(element) : GetBuiltInColor(style, element);
}

int TskThemeSource::Int(int element) const {
    return fromFile ? theme->GetInt(element) : GetBuiltInInt(style, element);
}

bool TskThemeSource::Bool(int element) const {
    return fromFile ? theme->GetBool(element) : GetBuiltInBool(style, element);
}

QImage TskThemeSource::Bitmap(int element, int partCount, int part) const {
    QImage image;
    if (fromFile) {
        if (partCount > 0) {
            QImage whole;
            theme->GetBitmap(element, whole);
            if (!whole.isNull()) CopyBitmapPart(whole, image, partCount, part);
        } else {
            theme->GetBitmap(element, image);
        }
    } else if (partCount > 0) {
        QImage whole;
        LoadBuiltInBitmap(style, element, &whole);
        if (!whole.isNull()) CopyBitmapPart(whole, image, partCount, part);
    } else {
        LoadBuiltInBitmap(style, element, &image);
    }
    if (image.width() <= 0 || image.height() <= 0) return {};
    return image;
}

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
