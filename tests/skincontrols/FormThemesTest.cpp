// A window description holding its themes and shape: a theme file embedded in the description
// (binary data) or taken from a resource, a theme component the controls point at, and a shaped
// form's picture from its resource path.
#include "platform/FormResource.h"
#include "skin/SKButton.h"
#include "skin/SKMgr.h"
#include "skin/SKRegister.h"
#include "skin/SKSkinForm.h"
#include "skin/SKThemes.h"
#include "skin/SKTrackBar.h"

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

// Another window names the main window's theme components as frmMain.themeX: it gets the very
// objects the main window holds, whatever windows came between. Made without its main window it gets
// its own copy of the named theme, usable; a component the main window lacks, or a window that does
// not exist for a name no copy stands in for, is a fault that says which.
TEST(FormThemes, AnotherWindowTakesTheMainWindowsThemes) {
    InitSkinResources();
    RegisterSkinControls();
    const QByteArray player = "object frmPlayer: TfrmThemed\n"
                              "  object tbVolume: TskTrackBar\n"
                              "    UIStyle = FromThemeFile\n"
                              "    FileTheme = frmMain.themeMp10\n"
                              "  end\n"
                              "  object tbEQ1: TskTrackBar\n"
                              "    FileTheme = frmMain.themeNew2\n"
                              "  end\n"
                              "  object tbEQ2: TskTrackBar\n"
                              "    FileTheme = frmMain.themeNew2\n"
                              "  end\n"
                              "end\n";
    auto loadError = [](const QByteArray& text) {
        TfrmThemed window;
        try {
            LoadFormDescription(&window, ParseFormDescription(text));
        } catch (const FormResourceError& e) {
            return QString::fromUtf8(e.what());
        }
        return QStringLiteral("no error");
    };
    {
        SCOPED_TRACE("without its main window");
        TfrmThemed alone;
        LoadFormDescription(&alone, ParseFormDescription(player));
        auto* mp10 = FormChild<TskBuiltInFileTheme>(&alone, "themeMp10");
        EXPECT_TRUE(mp10->CanUse());
        EXPECT_EQ(FormChild<TskTrackBar>(&alone, "tbVolume")->FileTheme(), mp10);
        EXPECT_TRUE(FormChild<TskTrackBar>(&alone, "tbVolume")->Theme().fromFile);
        EXPECT_EQ(FormChild<TskTrackBar>(&alone, "tbEQ1")->FileTheme(),
                  FormChild<TskTrackBar>(&alone, "tbEQ2")->FileTheme());
        EXPECT_EQ(alone.findChildren<TskBuiltInFileTheme*>().size(), 2);
        EXPECT_TRUE(loadError("object f: TfrmThemed\n object p: TskTrackBar\n FileTheme = frmNone.themeBlue\n"
                              " end\nend")
                        .contains(QLatin1String(
                            "FileTheme names frmNone.themeBlue, but there is no window frmNone")));
    }
    TfrmThemed main;
    LoadFormDescription(&main, ParseFormDescription("object frmMain: TfrmThemed\n"
                                                    "  object themeMp10: TskBuiltInFileTheme\n"
                                                    "    SkinData = ':/themes/mp10.skn'\n"
                                                    "  end\n"
                                                    "  object themeNew2: TskBuiltInFileTheme\n"
                                                    "    SkinData = ':/themes/new2.skn'\n"
                                                    "  end\n"
                                                    "end\n"));
    TfrmThemed between;
    LoadFormDescription(&between, ParseFormDescription("object frmBetween: TfrmThemed\nend\n"));
    TfrmThemed window;
    LoadFormDescription(&window, ParseFormDescription(player));
    EXPECT_EQ(FormChild<TskTrackBar>(&window, "tbVolume")->FileTheme(),
              FormChild<TskBuiltInFileTheme>(&main, "themeMp10"));
    EXPECT_EQ(FormChild<TskTrackBar>(&window, "tbEQ2")->FileTheme(),
              FormChild<TskBuiltInFileTheme>(&main, "themeNew2"));
    EXPECT_TRUE(window.findChildren<TskBuiltInFileTheme*>().isEmpty());
    EXPECT_TRUE(
        loadError("object f: TfrmThemed\n object p: TskTrackBar\n FileTheme = frmMain.themeNew1\n end\nend")
            .contains(
                QLatin1String("FileTheme names frmMain.themeNew1, but the window frmMain has no component "
                              "themeNew1")));
}

#include "FormThemesTest.moc"
