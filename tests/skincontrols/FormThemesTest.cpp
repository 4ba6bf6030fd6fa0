// A window description holding its themes and shape: a theme file embedded in the description
// (binary data) or taken from a resource, a theme component the controls point at, and a shaped
// form's picture from its resource path.
#include "platform/FormResource.h"
#include "skin/SKButton.h"
#include "skin/SKMgr.h"
#include "skin/SKRegister.h"
#include "skin/SKSkinForm.h"
#include "skin/SKThemes.h"

#include <QFile>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class TfrmThemed : public QWidget {
    Q_OBJECT
};

QByteArray resourceBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The bytes as a description writes them: hex digits, 64 to a line.
QByteArray binaryValue(const QByteArray& bytes) {
    const QByteArray hex = bytes.toHex().toUpper();
    QByteArray text = "{\n";
    for (qsizetype i = 0; i < hex.size(); i += 64)
        text += "      " + hex.mid(i, 64) + "\n";
    return text + "    }";
}

} // namespace

TEST(FormThemes, ADescriptionHoldsItsThemesAndShape) {
    InitSkinResources();
    RegisterSkinControls();
    const QByteArray mp10 = resourceBytes(QStringLiteral(":/themes/mp10.skn"));
    ASSERT_FALSE(mp10.isEmpty());
    const QByteArray text = "object frmThemed: TfrmThemed\n"
                            "  object themeMp10: TskBuiltInFileTheme\n"
                            "    SkinData = " +
                            binaryValue(mp10) +
                            "\n"
                            "  end\n"
                            "  object themeNew: TskBuiltInFileTheme\n"
                            "    SkinData = ':/themes/new.skn'\n"
                            "  end\n"
                            "  object shape: TskSkinForm\n"
                            "    Glyph = ':/bitmaps/MACOS_BUTTON.bmp'\n"
                            "    TransparentColor = clFuchsia\n"
                            "  end\n"
                            "  object btnOk: TskButton\n"
                            "    FileTheme = themeMp10\n"
                            "  end\n"
                            "  object btnNew: TskButton\n"
                            "    FileTheme = themeNew\n"
                            "  end\n"
                            "end\n";
    TfrmThemed form;
    LoadFormDescription(&form, ParseFormDescription(text));

    auto* mp10Theme = FormChild<TskBuiltInFileTheme>(&form, "themeMp10");
    auto* newTheme = FormChild<TskBuiltInFileTheme>(&form, "themeNew");
    EXPECT_TRUE(mp10Theme->CanUse());
    EXPECT_TRUE(newTheme->CanUse());
    EXPECT_EQ(FormChild<TskButton>(&form, "btnOk")->FileTheme(), mp10Theme);
    EXPECT_EQ(FormChild<TskButton>(&form, "btnNew")->FileTheme(), newTheme);

    auto* shape = FormChild<TskSkinForm>(&form, "shape");
    EXPECT_EQ(shape->Form(), &form);
    EXPECT_FALSE(shape->Glyph().isNull());
    EXPECT_EQ(shape->Glyph().size(), QImage(QStringLiteral(":/bitmaps/MACOS_BUTTON.bmp")).size());
    EXPECT_EQ(shape->TransparentColor(), clFuchsia);
}

#include "FormThemesTest.moc"
