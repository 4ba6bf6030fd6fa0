#include "skin/SKThemes.h"

#include "skin/SKMgr.h"
#include "skin/SKPublic.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QVariant>
#include <QWidget>

// The generated pictures live in a static library: their resource must be initialised by name.
static void InitSkinPicturesResource() {
    Q_INIT_RESOURCE(skin_pictures);
}

void InitSkinResources() {
    static const bool done = (InitSkinPicturesResource(), true);
    (void)done;
}

namespace {

using K = TskElementKind;

struct ElementInfo {
    const char* key;
    TskElementKind kind;
    const char* suffix; // resource-name suffix of a bitmap element
};

constexpr ElementInfo kElements[SkinElement::Count] = {
    {"ButtonImage", K::Bitmap, "BUTTON"},
    {"ButtonTransparentBool", K::Bool, nullptr},
    {"CheckBoxImage", K::Bitmap, "CHECKBOX"},
    {"RadioButtonImage", K::Bitmap, "RADIOBUTTON"},
    {"TitleBarButtonImage", K::Bitmap, "TITLEBTN"},
    {"TitleBarButtonTransparentBool", K::Bool, nullptr},
    {"TitleBarButtonLeftOffsetInt", K::Int, nullptr},
    {"TitleBarButtonRightOffsetInt", K::Int, nullptr},
    {"TitleBarButtonTopInt", K::Int, nullptr},
    {"TitleBarLeftImage", K::Bitmap, "TITLE_LEFT"},
    {"TitleBarClientImage", K::Bitmap, "TITLE_CLIENT"},
    {"TitleBarRightImage", K::Bitmap, "TITLE_RIGHT"},
    {"FormMinWidthInt", K::Int, nullptr},
    {"FormRoundCornerInt", K::Int, nullptr},
    {"FormBackgroundColor", K::Color, nullptr},
    {"FormBorderColor", K::Color, nullptr},
    {"FormBorderWidthInt", K::Int, nullptr},
    {"MenuSelectedBorderColor", K::Color, nullptr},
    {"MenuSelectedBackgroundColor", K::Color, nullptr},
    {"MenuSelectedFontColor", K::Color, nullptr},
    {"MenuBackgroundColor", K::Color, nullptr},
    {"MenuFontColor", K::Color, nullptr},
    {"MenuBarColor", K::Color, nullptr},
    {"ProgressBarImage", K::Bitmap, "PROGRESSBAR"},
    {"ControlBorderColor", K::Color, nullptr},
    {"ControlBackgroundColor", K::Color, nullptr},
    {"ControlFontColor", K::Color, nullptr},
    {"TrackBarBarImage", K::Bitmap, "TRACKBAR_BAR"},
    {"TrackBarSliderImage", K::Bitmap, "TRACKBAR_SLIDER"},
    {"TrackBarSliderVImage", K::Bitmap, "TRACKBAR_SLIDER_V"},
    {"ScrollBarBackgroundColor", K::Color, nullptr},
    {"ScrollBarButtonImage", K::Bitmap, "SCROLLBAR_BUTTON"},
    {"ScrollBarSliderImage", K::Bitmap, "SCROLLBAR_TRACK"},
    {"CheckListBoxImage", K::Bitmap, "CHECKLIST"},
    {"ToolBarButtonBorderColor", K::Color, nullptr},
    {"ToolBarButtonBackgroundColor", K::Color, nullptr},
    {"ToolBarButtonDownBackgroundColor", K::Color, nullptr},
    {"ScrollButtonImage", K::Bitmap, "SCROLLBUTTON"},
    {"TabControlTabImage", K::Bitmap, "TAB"},
    {"TabControlBarImage", K::Bitmap, "TAB_LINE"},
    {"SideChannelHandleImage", K::Bitmap, "SIDECHENNEL_HANDLE"},
    {"SideChannelBarImage", K::Bitmap, "SIDECHENNEL_BAR"},
};

// Values of the non-bitmap elements, per built-in style (MacOS, WinXP, DeepBlue, Protein,
// BlueGlass). Flags are 1 / 0.
struct StyleValue {
    int element;
    int32_t values[5];
};

constexpr StyleValue kStyleValues[] = {
    {2, {1, 0, 0, 0, 1}},
    {6, {0, 0, 0, 1, 1}},
    {7, {3, 2, 0, 0, 4}},
    {8, {-2, -2, 0, 0, -3}},
    {9, {4, 5, 2, 2, 6}},
    {13, {130, 150, 130, 130, 270}},
    {14, {0, 13, 0, 0, 11}},
    {15, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}},
    {16, {0x7F7F7F, 0xC82C00, 0x000000, 0x000000, 0x000000}},
    {17, {1, 3, 1, 1, 1}},
    {18, {0xC47339, 0xC66931, 0xA04A44, 0xC4302D, 0xEC5E5E}},
    {19, {0xC47339, 0xEFD3C6, 0xA04A44, 0xC4302D, 0xEC5E5E}},
    {20, {0xFFFFFF, 0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}},
    {21, {0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xE7E7E7}},
    {22, {0x000000, 0x000000, 0x000000, 0x000000, 0x000000}},
    {23, {0x000000, 0xCED3D6, 0xCED3D6, 0xCED3D6, 0xCED3D6}},
    {25, {0x7F7F7F, 0x686868, 0x000000, 0x000000, 0x000000}},
    {26, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}},
    {27, {0x000000, 0xCF4602, 0x000000, 0x000000, 0x000000}},
    {31, {0xC9C9C9, 0xF9F9F9, 0xF5F5F5, 0xF5F5F5, 0xF4F4F4}},
    {35, {0x474747, 0xC66931, 0x474747, 0x474747, 0x474747}},
    {36, {0xEFEFEF, 0xEFD3C6, 0xEFEFEF, 0xEFEFEF, 0xEFEFEF}},
    {37, {0xD8D8D8, 0xE1AC93, 0xD8D8D8, 0xD8D8D8, 0xD8D8D8}},
};

