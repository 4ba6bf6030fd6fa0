// The theme model: element table, built-in style tables, style resolution and a form's style.
#include "skin/SKMgr.h"
#include "skin/SKThemes.h"

#include <QMetaEnum>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Stands in for the skinned form panel: GetFormUIStyle knows it by its class name.
class TskForm : public QWidget {
    Q_OBJECT
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
public:
    using QWidget::QWidget;
    TskUIStyle UIStyle() const { return m_style; }
    void SetUIStyle(TskUIStyle s) { m_style = s; }

private:
    TskUIStyle m_style = DeepBlue;
};

} // namespace

TEST(ThemeModel, StyleEnumerationIsAQtEnum) {
    const QMetaEnum e = QMetaEnum::fromType<Skin::TskUIStyle>();
    ASSERT_TRUE(e.isValid());
    EXPECT_EQ(e.keyCount(), 6);
    EXPECT_EQ(e.keyToValue("FromThemeFile"), 0);
    EXPECT_EQ(e.keyToValue("BlueGlass"), 5);
    EXPECT_EQ(sizeof(TskUIStyle), 1u);
}

TEST(ThemeModel, ElementKeysKindsAndResourceNames) {
    EXPECT_EQ(ThemeElementKey(TskSkinElement(1)), "ButtonImage");
    EXPECT_EQ(ThemeElementKey(TskSkinElement(42)), "SideChannelBarImage");
    EXPECT_TRUE(ThemeElementKey(TskSkinElement(0)).isEmpty());
    EXPECT_TRUE(ThemeElementKey(TskSkinElement(43)).isEmpty());
    int bitmaps = 0, ints = 0, colors = 0, bools = 0;
    for (int e = 1; e <= SkinElement::Count; ++e) {
        switch (ThemeElementKind(TskSkinElement(e))) {
        case TskElementKind::Bitmap:
            ++bitmaps;
            break;
        case TskElementKind::Int:
            ++ints;
            EXPECT_TRUE(ThemeElementKey(TskSkinElement(e)).endsWith("Int"));
            break;
        case TskElementKind::Color:
            ++colors;
            EXPECT_TRUE(ThemeElementKey(TskSkinElement(e)).endsWith("Color"));
            break;
        case TskElementKind::Bool:
            ++bools;
            EXPECT_TRUE(ThemeElementKey(TskSkinElement(e)).endsWith("Bool"));
            break;
        }
    }
    EXPECT_EQ(bitmaps, 19);
    EXPECT_EQ(ints + colors, 21);
    EXPECT_EQ(bools, 2);

    EXPECT_EQ(BuiltInBitmapName(DeepBlue, TskSkinElement(1)), "DEEPBLUE_BUTTON");
    EXPECT_EQ(BuiltInBitmapName(MacOS, TskSkinElement(41)), "MACOS_SIDECHENNEL_HANDLE");
    EXPECT_EQ(BuiltInBitmapName(MacOS, TskSkinElement(38)), "MACOS_SCROLLBUTTON");
    EXPECT_EQ(BuiltInBitmapName(WinXP, TskSkinElement(38)), "WINXP_SCROLLBUTTON");
    EXPECT_EQ(BuiltInBitmapName(DeepBlue, TskSkinElement(38)), "MORE_SCROLLBUTTON");
    EXPECT_EQ(BuiltInBitmapName(Protein, TskSkinElement(38)), "MORE_SCROLLBUTTON");
    EXPECT_EQ(BuiltInBitmapName(BlueGlass, TskSkinElement(38)), "MORE_SCROLLBUTTON");
    EXPECT_EQ(BuiltInBitmapName(BlueGlass, TskSkinElement(40)), "BLUEGLASS_TAB_LINE");
    EXPECT_TRUE(BuiltInBitmapName(FromThemeFile, TskSkinElement(1)).isEmpty());
    EXPECT_TRUE(BuiltInBitmapName(WinXP, TskSkinElement(2)).isEmpty());
    EXPECT_EQ(AllBuiltInBitmapNames().size(), 93);
    EXPECT_EQ(ExtraStyleBitmapNames().size(), 7);
}

