// A theme loaded at run time re-themes every skinned control of its form; the theme going away
// turns them all to DeepBlue; every control class can be built from a form description.
#include "SkinControlsSupport.h"

#include "platform/FormResource.h"
#include "skin/SKButton.h"
#include "skin/SKGroupBox.h"
#include "skin/SKImagePanel.h"
#include "skin/SKMainMenu.h"
#include "skin/SKPopupMenu.h"
#include "skin/SKRegister.h"
#include "skin/SKTitleBar.h"
#include "skin/SKTrackBar.h"

#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

struct Form {
    explicit Form(const QString& themePath) {
        window = std::make_unique<QWidget>();
        window->resize(400, 300);
        theme = new TskFileTheme(window.get());
        theme->SetThemeFile(themePath);
        button = new TskButton(window.get());
        box = new TskCheckBox(window.get());
        radio = new TskRadioButton(window.get());
        track = new TskTrackBar(window.get());
        group = new TskGroupBox(window.get());
        inGroup = new TskButton(group);
        title = new TskTitleBar(window.get());
        popup = new TskPopupMenu(window.get());
        mainMenu = new TskMainMenu(window.get());
        for (QObject* o :
             std::initializer_list<QObject*>{button, box, radio, track, group, title, popup, mainMenu}) {
            o->setProperty("FileTheme", QVariant::fromValue(theme));
            o->setProperty("UIStyle", QVariant::fromValue(FromThemeFile));
        }
        button->resize(60, 24);
        track->resize(114, track->height());
    }
    // One look-defining value of every control, so a change of theme shows in each.
    QList<TColor> Looks() const {
        const QImage b = button->Render();
        const QImage c = box->Render();
        const QImage r = radio->Render();
        QImage left;
        title->GetLeftPicture(left);
        return {At(b, 30, 12),
                At(c, 7, (box->height() - 13) / 2 + 6),
                At(r, 7, (radio->height() - 13) / 2 + 6),
                track->SliderImage().isNull() ? 0xFFFFFFFFu : At(track->SliderImage(), 5, 5),
                group->BorderColor(),
                FontColor(group),
                At(inGroup->Render(), 30, 12),
                left.isNull() ? 0xFFFFFFFFu : At(left, 5, 5),
                popup->Color(),
                popup->SelectedColor(),
                mainMenu->Color()};
    }
    std::unique_ptr<QWidget> window;
    TskFileTheme* theme;
    TskButton* button;
    TskCheckBox* box;
    TskRadioButton* radio;
    TskTrackBar* track;
    TskGroupBox* group;
    TskButton* inGroup;
    TskTitleBar* title;
    TskPopupMenu* popup;
    TskMainMenu* mainMenu;
};

QList<TColor> Expected(const ThemeColors& c) {
    return {c.button(1), c.box(2),      c.radio(2),   c.slider(),      c.controlBorder(), c.controlFont(),
            c.button(1), c.titleLeft(), c.menuBack(), c.menuSelBack(), c.menuBack()};
}

} // namespace

TEST(ThemeChange, LoadingAnotherThemeFileReThemesEveryControl) {
    QTemporaryDir dir;
    const QString first = dir.filePath("first.skn"), second = dir.filePath("second.skn");
    WriteThemeFile(first, ThemeColors(0));
    WriteThemeFile(second, ThemeColors(1));
    Form form(first);
    ASSERT_TRUE(form.theme->CanUse());
    // The group box handed its theme to the button inside it.
    EXPECT_EQ(form.inGroup->FileTheme(), form.theme);
    EXPECT_EQ(form.Looks(), Expected(ThemeColors(0)));
    form.theme->SetThemeFile(second);
    EXPECT_EQ(form.Looks(), Expected(ThemeColors(1)));
}

TEST(ThemeChange, RemovingTheThemeTurnsEveryControlToDeepBlue) {
    QTemporaryDir dir;
    const QString first = dir.filePath("first.skn");
    WriteThemeFile(first, ThemeColors(0));
    Form form(first);
    delete form.theme;
    for (QObject* o :
         std::initializer_list<QObject*>{form.button, form.box, form.radio, form.track, form.group,
                                         form.inGroup, form.title, form.popup, form.mainMenu}) {
        EXPECT_EQ(o->property("FileTheme").value<TskFileTheme*>(), nullptr) << o->metaObject()->className();
        EXPECT_EQ(o->property("UIStyle").value<TskUIStyle>(), DeepBlue) << o->metaObject()->className();
    }
    EXPECT_EQ(form.group->BorderColor(), GetBuiltInColor(DeepBlue, SkinElement::ControlBorderColor));
    EXPECT_EQ(form.popup->Color(), GetBuiltInColor(DeepBlue, SkinElement::MenuBackgroundColor));
    form.Looks(); // every control still draws
}

