#pragma once

// The 42 theme elements and the values the five built-in styles give them: one table, read by the
// theme model (SKThemes) and by the picture generator that draws the built-in styles' bitmaps and
// the theme files. Plain constants only, so that the generator needs nothing of the library.

#include <cstdint>

// The kind of a theme element in the built-in tables (a theme file numbers its entry kinds
// differently).
enum class TskElementKind : uint8_t { Int = 0, Color = 1, Bitmap = 2, Bool = 3 };

// Element numbers 1..42; the element's key is its entry name in a theme file.
namespace SkinElement {
enum TskSkinElement : int {
    ButtonImage = 1,
    ButtonTransparentBool = 2,
    CheckBoxImage = 3,
    RadioButtonImage = 4,
    TitleBarButtonImage = 5,
    TitleBarButtonTransparentBool = 6,
    TitleBarButtonLeftOffsetInt = 7,
    TitleBarButtonRightOffsetInt = 8,
    TitleBarButtonTopInt = 9,
    TitleBarLeftImage = 10,
    TitleBarClientImage = 11,
    TitleBarRightImage = 12,
    FormMinWidthInt = 13,
    FormRoundCornerInt = 14,
    FormBackgroundColor = 15,
    FormBorderColor = 16,
    FormBorderWidthInt = 17,
    MenuSelectedBorderColor = 18,
    MenuSelectedBackgroundColor = 19,
    MenuSelectedFontColor = 20,
    MenuBackgroundColor = 21,
    MenuFontColor = 22,
    MenuBarColor = 23,
    ProgressBarImage = 24,
    ControlBorderColor = 25,
    ControlBackgroundColor = 26,
    ControlFontColor = 27,
    TrackBarBarImage = 28,
    TrackBarSliderImage = 29,
    TrackBarSliderVImage = 30,
    ScrollBarBackgroundColor = 31,
    ScrollBarButtonImage = 32,
    ScrollBarSliderImage = 33,
    CheckListBoxImage = 34,
    ToolBarButtonBorderColor = 35,
    ToolBarButtonBackgroundColor = 36,
    ToolBarButtonDownBackgroundColor = 37,
    ScrollButtonImage = 38,
    TabControlTabImage = 39,
    TabControlBarImage = 40,
    SideChannelHandleImage = 41,
    SideChannelBarImage = 42,
};
constexpr int Count = 42;

struct TskElementInfo {
    TskSkinElement element;
    const char* key; // entry name in a theme file
    TskElementKind kind;
    const char* suffix; // resource-name suffix of a bitmap element ("BUTTON" of "DEEPBLUE_BUTTON")
};

using K = TskElementKind;
// Indexed by element - 1.
constexpr TskElementInfo kElements[Count] = {
    {ButtonImage, "ButtonImage", K::Bitmap, "BUTTON"},
    {ButtonTransparentBool, "ButtonTransparentBool", K::Bool, nullptr},
    {CheckBoxImage, "CheckBoxImage", K::Bitmap, "CHECKBOX"},
    {RadioButtonImage, "RadioButtonImage", K::Bitmap, "RADIOBUTTON"},
    {TitleBarButtonImage, "TitleBarButtonImage", K::Bitmap, "TITLEBTN"},
    {TitleBarButtonTransparentBool, "TitleBarButtonTransparentBool", K::Bool, nullptr},
    {TitleBarButtonLeftOffsetInt, "TitleBarButtonLeftOffsetInt", K::Int, nullptr},
    {TitleBarButtonRightOffsetInt, "TitleBarButtonRightOffsetInt", K::Int, nullptr},
    {TitleBarButtonTopInt, "TitleBarButtonTopInt", K::Int, nullptr},
    {TitleBarLeftImage, "TitleBarLeftImage", K::Bitmap, "TITLE_LEFT"},
    {TitleBarClientImage, "TitleBarClientImage", K::Bitmap, "TITLE_CLIENT"},
    {TitleBarRightImage, "TitleBarRightImage", K::Bitmap, "TITLE_RIGHT"},
    {FormMinWidthInt, "FormMinWidthInt", K::Int, nullptr},
    {FormRoundCornerInt, "FormRoundCornerInt", K::Int, nullptr},
    {FormBackgroundColor, "FormBackgroundColor", K::Color, nullptr},
    {FormBorderColor, "FormBorderColor", K::Color, nullptr},
    {FormBorderWidthInt, "FormBorderWidthInt", K::Int, nullptr},
    {MenuSelectedBorderColor, "MenuSelectedBorderColor", K::Color, nullptr},
    {MenuSelectedBackgroundColor, "MenuSelectedBackgroundColor", K::Color, nullptr},
    {MenuSelectedFontColor, "MenuSelectedFontColor", K::Color, nullptr},
    {MenuBackgroundColor, "MenuBackgroundColor", K::Color, nullptr},
    {MenuFontColor, "MenuFontColor", K::Color, nullptr},
    {MenuBarColor, "MenuBarColor", K::Color, nullptr},
    {ProgressBarImage, "ProgressBarImage", K::Bitmap, "PROGRESSBAR"},
    {ControlBorderColor, "ControlBorderColor", K::Color, nullptr},
    {ControlBackgroundColor, "ControlBackgroundColor", K::Color, nullptr},
    {ControlFontColor, "ControlFontColor", K::Color, nullptr},
    {TrackBarBarImage, "TrackBarBarImage", K::Bitmap, "TRACKBAR_BAR"},
    {TrackBarSliderImage, "TrackBarSliderImage", K::Bitmap, "TRACKBAR_SLIDER"},
    {TrackBarSliderVImage, "TrackBarSliderVImage", K::Bitmap, "TRACKBAR_SLIDER_V"},
    {ScrollBarBackgroundColor, "ScrollBarBackgroundColor", K::Color, nullptr},
    {ScrollBarButtonImage, "ScrollBarButtonImage", K::Bitmap, "SCROLLBAR_BUTTON"},
    {ScrollBarSliderImage, "ScrollBarSliderImage", K::Bitmap, "SCROLLBAR_TRACK"},
    {CheckListBoxImage, "CheckListBoxImage", K::Bitmap, "CHECKLIST"},
    {ToolBarButtonBorderColor, "ToolBarButtonBorderColor", K::Color, nullptr},
    {ToolBarButtonBackgroundColor, "ToolBarButtonBackgroundColor", K::Color, nullptr},
    {ToolBarButtonDownBackgroundColor, "ToolBarButtonDownBackgroundColor", K::Color, nullptr},
    {ScrollButtonImage, "ScrollButtonImage", K::Bitmap, "SCROLLBUTTON"},
    {TabControlTabImage, "TabControlTabImage", K::Bitmap, "TAB"},
    {TabControlBarImage, "TabControlBarImage", K::Bitmap, "TAB_LINE"},
    {SideChannelHandleImage, "SideChannelHandleImage", K::Bitmap, "SIDECHENNEL_HANDLE"},
    {SideChannelBarImage, "SideChannelBarImage", K::Bitmap, "SIDECHENNEL_BAR"},
};

constexpr bool IsElement(int element) {
    return element >= 1 && element <= Count;
}
constexpr const TskElementInfo& Info(TskSkinElement element) {
    return kElements[element - 1];
}

// The built-in styles in table order (the style numbers MacOS .. BlueGlass).
constexpr int kStyleCount = 5;
// Their resource-name prefixes.
constexpr const char* kStylePrefixes[kStyleCount] = {"MACOS", "WINXP", "DEEPBLUE", "PROTEIN", "BLUEGLASS"};

// Values of the non-bitmap elements, per built-in style in table order. Colours are 0x00BBGGRR,
// flags 1 / 0; an element not listed has the value -1.
struct TskStyleValues {
    TskSkinElement element;
    int32_t values[kStyleCount];
};

constexpr TskStyleValues kStyleValues[] = {
    {ButtonTransparentBool, {1, 0, 0, 0, 1}},
    {TitleBarButtonTransparentBool, {0, 0, 0, 1, 1}},
    {TitleBarButtonLeftOffsetInt, {3, 2, 0, 0, 4}},
    {TitleBarButtonRightOffsetInt, {-2, -2, 0, 0, -3}},
    {TitleBarButtonTopInt, {4, 5, 2, 2, 6}},
    {FormMinWidthInt, {130, 150, 130, 130, 270}},
    {FormRoundCornerInt, {0, 13, 0, 0, 11}},
    {FormBackgroundColor, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}},
    {FormBorderColor, {0x7F7F7F, 0xC82C00, 0x000000, 0x000000, 0x000000}},
    {FormBorderWidthInt, {1, 3, 1, 1, 1}},
    {MenuSelectedBorderColor, {0xC47339, 0xC66931, 0xA04A44, 0xC4302D, 0xEC5E5E}},
    {MenuSelectedBackgroundColor, {0xC47339, 0xEFD3C6, 0xA04A44, 0xC4302D, 0xEC5E5E}},
    {MenuSelectedFontColor, {0xFFFFFF, 0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}},
    {MenuBackgroundColor, {0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xE7E7E7}},
    {MenuFontColor, {0x000000, 0x000000, 0x000000, 0x000000, 0x000000}},
    {MenuBarColor, {0x000000, 0xCED3D6, 0xCED3D6, 0xCED3D6, 0xCED3D6}},
    {ControlBorderColor, {0x7F7F7F, 0x686868, 0x000000, 0x000000, 0x000000}},
    {ControlBackgroundColor, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}},
    {ControlFontColor, {0x000000, 0xCF4602, 0x000000, 0x000000, 0x000000}},
    {ScrollBarBackgroundColor, {0xC9C9C9, 0xF9F9F9, 0xF5F5F5, 0xF5F5F5, 0xF4F4F4}},
    {ToolBarButtonBorderColor, {0x474747, 0xC66931, 0x474747, 0x474747, 0x474747}},
    {ToolBarButtonBackgroundColor, {0xEFEFEF, 0xEFD3C6, 0xEFEFEF, 0xEFEFEF, 0xEFEFEF}},
    {ToolBarButtonDownBackgroundColor, {0xD8D8D8, 0xE1AC93, 0xD8D8D8, 0xD8D8D8, 0xD8D8D8}},
};

// The value a built-in style (index 0..4 in table order) gives a non-bitmap element; -1 when the
// table lists none.
constexpr int32_t StyleValue(int styleIndex, TskSkinElement element) {
    if (styleIndex < 0 || styleIndex >= kStyleCount) return -1;
    for (const TskStyleValues& v : kStyleValues)
        if (v.element == element) return v.values[styleIndex];
    return -1;
}
} // namespace SkinElement
using SkinElement::TskSkinElement;