TEST(ThemeModel, BuiltInValues) {
    EXPECT_EQ(GetBuiltInColor(DeepBlue, TskSkinElement(16)), 0x000000u);
    EXPECT_EQ(GetBuiltInInt(WinXP, TskSkinElement(14)), 13);
    EXPECT_EQ(GetBuiltInInt(MacOS, TskSkinElement(15)), -1); // element 15 is a colour
    EXPECT_EQ(GetBuiltInColor(FromThemeFile, TskSkinElement(15)), 0u);
    EXPECT_EQ(GetBuiltInColor(WinXP, TskSkinElement(16)), 0xC82C00u);
    EXPECT_EQ(GetBuiltInColor(Protein, TskSkinElement(15)), 0xFBFBFBu);
    EXPECT_EQ(GetBuiltInColor(WinXP, TskSkinElement(27)), 0xCF4602u);
    EXPECT_EQ(GetBuiltInColor(MacOS, TskSkinElement(1)), 0u); // a bitmap element
    EXPECT_EQ(GetBuiltInInt(BlueGlass, TskSkinElement(13)), 270);
    EXPECT_EQ(GetBuiltInInt(BlueGlass, TskSkinElement(8)), -3);
    EXPECT_EQ(GetBuiltInInt(MacOS, TskSkinElement(8)), -2);
    EXPECT_EQ(GetBuiltInInt(WinXP, TskSkinElement(17)), 3);
    EXPECT_TRUE(GetBuiltInBool(MacOS, TskSkinElement(2)));
    EXPECT_FALSE(GetBuiltInBool(WinXP, TskSkinElement(2)));
    EXPECT_TRUE(GetBuiltInBool(Protein, TskSkinElement(6)));
    EXPECT_TRUE(GetBuiltInBool(BlueGlass, TskSkinElement(6)));
    EXPECT_FALSE(GetBuiltInBool(MacOS, TskSkinElement(6)));
    EXPECT_FALSE(GetBuiltInBool(MacOS, TskSkinElement(7))); // an integer element

    TskElementKind kind = TskElementKind::Bitmap;
    EXPECT_EQ(GetBuiltInValue(FromThemeFile, TskSkinElement(15), kind), -1);
    EXPECT_EQ(kind, TskElementKind::Int);
    EXPECT_EQ(GetBuiltInValue(BlueGlass, TskSkinElement(21), kind), 0xE7E7E7);
    EXPECT_EQ(kind, TskElementKind::Color);
    GetBuiltInValue(MacOS, TskSkinElement(5), kind);
    EXPECT_EQ(kind, TskElementKind::Bitmap);

    // Every non-bitmap element has a value in every style.
    for (int s = MacOS; s <= BlueGlass; ++s) {
        for (int e = 1; e <= SkinElement::Count; ++e) {
            if (ThemeElementKind(TskSkinElement(e)) == TskElementKind::Bitmap) continue;
            const int32_t v = GetBuiltInValue(static_cast<TskUIStyle>(s), TskSkinElement(e), kind);
            if (ThemeElementKind(TskSkinElement(e)) == TskElementKind::Color) {
                EXPECT_GE(v, 0) << s << " " << e;
            }
        }
    }
}

TEST(ThemeModel, ResolveUIStyle) {
    TskUIStyle style = MacOS;
    EXPECT_FALSE(ResolveUIStyle(nullptr, FromThemeFile, style));
    EXPECT_EQ(style, DeepBlue);

    TskFileTheme theme; // nothing loaded
    EXPECT_FALSE(ResolveUIStyle(&theme, FromThemeFile, style));
    EXPECT_EQ(style, DeepBlue);
    EXPECT_FALSE(ResolveUIStyle(&theme, WinXP, style));
    EXPECT_EQ(style, WinXP);
    EXPECT_FALSE(ResolveUIStyle(nullptr, Protein, style));
    EXPECT_EQ(style, Protein);
}

TEST(ThemeModel, GetFormUIStyle) {
    EXPECT_EQ(GetFormUIStyle(nullptr), DeepBlue);
    QObject plain;
    EXPECT_EQ(GetFormUIStyle(&plain), DeepBlue);

    QWidget form;
    EXPECT_EQ(GetFormUIStyle(&form), DeepBlue); // holds no TskForm
    auto* other = new QWidget(&form);
    auto* first = new TskForm(&form);
    first->SetUIStyle(MacOS);
    auto* second = new TskForm(&form);
    second->SetUIStyle(WinXP);
    EXPECT_EQ(GetFormUIStyle(&form), MacOS);    // the first one
    EXPECT_EQ(GetFormUIStyle(other), DeepBlue); // not a form
    EXPECT_EQ(GetFormUIStyle(first), DeepBlue); // a child widget is not a form
    first->SetUIStyle(FromThemeFile);
    EXPECT_EQ(GetFormUIStyle(&form), FromThemeFile);
}

#include "ThemeModelTest.moc"