bool IsBuiltInStyle(TskUIStyle style) {
    return style >= MacOS && style <= BlueGlass;
}
bool IsElement(int element) {
    return element >= 1 && element <= SkinElement::Count;
}

} // namespace

QString ThemeElementKey(int element) {
    return IsElement(element) ? QString::fromLatin1(kElements[element - 1].key) : QString();
}

TskElementKind ThemeElementKind(int element) {
    return IsElement(element) ? kElements[element - 1].kind : TskElementKind::Int;
}

QString StyleResourcePrefix(TskUIStyle style) {
    switch (style) {
    case MacOS:
        return QStringLiteral("MACOS");
    case WinXP:
        return QStringLiteral("WINXP");
    case DeepBlue:
        return QStringLiteral("DEEPBLUE");
    case Protein:
        return QStringLiteral("PROTEIN");
    case BlueGlass:
        return QStringLiteral("BLUEGLASS");
    default:
        return {};
    }
}

QString BuiltInBitmapName(TskUIStyle style, int element) {
    if (!IsBuiltInStyle(style) || ThemeElementKind(element) != TskElementKind::Bitmap) return {};
    // Three styles share one scroll-button picture.
    if (element == SkinElement::ScrollButtonImage &&
        (style == DeepBlue || style == Protein || style == BlueGlass))
        return QStringLiteral("MORE_SCROLLBUTTON");
    return StyleResourcePrefix(style) + u'_' + QString::fromLatin1(kElements[element - 1].suffix);
}

QStringList AllBuiltInBitmapNames() {
    QStringList names;
    for (int s = MacOS; s <= BlueGlass; ++s) {
        for (int e = 1; e <= SkinElement::Count; ++e) {
            const QString name = BuiltInBitmapName(static_cast<TskUIStyle>(s), e);
            if (!name.isEmpty() && !names.contains(name)) names.append(name);
        }
    }
    return names;
}

QStringList ExtraStyleBitmapNames() {
    return {QStringLiteral("MACOS_FORM_BACKGROUND"), QStringLiteral("PROTEIN_FORM_BACKGROUND"),
            QStringLiteral("MACOS_MENU_BAR"),        QStringLiteral("MACOS_MENU_SELECT"),
            QStringLiteral("MENU_CHECKED"),          QStringLiteral("MACOS_COMBOBOX_BUTTON"),
            QStringLiteral("WINXP_COMBOBOX_BUTTON")};
}

bool LoadBitmapResource(const QString& name, QImage& bitmap) {
    InitSkinResources();
    QImage image(QStringLiteral(":/bitmaps/%1.bmp").arg(name), "BMP");
    if (image.isNull()) return false;
    bitmap = image.convertToFormat(QImage::Format_RGB32);
    return true;
}

QString ThemeResourcePath(const QString& fileName) {
    InitSkinResources();
    return QStringLiteral(":/themes/") + fileName;
}

