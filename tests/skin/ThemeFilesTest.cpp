// The generated pictures: the four theme files hold exactly the entries, values and bitmap sizes
// the programs' windows expect, and every style bitmap the built-in tables name exists.
#include "skin/SKPublic.h"
#include "skin/SKThemeFile.h"
#include "skin/SKThemes.h"

#include <QFile>
#include <QImage>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray ThemeBytes(const char* name) {
    QFile f(ThemeResourcePath(QString::fromLatin1(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const char* const kFiles[] = {"new.skn", "mp10.skn", "new1.skn", "new2.skn"};

struct Value {
    const char* key;
    int64_t values[4]; // new, mp10, new1, new2
};

const Value kValues[] = {
    {"TitleBarButtonLeftOffsetInt", {5, 8, 5, 5}},
    {"TitleBarButtonRightOffsetInt", {-5, -8, -5, -5}},
    {"TitleBarButtonTopInt", {5, 7, 5, 5}},
    {"FormMinWidthInt", {200, 200, 200, 200}},
    {"FormRoundCornerInt", {13, 0, 13, 13}},
    {"FormBackgroundColor", {0xF0DCD3, 0xFAE5D8, 0xF0DCD3, 0xF0DCD3}},
    {"FormBorderColor", {0x808080, 0xC67762, 0x808080, 0x808080}},
    {"FormBorderWidthInt", {1, 2, 1, 1}},
    {"MenuSelectedBorderColor", {0xF0DCD3, 0xA04A44, 0xF0DCD3, 0xF0DCD3}},
    {"MenuSelectedBackgroundColor", {0xF0DCD3, 0xD28E51, 0xF0DCD3, 0xF0DCD3}},
    {"MenuSelectedFontColor", {0x000000, 0xFFFFFF, 0x000000, 0x000000}},
    {"MenuBackgroundColor", {0xFFFFFF, 0xA25713, 0xFFFFFF, 0xFFFFFF}},
    {"MenuFontColor", {0x000000, 0xFFFFFF, 0x000000, 0x000000}},
    {"MenuBarColor", {0xC0C0C0, 0x97571E, 0xC0C0C0, 0xC0C0C0}},
    {"ControlBorderColor", {0x7E6666, 0xBB8B57, 0x7E6666, 0x7E6666}},
    {"ControlBackgroundColor", {0xFFFFFF, static_cast<int32_t>(0xFF000014u), 0xFFFFFF, 0xFFFFFF}},
    {"ControlFontColor", {0x000000, 0x020000, 0x000000, 0x000000}},
    {"ScrollBarBackgroundColor", {0xF9F9F9, 0xF9F9F9, 0xF9F9F9, 0xF9F9F9}},
    {"ToolBarButtonBorderColor", {0x000000, 0xB47734, 0x000000, 0x000000}},
    {"ToolBarButtonBackgroundColor", {0xFFFFFF, 0xA97438, 0xFFFFFF, 0xFFFFFF}},
    {"ToolBarButtonDownBackgroundColor", {0xC0C0C0, 0x79420E, 0xC0C0C0, 0xC0C0C0}},
};

struct BitmapSize {
    const char* key;
    QSize sizes[4];
};

const BitmapSize kSizes[] = {
    {"ButtonImage", {{225, 21}, {198, 25}, {225, 21}, {225, 21}}},
    {"CheckBoxImage", {{52, 13}, {60, 15}, {52, 13}, {52, 13}}},
    {"RadioButtonImage", {{52, 13}, {60, 15}, {52, 13}, {52, 13}}},
    {"TitleBarButtonImage", {{378, 21}, {450, 25}, {378, 21}, {378, 21}}},
    {"TitleBarLeftImage", {{19, 24}, {57, 40}, {19, 24}, {19, 24}}},
    {"TitleBarClientImage", {{7, 24}, {57, 40}, {7, 24}, {7, 24}}},
    {"TitleBarRightImage", {{23, 24}, {156, 40}, {23, 24}, {23, 24}}},
    {"ProgressBarImage", {{6, 10}, {6, 8}, {6, 10}, {6, 10}}},
    {"TrackBarBarImage", {{84, 1}, {84, 1}, {84, 1}, {84, 1}}},
    {"TrackBarSliderImage", {{14, 14}, {11, 21}, {14, 14}, {14, 14}}},
    {"TrackBarSliderVImage", {{22, 11}, {9, 21}, {7, 14}, {7, 14}}},
    {"ScrollBarButtonImage", {{96, 17}, {96, 17}, {96, 17}, {96, 17}}},
    {"ScrollBarSliderImage", {{21, 16}, {21, 16}, {21, 16}, {21, 16}}},
    {"CheckListBoxImage", {{44, 11}, {44, 11}, {44, 11}, {44, 11}}},
    {"ScrollButtonImage", {{72, 18}, {68, 17}, {72, 18}, {72, 18}}},
    {"TabControlTabImage", {{18, 18}, {30, 17}, {18, 18}, {18, 18}}},
    {"TabControlBarImage", {{8, 1}, {8, 1}, {8, 1}, {8, 1}}},
    {"SideChannelHandleImage", {{8, 86}, {7, 84}, {8, 86}, {8, 86}}},
    {"SideChannelBarImage", {{1, 21}, {1, 26}, {1, 21}, {1, 21}}},
};

} // namespace

TEST(GeneratedThemeFiles, SignatureEntriesAndStoredLayout) {
    for (const char* name : kFiles) {
        SCOPED_TRACE(name);
        const QByteArray data = ThemeBytes(name);
        ASSERT_FALSE(data.isEmpty());
        EXPECT_TRUE(IsValidThemeData(data));
        EXPECT_EQ(data.left(12), QByteArray("ZEVAvev_TB\0\0", 12));
        const TskThemeFileReader reader = TskThemeFileReader::FromData(data);
        EXPECT_EQ(reader.BitmapKeys().size(), 19);
        EXPECT_EQ(reader.IntegerLines().size(), 21);
        EXPECT_EQ(reader.BooleanLines().size(), 2);
        EXPECT_TRUE(reader.StringLines().isEmpty());

        // Stored order: the bitmaps in element order, the integers in element order, the flags.
        QStringList bitmaps, numbers;
        for (int e = 1; e <= SkinElement::Count; ++e) {
            const TskElementKind kind = ThemeElementKind(TskSkinElement(e));
            if (kind == TskElementKind::Bitmap) bitmaps << ThemeElementKey(TskSkinElement(e));
            if (kind == TskElementKind::Int || kind == TskElementKind::Color)
                numbers << ThemeElementKey(TskSkinElement(e));
        }
        EXPECT_EQ(reader.BitmapKeys(), bitmaps);
        QStringList intKeys;
        for (const QString& line : reader.IntegerLines())
            intKeys << line.section('=', 0, 0);
        EXPECT_EQ(intKeys, numbers);
        EXPECT_EQ(reader.BooleanLines(),
                  (QStringList{"ButtonTransparentBool=0", "TitleBarButtonTransparentBool=0"}));

        // Each entry directly followed by its data; the file ends with the terminator entry.
        EXPECT_EQ(qFromLittleEndian<uint32_t>(data.constData() + 12), 24u);
        EXPECT_EQ(qFromLittleEndian<uint32_t>(data.constData() + 16), 1u);
        uint32_t at = qFromLittleEndian<uint32_t>(data.constData() + 20);
        EXPECT_EQ(at, 24u);
        int entries = 0;
        while (qFromLittleEndian<uint32_t>(data.constData() + at + 73) != 0) {
            const uint32_t dataOffset = qFromLittleEndian<uint32_t>(data.constData() + at + 65);
            const uint32_t size = qFromLittleEndian<uint32_t>(data.constData() + at + 69);
            ASSERT_EQ(dataOffset, at + 77);
            ASSERT_EQ(qFromLittleEndian<uint32_t>(data.constData() + at + 73), dataOffset + size);
            at = dataOffset + size;
            ++entries;
        }
        EXPECT_EQ(entries, 42);
        EXPECT_EQ(static_cast<qsizetype>(at) + 77, data.size());
        EXPECT_EQ(data.at(at), '\0');
        EXPECT_EQ(data.at(at + 64), 2);
    }
}

TEST(GeneratedThemeFiles, ValuesAndBitmapSizes) {
    for (int f = 0; f < 4; ++f) {
        SCOPED_TRACE(kFiles[f]);
        const TskThemeFileReader reader = TskThemeFileReader::FromData(ThemeBytes(kFiles[f]));
        for (const Value& v : kValues) {
            EXPECT_EQ(reader.GetInt(v.key), static_cast<int32_t>(v.values[f])) << v.key;
        }
        EXPECT_FALSE(reader.GetBool("ButtonTransparentBool"));
        EXPECT_FALSE(reader.GetBool("TitleBarButtonTransparentBool"));
        for (const BitmapSize& s : kSizes) {
            const QByteArray bmp = reader.GetBitmap(s.key);
            ASSERT_TRUE(bmp.startsWith("BM")) << s.key;
            // A complete BMP file: its stated size is the entry's size.
            EXPECT_EQ(qFromLittleEndian<uint32_t>(bmp.constData() + 2), static_cast<uint32_t>(bmp.size()))
                << s.key;
            EXPECT_EQ(QImage::fromData(bmp, "BMP").size(), s.sizes[f]) << s.key;
        }
    }
}

TEST(GeneratedThemeFiles, StylePicturesFollowTheirStripConventions) {
    // Every named bitmap exists; multi-piece strips divide evenly; transparent pictures use magenta.
    for (const QString& name : AllBuiltInBitmapNames() + ExtraStyleBitmapNames()) {
        QImage image;
        ASSERT_TRUE(LoadBitmapResource(name, image)) << name.toStdString();
        EXPECT_FALSE(image.isNull());
    }
    const struct {
        int element;
        int pieces;
    } strips[] = {{1, 3}, {3, 4}, {4, 4}, {5, 18}, {32, 6}, {33, 3}, {34, 4}, {38, 4}, {39, 2}, {28, 3}};
    for (int s = MacOS; s <= BlueGlass; ++s) {
        const auto style = static_cast<TskUIStyle>(s);
        for (const auto& strip : strips) {
            QImage image;
            GetBuiltInBitmap(style, TskSkinElement(strip.element), &image);
            EXPECT_EQ(image.width() % strip.pieces, 0)
                << BuiltInBitmapName(style, TskSkinElement(strip.element)).toStdString();
        }
        // Radio buttons are drawn with their bottom-left pixel's colour left out: magenta.
        QImage radio;
        GetBuiltInBitmap(style, SkinElement::RadioButtonImage, &radio, 4, 1);
        EXPECT_EQ(PixelColor(radio, 0, radio.height() - 1), clFuchsia);
        // A transparent button is keyed by its top-left pixel, an opaque one shows no magenta.
        QImage button;
        GetBuiltInBitmap(style, SkinElement::ButtonImage, &button, 3, 1);
        if (GetBuiltInBool(style, SkinElement::ButtonTransparentBool)) {
            EXPECT_EQ(PixelColor(button, 0, 0), clFuchsia);
        } else {
            EXPECT_NE(PixelColor(button, 0, 0), clFuchsia);
        }
        QImage titleButton;
        GetBuiltInBitmap(style, SkinElement::TitleBarButtonImage, &titleButton, 18, 16);
        EXPECT_EQ(PixelColor(titleButton, 0, titleButton.height() - 1) == clFuchsia,
                  GetBuiltInBool(style, SkinElement::TitleBarButtonTransparentBool));
    }
}

TEST(GeneratedThemeFiles, BuiltInBitmapPieces) {
    QImage whole, middle;
    LoadBuiltInBitmap(WinXP, TskSkinElement(1), &whole);
    ASSERT_EQ(whole.size(), QSize(225, 21));
    GetBuiltInBitmap(WinXP, TskSkinElement(1), &middle, 3, 2);
    ASSERT_EQ(middle.size(), QSize(75, 21));
    EXPECT_EQ(middle, whole.copy(75, 0, 75, 21));

    // Not a bitmap element, a missing graphic, or no built-in style: nothing happens.
    QImage untouched(3, 3, QImage::Format_RGB32);
    untouched.fill(Qt::red);
    const QImage before = untouched;
    LoadBuiltInBitmap(WinXP, TskSkinElement(2), &untouched);
    GetBuiltInBitmap(FromThemeFile, TskSkinElement(1), &untouched);
    EXPECT_EQ(untouched, before);
    GetBuiltInBitmap(WinXP, TskSkinElement(1), nullptr, 3, 2);
    LoadBuiltInBitmap(WinXP, TskSkinElement(1), nullptr);

    QImage shared1, shared2;
    GetBuiltInBitmap(DeepBlue, SkinElement::ScrollButtonImage, &shared1);
    GetBuiltInBitmap(BlueGlass, SkinElement::ScrollButtonImage, &shared2);
    EXPECT_EQ(shared1, shared2);
    EXPECT_EQ(shared1.size(), QSize(72, 18));
}
