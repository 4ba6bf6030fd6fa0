#include "skin/SKThemes.h"

#include <QBuffer>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>

// The generated pictures live in a static library: their resource must be initialised by name.
static void InitSkinPicturesResource() {
    Q_INIT_RESOURCE(skin_pictures);
}

void InitSkinResources() {
    static const bool done = (InitSkinPicturesResource(), true);
    (void)done;
}

namespace {

bool IsBuiltInStyle(TskUIStyle style) {
    return style >= MacOS && style <= BlueGlass;
}

// The width and height a BMP file states, read from its header alone; empty when it is not one.
QSize StatedPictureSize(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    return reader.size();
}

// Theme files come from outside, and a compressed bitmap can state a huge size in a few bytes:
// what the theme's pictures would take once decoded (32 bits a pixel, as the controls keep them)
// is worked out from their headers before anything is decoded, and a theme that would need more
// than kMaxThemePictureBytes is refused. Pictures beyond kMaxThemePictureSide count as missing and
// are never decoded, so they take nothing.
void CheckPictureMemory(const TskThemeFileReader& reader, const QString& source) {
    qint64 total = 0;
    for (int e = 1; e <= SkinElement::Count; ++e) {
        const auto element = static_cast<TskSkinElement>(e);
        if (ThemeElementKind(element) != TskElementKind::Bitmap) continue;
        const QSize size = StatedPictureSize(reader.GetBitmap(ThemeElementKey(element)));
        if (!size.isValid() || size.width() > kMaxThemePictureSide || size.height() > kMaxThemePictureSide)
            continue;
        total += qint64(size.width()) * size.height() * 4;
    }
    if (total > kMaxThemePictureBytes)
        throw ESkinError(
            QStringLiteral("%1 is refused: its pictures would take %2 MB of memory, more than the "
                           "%3 MB a theme may use")
                .arg(source)
                .arg((total + (1 << 20) - 1) >> 20)
                .arg(kMaxThemePictureBytes >> 20));
}

} // namespace

QString ThemeElementKey(TskSkinElement element) {
    return SkinElement::IsElement(element) ? QString::fromLatin1(SkinElement::Info(element).key) : QString();
}

TskElementKind ThemeElementKind(TskSkinElement element) {
    return SkinElement::IsElement(element) ? SkinElement::Info(element).kind : TskElementKind::Int;
}

QString StyleResourcePrefix(TskUIStyle style) {
    if (!IsBuiltInStyle(style)) return {};
    return QString::fromLatin1(SkinElement::kStylePrefixes[style - MacOS]);
}

QString BuiltInBitmapName(TskUIStyle style, TskSkinElement element) {
    if (!IsBuiltInStyle(style) || ThemeElementKind(element) != TskElementKind::Bitmap) return {};
    // Three styles share one scroll-button picture.
    if (element == SkinElement::ScrollButtonImage &&
        (style == DeepBlue || style == Protein || style == BlueGlass))
        return QStringLiteral("MORE_SCROLLBUTTON");
    return StyleResourcePrefix(style) + u'_' + QString::fromLatin1(SkinElement::Info(element).suffix);
}