int32_t GetBuiltInValue(TskUIStyle style, int element, TskElementKind& kind) {
    if (!IsBuiltInStyle(style) || !IsElement(element)) {
        kind = TskElementKind::Int;
        return -1;
    }
    kind = kElements[element - 1].kind;
    if (kind == TskElementKind::Bitmap) return 0; // the table names a resource (BuiltInBitmapName)
    for (const StyleValue& v : kStyleValues) {
        if (v.element == element) return v.values[style - MacOS];
    }
    return -1;
}

TColor GetBuiltInColor(TskUIStyle style, int element) {
    TskElementKind kind;
    const int32_t value = GetBuiltInValue(style, element, kind);
    return kind == TskElementKind::Color ? static_cast<TColor>(value) : 0;
}

int GetBuiltInInt(TskUIStyle style, int element) {
    TskElementKind kind;
    const int32_t value = GetBuiltInValue(style, element, kind);
    return kind == TskElementKind::Int ? value : -1;
}

bool GetBuiltInBool(TskUIStyle style, int element) {
    TskElementKind kind;
    const int32_t value = GetBuiltInValue(style, element, kind);
    return kind == TskElementKind::Bool && value != 0;
}

void LoadBuiltInBitmap(TskUIStyle style, int element, QImage* bitmap) {
    if (!bitmap) return;
    const QString name = BuiltInBitmapName(style, element);
    if (name.isEmpty()) return;
    LoadBitmapResource(name, *bitmap);
}

void GetBuiltInBitmap(TskUIStyle style, int element, QImage* graphic, int partCount, int part) {
    if (!graphic) return;
    if (partCount <= 0) {
        LoadBuiltInBitmap(style, element, graphic);
        return;
    }
    QImage scratch;
    LoadBuiltInBitmap(style, element, &scratch);
    CopyBitmapPart(scratch, *graphic, partCount, part);
}

bool ResolveUIStyle(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskUIStyle& style) {
    style = uiStyle;
    if (uiStyle != FromThemeFile) return false;
    if (fileTheme && fileTheme->CanUse()) return true;
    style = DeepBlue;
    return false;
}

TskUIStyle GetFormUIStyle(const QObject* component) {
    const auto* form = qobject_cast<const QWidget*>(component);
    if (!form || !form->isWindow()) return DeepBlue;
    for (const QObject* child : form->children()) {
        if (!child->isWidgetType() || !child->inherits("TskForm")) continue;
        const QVariant value = child->property("UIStyle");
        bool ok = false;
        const int style = value.toInt(&ok);
        if (ok && style >= FromThemeFile && style <= BlueGlass) return static_cast<TskUIStyle>(style);
        return DeepBlue;
    }
    return DeepBlue;
}

TskFileThemeMgr::TskFileThemeMgr() = default;
TskFileThemeMgr::~TskFileThemeMgr() = default;

bool TskFileThemeMgr::LoadFile(const QString& fileName) {
    if (!QFileInfo(fileName).isFile()) return false;
    // The new reader replaces the current one only once the whole file has been read.
    m_reader = std::make_unique<TskThemeFileReader>(fileName);
    return true;
}

void TskFileThemeMgr::LoadData(const QByteArray& data) {
    m_reader = std::make_unique<TskThemeFileReader>(TskThemeFileReader::FromData(data));
}

void TskFileThemeMgr::GetBitmap(int element, QImage& graphic) const {
    if (!m_reader) return;
    QByteArray bytes = m_reader->GetBitmap(ThemeElementKey(element));
    if (bytes.isEmpty()) return;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    // Theme files come from outside: a picture larger than any skin part (a compressed bitmap can
    // state huge sizes in few bytes) would make the controls sized by it, and their off-screen
    // images, enormous. Such a picture counts as missing.
    const QSize size = reader.size();
    if (size.width() > kMaxThemePictureSide || size.height() > kMaxThemePictureSide) return;
    QImage image = reader.read();
    if (image.isNull()) return;
    graphic = image.convertToFormat(QImage::Format_RGB32);
}

TColor TskFileThemeMgr::GetColor(int element) const {
    return m_reader ? static_cast<TColor>(m_reader->GetInt(ThemeElementKey(element))) : 0;
}

int TskFileThemeMgr::GetInt(int element) const {
    return m_reader ? m_reader->GetInt(ThemeElementKey(element)) : 0;
}

bool TskFileThemeMgr::GetBool(int element) const {
    return m_reader ? m_reader->GetBool(ThemeElementKey(element)) : false;
}
