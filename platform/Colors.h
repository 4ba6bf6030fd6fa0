#pragma once

#include <QColor>
#include <cstdint>

// Colours as the theme files and forms store them: 0x00BBGGRR, or 0xFF0000nn for system colour nn.
using TColor = uint32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clFuchsia = 0xFF00FF; // the transparent colour of skin bitmaps and shaped windows
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor clHighlight = 0xFF00000D;
constexpr TColor clMenuText = 0xFF000007;
constexpr TColor clWindow = 0xFF000005;
constexpr TColor clWindowText = 0xFF000008;
constexpr TColor clInactiveCaption = 0xFF000003;
constexpr TColor clHighlightText = 0xFF00000E;
constexpr TColor clBtnHighlight = 0xFF000014;
constexpr TColor clBtnShadow = 0xFF000010;
constexpr TColor clGrayText = 0xFF000011;
constexpr TColor clBtnText = 0xFF000012;

// The RGB colour of a colour value; system colours come from a fixed table of the classic desktop
// colours, so a skin looks the same on every desktop.
QColor ColorToQColor(TColor color);
// The 0x00BBGGRR value of an RGB colour.
TColor QColorToColor(const QColor& color);
