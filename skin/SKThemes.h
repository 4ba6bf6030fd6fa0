#pragma once

// The theme model: the style enumeration, the 42 theme elements, the five built-in styles and the
// rule by which every skinned control takes its look from a theme file or from a built-in style.

#include "platform/Colors.h"
#include "skin/SKThemeFile.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class TskFileTheme;

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

// The kind of a theme element in the built-in tables (a theme file numbers its entry kinds
// differently).
enum class TskElementKind : uint8_t { Int = 0, Color = 1, Bitmap = 2, Bool = 3 };

// Element numbers 1..42; the element's key is its entry name in a theme file.
namespace SkinElement {
constexpr int ButtonImage = 1;
constexpr int ButtonTransparentBool = 2;
constexpr int CheckBoxImage = 3;
constexpr int RadioButtonImage = 4;
constexpr int TitleBarButtonImage = 5;
constexpr int TitleBarButtonTransparentBool = 6;
constexpr int TitleBarButtonLeftOffsetInt = 7;
constexpr int TitleBarButtonRightOffsetInt = 8;
constexpr int TitleBarButtonTopInt = 9;
constexpr int TitleBarLeftImage = 10;
constexpr int TitleBarClientImage = 11;
constexpr int TitleBarRightImage = 12;
constexpr int FormMinWidthInt = 13;
constexpr int FormRoundCornerInt = 14;
constexpr int FormBackgroundColor = 15;
constexpr int FormBorderColor = 16;
constexpr int FormBorderWidthInt = 17;
constexpr int MenuSelectedBorderColor = 18;
constexpr int MenuSelectedBackgroundColor = 19;
constexpr int MenuSelectedFontColor = 20;
constexpr int MenuBackgroundColor = 21;
constexpr int MenuFontColor = 22;
constexpr int MenuBarColor = 23;
constexpr int ProgressBarImage = 24;
constexpr int ControlBorderColor = 25;
constexpr int ControlBackgroundColor = 26;
constexpr int ControlFontColor = 27;
constexpr int TrackBarBarImage = 28;
constexpr int TrackBarSliderImage = 29;
constexpr int TrackBarSliderVImage = 30;
constexpr int ScrollBarBackgroundColor = 31;
constexpr int ScrollBarButtonImage = 32;
constexpr int ScrollBarSliderImage = 33;
constexpr int CheckListBoxImage = 34;
constexpr int ToolBarButtonBorderColor = 35;
constexpr int ToolBarButtonBackgroundColor = 36;
constexpr int ToolBarButtonDownBackgroundColor = 37;
constexpr int ScrollButtonImage = 38;
constexpr int TabControlTabImage = 39;
constexpr int TabControlBarImage = 40;
constexpr int SideChannelHandleImage = 41;
constexpr int SideChannelBarImage = 42;
constexpr int Count = 42;
} // namespace SkinElement

// The element's key ("ButtonImage"); empty outside 1..42.
QString ThemeElementKey(int element);
// The element's kind in the built-in tables; Int outside 1..42.
TskElementKind ThemeElementKind(int element);
// The resource-name prefix of a built-in style ("DEEPBLUE"); empty for FromThemeFile.
QString StyleResourcePrefix(TskUIStyle style);
// The name of the bitmap resource a built-in style gives a bitmap element ("DEEPBLUE_BUTTON",
// "MORE_SCROLLBUTTON"); empty for other elements and for FromThemeFile.
QString BuiltInBitmapName(TskUIStyle style, int element);
// Every distinct bitmap resource the five built-in tables name (93 of them).
QStringList AllBuiltInBitmapNames();
// The further style bitmaps loaded by name ("MACOS_FORM_BACKGROUND", "MENU_CHECKED", ...).
QStringList ExtraStyleBitmapNames();

// Makes the generated pictures and theme files available as Qt resources (done by the functions
// below; needed only before reading ":/bitmaps/..." or ":/themes/..." directly).
void InitSkinResources();
// A bitmap resource of the program loaded by name: the Qt resource ":/bitmaps/<NAME>.bmp". False
// (and Bitmap unchanged) when there is none.
bool LoadBitmapResource(const QString& name, QImage& bitmap);
// The Qt resource path of an embedded theme file (":/themes/mp10.skn").
QString ThemeResourcePath(const QString& fileName);

// Built-in tables. A style outside MacOS..BlueGlass (that is FromThemeFile) gives kind Int and -1.
int32_t GetBuiltInValue(TskUIStyle style, int element, TskElementKind& kind);
// The value when the element is a colour, else 0.
TColor GetBuiltInColor(TskUIStyle style, int element);
// The value when the element is an integer, else -1.
int GetBuiltInInt(TskUIStyle style, int element);
// The value when the element is a flag, else False.
bool GetBuiltInBool(TskUIStyle style, int element);
// Loads the element's bitmap resource into Bitmap when Bitmap is given and the element is a
// bitmap; otherwise does nothing.
void LoadBuiltInBitmap(TskUIStyle style, int element, QImage* bitmap);
// PartCount 0: the whole bitmap; 1 or more: piece Part (from 1) of PartCount equal-width pieces.
// Nothing when Graphic is none.
void GetBuiltInBitmap(TskUIStyle style, int element, QImage* graphic, int partCount = 0, int part = 0);

// Style := UIStyle. True only when UIStyle is FromThemeFile and FileTheme is given and usable;
// FromThemeFile without a usable theme gives Style DeepBlue and False.
bool ResolveUIStyle(const TskFileTheme* fileTheme, TskUIStyle uiStyle, TskUIStyle& style);
// The UIStyle of the first TskForm among a form's child widgets; DeepBlue when Component is none,
// not a form (a top-level widget), or holds no TskForm.
TskUIStyle GetFormUIStyle(const QObject* component);

// The largest width or height a theme file's picture may have (the largest skin part is a few
// hundred pixels).
constexpr int kMaxThemePictureSide = 4096;

// Keeps the loaded theme file of a theme component in memory and answers element lookups.
class TskFileThemeMgr {
public:
    TskFileThemeMgr();
    ~TskFileThemeMgr();
    TskFileThemeMgr(const TskFileThemeMgr&) = delete;
    TskFileThemeMgr& operator=(const TskFileThemeMgr&) = delete;

    // False (current theme kept) when no such file exists. Otherwise reads the file into a new
    // reader, which replaces the current one only when the whole file was read; a damaged file
    // raises ESkinError and leaves the current theme in use.
    bool LoadFile(const QString& fileName);
    // The same from theme-file bytes already in memory.
    void LoadData(const QByteArray& data);
    bool HasReader() const { return m_reader != nullptr; }

    // Loads the element's bitmap into Graphic; Graphic is left unchanged when no theme is loaded,
    // the file has no such bitmap or its bytes are not a readable BMP file.
    // A picture wider or higher than kMaxThemePictureSide counts as missing.
    void GetBitmap(int element, QImage& graphic) const;
    // 0 with no theme loaded; -1 when the file lacks the entry.
    TColor GetColor(int element) const;
    int GetInt(int element) const;
    // False with no theme loaded or when the file lacks the entry.
    bool GetBool(int element) const;

    const TskThemeFileReader* Reader() const { return m_reader.get(); }

private:
    std::unique_ptr<TskThemeFileReader> m_reader;
};