QStringList AllBuiltInBitmapNames() {
    QStringList names;
    for (int s = MacOS; s <= BlueGlass; ++s) {
        for (int e = 1; e <= SkinElement::Count; ++e) {
            const QString name =
                BuiltInBitmapName(static_cast<TskUIStyle>(s), static_cast<TskSkinElement>(e));
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
    // Only the user-interface thread paints; the cache is that thread's.
    static QHash<QString, QImage> decoded;
    auto it = decoded.constFind(name);
    if (it == decoded.constEnd()) {
        QImage image(QStringLiteral(":/bitmaps/%1.bmp").arg(name), "BMP");
        if (!image.isNull()) image = image.convertToFormat(QImage::Format_RGB32);
        it = decoded.insert(name, image);
    }
    if (it->isNull()) return false;
    bitmap = *it;
    return true;
}

QString ThemeResourcePath(const QString& fileName) {
    InitSkinResources();
    return QStringLiteral(":/themes/") + fileName;
}

QString BuiltInThemeFileOf(const QString& componentName) {
    static const QHash<QString, QString> files{{QStringLiteral("themeNew"), QStringLiteral("new.skn")},
                                               {QStringLiteral("themeMp10"), QStringLiteral("mp10.skn")},
                                               {QStringLiteral("themeNew1"), QStringLiteral("new1.skn")},
                                               {QStringLiteral("themeNew2"), QStringLiteral("new2.skn")}};
    return files.value(componentName);
}

int32_t GetBuiltInValue(TskUIStyle style, TskSkinElement element, TskElementKind& kind) {
    if (!IsBuiltInStyle(style) || !SkinElement::IsElement(element)) {
        kind = TskElementKind::Int;
        return -1;
    }
    kind = SkinElement::Info(element).kind;
    if (kind == TskElementKind::Bitmap) return 0; // the table names a resource (BuiltInBitmapName)
    return SkinElement::StyleValue(style - MacOS, element);
}

TColor GetBuiltInColor(TskUIStyle style, TskSkinElement element) {
    TskElementKind kind;
    const int32_t value = GetBuiltInValue(style, element, kind);
    return kind == TskElementKind::Color ? static_cast<TColor>(value) : 0;
}

int GetBuiltInInt(TskUIStyle style, TskSkinElement element) {
    TskElementKind kind;
    const int32_t value = GetBuiltInValue(style, element, kind);
    return kind == TskElementKind::Int ? value : -1;
}

bool GetBuiltInBool(TskUIStyle style, TskSkinElement element) {
    TskElementKind kind;
    const int32_t value = GetBuiltInValue(style, element, kind);
    return kind == TskElementKind::Bool && value != 0;
}

void LoadBuiltInBitmap(TskUIStyle style, TskSkinElement element, QImage* bitmap) {
    if (!bitmap) return;
    const QString name = BuiltInBitmapName(style, element);
    if (name.isEmpty()) return;
    LoadBitmapResource(name, *bitmap);
}

void GetBuiltInBitmap(TskUIStyle style, TskSkinElement element, QImage* graphic, int partCount, int part) {
    if (!graphic) return;
    if (partCount <= 0) {
        LoadBuiltInBitmap(style, element, graphic);
        return;
    }
    QImage scratch;
    LoadBuiltInBitmap(style, element, &scratch);
    CopyBitmapPart(scratch, *graphic, partCount, part);
}

void CopyBitmapPart(const QImage& source, QImage& dest, int partCount, int part) {
    if (partCount < 1) partCount = 1;
    const int width = source.width() / partCount;
    const QImage scratch = source.copy(width * (part - 1), 0, width, source.height());
    dest = scratch.convertToFormat(QImage::Format_RGB32);
}

TskFileThemeMgr::TskFileThemeMgr() = default;
TskFileThemeMgr::~TskFileThemeMgr() = default;

bool TskFileThemeMgr::LoadFile(const QString& fileName) {
    if (!QFileInfo(fileName).isFile()) return false;
    // The new reader replaces the current one only once the whole file has been read and found
    // usable.
    auto reader = std::make_unique<TskThemeFileReader>(fileName);
    CheckPictureMemory(*reader, QStringLiteral("Skin file \"%1\"").arg(fileName));
    m_reader = std::move(reader);
    m_pictures.clear();
    return true;
}

void TskFileThemeMgr::LoadData(const QByteArray& data) {
    auto reader = std::make_unique<TskThemeFileReader>(TskThemeFileReader::FromData(data));
    CheckPictureMemory(*reader, QStringLiteral("The skin data"));
    m_reader = std::move(reader);
    m_pictures.clear();
}

void TskFileThemeMgr::GetBitmap(TskSkinElement element, QImage& graphic) const {
    if (!m_reader) return;
    auto it = m_pictures.constFind(element);
    if (it == m_pictures.constEnd()) it = m_pictures.insert(element, Decode(element));
    if (!it->isNull()) graphic = *it;
}

QImage TskFileThemeMgr::Decode(TskSkinElement element) const {
    QByteArray bytes = m_reader->GetBitmap(ThemeElementKey(element));
    if (bytes.isEmpty()) return {};
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    // Theme files come from outside: a picture larger than any skin part (a compressed bitmap can
    // state huge sizes in few bytes) would make the controls sized by it, and their off-screen
    // images, enormous. Such a picture counts as missing.
    const QSize size = reader.size();
    if (size.width() > kMaxThemePictureSide || size.height() > kMaxThemePictureSide) return {};
    QImage image = reader.read();
    if (image.isNull()) return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

TColor TskFileThemeMgr::GetColor(TskSkinElement element) const {
    return m_reader ? static_cast<TColor>(m_reader->GetInt(ThemeElementKey(element))) : 0;
}

int TskFileThemeMgr::GetInt(TskSkinElement element) const {
    return m_reader ? m_reader->GetInt(ThemeElementKey(element)) : 0;
}

bool TskFileThemeMgr::GetBool(TskSkinElement element) const {
    return m_reader ? m_reader->GetBool(ThemeElementKey(element)) : false;
}
