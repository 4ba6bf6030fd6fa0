#pragma once

// The theme model: the style enumeration, the 42 theme elements (SKElements), the five built-in
// styles and the loaded theme file. Depends on nothing of the library above the theme files; the
// resolution rule between a theme file and a built-in style is in SKMgr, with the theme components.

#include "platform/Colors.h"
#include "skin/SKElements.h"
#include "skin/SKThemeFile.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

namespace Skin {
Q_NAMESPACE
// Where a control takes its look from: the theme file of its FileTheme component, or one of the
// five built-in styles.
enum TskUIStyle : uint8_t {
    FromThemeFile = 0,
    MacOS = 1,
    WinXP = 2,
    DeepBlue = 3,
    Protein = 4,
    BlueGlass = 5
};
Q_ENUM_NS(TskUIStyle)
} // namespace Skin
using Skin::TskUIStyle;
using enum Skin::TskUIStyle;

// The element's key ("ButtonImage"); empty outside 1..42.
QString ThemeElementKey(TskSkinElement element);
// The element's kind in the built-in tables; Int outside 1..42.
TskElementKind ThemeElementKind(TskSkinElement element);
// The resource-name prefix of a built-in style ("DEEPBLUE"); empty for FromThemeFile.
QString StyleResourcePrefix(TskUIStyle style);
// The name of the bitmap resource a built-in style gives a bitmap element ("DEEPBLUE_BUTTON",
// "MORE_SCROLLBUTTON"); empty for other elements and for FromThemeFile.
QString BuiltInBitmapName(TskUIStyle style, TskSkinElement element);
// Every distinct bitmap resource the five built-in tables name (93 of them).
QStringList AllBuiltInBitmapNames();
// The further style bitmaps loaded by name ("MACOS_FORM_BACKGROUND", "MENU_CHECKED", ...).
QStringList ExtraStyleBitmapNames();

// Makes the generated pictures and theme files available as Qt resources (done by the functions
// below; needed only before reading ":/bitmaps/..." or ":/themes/..." directly).
void InitSkinResources();
// A bitmap resource of the program loaded by name: the Qt resource ":/bitmaps/<NAME>.bmp". False
// (and Bitmap unchanged) when there is none.
// Decoded once per name and kept (the resources never change).
bool LoadBitmapResource(const QString& name, QImage& bitmap);
// The Qt resource path of an embedded theme file (":/themes/mp10.skn").
QString ThemeResourcePath(const QString& fileName);
// The embedded theme file of each of the four theme components a main window holds: themeNew,
// themeMp10, themeNew1 and themeNew2 embed new.skn, mp10.skn, new1.skn and new2.skn; empty for any
// other name.
QString BuiltInThemeFileOf(const QString& componentName);

// Built-in tables. A style outside MacOS..BlueGlass (that is FromThemeFile) gives kind Int and -1.
int32_t GetBuiltInValue(TskUIStyle style, TskSkinElement element, TskElementKind& kind);
// The value when the element is a colour, else 0.
TColor GetBuiltInColor(TskUIStyle style, TskSkinElement element);
// The value when the element is an integer, else -1.
int GetBuiltInInt(TskUIStyle style, TskSkinElement element);
// The value when the element is a flag, else False.
bool GetBuiltInBool(TskUIStyle style, TskSkinElement element);
// Loads the element's bitmap resource into Bitmap when Bitmap is given and the element is a
// bitmap; otherwise does nothing.
void LoadBuiltInBitmap(TskUIStyle style, TskSkinElement element, QImage* bitmap);
// PartCount 0: the whole bitmap; 1 or more: piece Part (from 1) of PartCount equal-width pieces.
// Nothing when Graphic is none.
void GetBuiltInBitmap(TskUIStyle style, TskSkinElement element, QImage* graphic, int partCount = 0,
                      int part = 0);

// Dest := piece Part (from 1) of PartCount equal-width pieces of Source: the columns
// width * (Part - 1) .. width * Part - 1, width = Source width div PartCount.
void CopyBitmapPart(const QImage& source, QImage& dest, int partCount, int part);

// The largest width or height a theme file's picture may have (the largest skin part is a few
// hundred pixels).
constexpr int kMaxThemePictureSide = 4096;
// The most memory a theme file's pictures may take once decoded, all together (the four embedded
// themes take well under a megabyte).
constexpr qint64 kMaxThemePictureBytes = 64 * 1024 * 1024;

// Keeps the loaded theme file of a theme component in memory and answers element lookups. Every
// bitmap is decoded once and kept until another theme file is loaded.
class TskFileThemeMgr {
public:
    TskFileThemeMgr();
    ~TskFileThemeMgr();
    TskFileThemeMgr(const TskFileThemeMgr&) = delete;
    TskFileThemeMgr& operator=(const TskFileThemeMgr&) = delete;

    // False (current theme kept) when no such file exists. Otherwise reads the file into a new
    // reader, which replaces the current one only when the whole file was read; a damaged file, or
    // one whose pictures would take more than kMaxThemePictureBytes decoded (as their headers
    // state), raises ESkinError naming the reason and leaves the current theme in use.
    bool LoadFile(const QString& fileName);
    // The same from theme-file bytes already in memory.
    void LoadData(const QByteArray& data);
    bool HasReader() const { return m_reader != nullptr; }

    // Loads the element's bitmap into Graphic; Graphic is left unchanged when no theme is loaded,
    // the file has no such bitmap or its bytes are not a readable BMP file.
    // A picture wider or higher than kMaxThemePictureSide counts as missing.
    void GetBitmap(TskSkinElement element, QImage& graphic) const;
    // 0 with no theme loaded; -1 when the file lacks the entry.
    TColor GetColor(TskSkinElement element) const;
    int GetInt(TskSkinElement element) const;
    // False with no theme loaded or when the file lacks the entry.
    bool GetBool(TskSkinElement element) const;

    const TskThemeFileReader* Reader() const { return m_reader.get(); }

private:
    QImage Decode(TskSkinElement element) const;

    std::unique_ptr<TskThemeFileReader> m_reader;
    // Decoded bitmaps by element; a null image stands for a missing or unreadable one.
    mutable QHash<int, QImage> m_pictures;
};
