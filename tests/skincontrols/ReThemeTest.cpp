// A window holding the form panel, scroll bars and a memo goes through all five built-in styles
// and the four embedded theme files: every control takes each look, and nothing piles up.
#include "SkinControlsSupport.h"

#include "skin/SKButton.h"
#include "skin/SKForm.h"
#include "skin/SKMemo.h"
#include "skin/SKScrollBar.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace SkinControlsTest;

TEST(ReTheme, EveryStyleAndThemeFileReachesEveryControlAndLeaksNothing) {
    QWidget form;
    form.resize(420, 320);
    form.show();
    auto* frame = new TskForm(&form);
    auto* memo = new TskMemo(frame);
    memo->setGeometry(20, 60, 200, 120);
    auto* vbar = new TskScrollBar(frame);
    memo->SetVScrollBar(vbar);
    auto* hbar = new TskScrollBar(frame);
    hbar->setGeometry(20, 220, 200, 16);
    frame->SetUIStyleAutoUpdateSub(true); // the panel hands its look to the controls on it
    memo->show();
    vbar->show();
    hbar->show();
    auto* theme = new TskBuiltInFileTheme(&form);

    qsizetype objects = -1;
    auto check = [&](const QString& look) {
        SCOPED_TRACE(look.toStdString());
        const TskThemeSource source = frame->Theme();
        EXPECT_EQ(frame->BorderColor(), source.Color(SkinElement::FormBorderColor));
        EXPECT_EQ(At(form.grab().toImage(), 0, form.height() / 2), frame->BorderColor());
        EXPECT_EQ(memo->BorderColor(), source.Color(SkinElement::ControlBorderColor));
        EXPECT_EQ(At(memo->Render(), 0, 60), memo->BorderColor());
        for (TskScrollBar* bar : {vbar, hbar}) {
            EXPECT_EQ(bar->Color(), source.Color(SkinElement::ScrollBarBackgroundColor));
            QImage piece = source.Bitmap(SkinElement::ScrollBarButtonImage, 6, 1);
            if (bar->Orientation() == skHorizontal) RotateBitmap(piece);
            EXPECT_EQ(bar->BackButton()->PicNormal(), piece);
        }
        QImage left;
        frame->TitleBar()->GetLeftPicture(left);
        EXPECT_EQ(left, source.Bitmap(SkinElement::TitleBarLeftImage));
        // Re-theming replaces pictures and sections, but adds no objects.
        const qsizetype now = form.findChildren<QObject*>().size();
        if (objects >= 0) {
            EXPECT_EQ(now, objects);
        }
        objects = now;
    };
    // A rounded look first: the window's shape, once it has one, stays with it.
    for (TskUIStyle style : {WinXP, MacOS, DeepBlue, Protein, BlueGlass, WinXP}) {
        frame->SetUIStyle(style);
        check(QString::number(style));
    }
    frame->SetFileTheme(theme);
    frame->SetUIStyle(FromThemeFile);
    for (const char* file : {"new.skn", "mp10.skn", "new1.skn", "new2.skn"}) {
        QFile resource(ThemeResourcePath(file));
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
        // Loading another file into the theme re-themes every control that refers to it.
        theme->ReadSkinData(resource.readAll());
        EXPECT_EQ(vbar->FileTheme(), theme);
        EXPECT_EQ(memo->UIStyle(), FromThemeFile);
        check(QString::fromLatin1(file));
    }
    // The theme going away: DeepBlue everywhere.
    delete theme;
    --objects;
    EXPECT_EQ(frame->UIStyle(), DeepBlue);
    EXPECT_EQ(memo->UIStyle(), DeepBlue);
    EXPECT_EQ(vbar->FileTheme(), nullptr);
    check(QStringLiteral("removed"));
}
