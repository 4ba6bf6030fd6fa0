#include "platform/Colors.h"

namespace {
// System colours 0..30, classic desktop scheme, as 0xRRGGBB.
constexpr uint32_t kSystemColors[] = {
    0xC0C0C0, // 0 scroll bar
    0x3A6EA5, // 1 desktop
    0x0A246A, // 2 active caption
    0x808080, // 3 inactive caption
    0xD4D0C8, // 4 menu
    0xFFFFFF, // 5 window
    0x000000, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xD4D0C8, // 10 active border
    0xD4D0C8, // 11 inactive border
    0x808080, // 12 application workspace
    0x0A246A, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xD4D0C8, // 15 button face
    0x808080, // 16 button shadow
    0x808080, // 17 grey text
    0x000000, // 18 button text
    0xD4D0C8, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x404040, // 21 3-D dark shadow
    0xD4D0C8, // 22 3-D light
    0x000000, // 23 info text
    0xFFFFE1, // 24 info background
    0xB5B5B5, // 25 (unused)
    0x0000FF, // 26 hot light
    0xA6CAF0, // 27 gradient active caption
    0xC0C0C0, // 28 gradient inactive caption
    0x316AC5, // 29 menu highlight
    0xD4D0C8, // 30 menu bar
};
} // namespace

QColor ColorToQColor(TColor color) {
    if ((color & 0xFF000000u) == 0xFF000000u) {
        const uint32_t index = color & 0xFFu;
        const uint32_t rgb = index < std::size(kSystemColors) ? kSystemColors[index] : 0;
        return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor QColorToColor(const QColor& c) {
    return static_cast<TColor>(c.red()) | (static_cast<TColor>(c.green()) << 8) |
           (static_cast<TColor>(c.blue()) << 16);
}