// ---------------------------------------------------------------------------------------------

namespace {

class TfrmSkinTest : public QWidget {
    Q_OBJECT
public:
    int okClicks = 0;
    int boxClicks = 0;
public Q_SLOTS:
    void btnOkClick() { ++okClicks; }
    void cboxMuteClick() { ++boxClicks; }
};

} // namespace

TEST(SkinControlRegistry, EveryClassIsKnownAndBuildsFromADescription) {
    RegisterSkinControls();
    for (const char* name :
         {"TskButton", "TskImageButton", "TskCheckBox", "TskRadioButton", "TskTrackBar", "TskScrollTrackBar",
          "TskImagePanel", "TskGroupBox", "TskTitleBar", "TskPopupMenu", "TskMainMenu"}) {
        EXPECT_TRUE(FormClassRegistry::contains(name)) << name;
    }
    const QByteArray text = R"(object frmSkinTest: TfrmSkinTest
  ClientWidth = 300
  ClientHeight = 200
  object btnOk: TskButton
    Left = 10
    Top = 20
    Width = 75
    Caption = '&Ok'
    ModalResult = 1
    Default = True
    UIStyle = WinXP
    OnClick = btnOkClick
  end
  object cboxMute: TskCheckBox
    Top = 60
    Caption = 'Mute'
    Checked = True
    OnClick = cboxMuteClick
  end
  object tbVolume: TskTrackBar
    Top = 90
    Max = 100
    Position = 40
    PageSize = 10
    Orientation = skVertical
  end
  object gbOptions: TskGroupBox
    Left = 120
    Caption = 'Options'
    object rbOne: TskRadioButton
      GroupIndex = 2
    end
  end
  object titleMain: TskTitleBar
    Caption = 'Title'
    DrawAppIcon = True
  end
  object imgBack: TskImagePanel
    DrawStyle = skTile
  end
  object muPopup: TskPopupMenu
    FlatMenu = True
  end
end
)";
    TfrmSkinTest form;
    LoadFormDescription(&form, ParseFormDescription(text));
    auto* ok = FormChild<TskButton>(&form, "btnOk");
    EXPECT_EQ(ok->geometry(), QRect(10, 20, 75, 27));
    EXPECT_EQ(ok->Caption(), "&Ok");
    EXPECT_EQ(ok->ModalResult(), 1);
    EXPECT_TRUE(ok->Default());
    EXPECT_EQ(ok->UIStyle(), WinXP);
    auto* mute = FormChild<TskCheckBox>(&form, "cboxMute");
    EXPECT_TRUE(mute->Checked());
    EXPECT_EQ(form.boxClicks, 0); // loading fires no handler
    mute->SetChecked(false);
    EXPECT_EQ(form.boxClicks, 1);
    ok->Click();
    EXPECT_EQ(form.okClicks, 1);
    auto* volume = FormChild<TskTrackBar>(&form, "tbVolume");
    EXPECT_EQ(volume->Position(), 40);
    EXPECT_EQ(volume->PageSize(), 10);
    EXPECT_EQ(volume->Orientation(), skVertical);
    EXPECT_EQ(FormChild<TskGroupBox>(&form, "gbOptions")->Caption(), "Options");
    EXPECT_EQ(FormChild<TskRadioButton>(&form, "rbOne")->GroupIndex(), 2);
    EXPECT_EQ(FormChild<TskRadioButton>(&form, "rbOne")->parentWidget(), FindFormObject(&form, "gbOptions"));
    EXPECT_TRUE(FormChild<TskTitleBar>(&form, "titleMain")->DrawAppIcon());
    EXPECT_EQ(FormChild<TskImagePanel>(&form, "imgBack")->DrawStyle(), TskCustomPanel::skTile);
    EXPECT_TRUE(FormChild<TskPopupMenu>(&form, "muPopup")->FlatMenu());
}

#include "ThemeChangeTest.moc"
