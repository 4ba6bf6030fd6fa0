// A window holding one of each of the edits, combo box, link label, page control, progress bar
// and list view, re-themed through the five built-in styles and the four embedded theme files:
// every control takes that look, and nothing piles up on the way. Then the same controls with
// hostile values.
#include "SkinControlsSupport.h"

#include "skin-extra/SKListView.h"
#include "skin-extra/SKProgressBar.h"
#include "skin/SKComboBox.h"
#include "skin/SKEdit.h"
#include "skin/SKPageControl.h"
#include "skin/SKScrollBar.h"
#include "skin/SKURLLabel.h"

#include <QFile>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <limits>

using namespace SkinControlsTest;

namespace {

struct NewControls {
    explicit NewControls(QWidget* form) {
        edit = new TskEdit(form);
        number = new TskNumberEdit(form);
        combo = new TskComboBox(form);
        label = new TskURLLabel(form);
        pages = new TskPageControl(form);
        pages->setGeometry(0, 0, 300, 150);
        sheet = new TskTabSheet(pages);
        sheet->SetCaption("General");
        inSheet = new TskEdit(sheet);
        progress = new TskProgressBar(form);
        list = new TskListView(form);
        list->setGeometry(0, 160, 200, 100);
        vBar = new TskScrollBar(form);
        list->SetVScrollBar(vBar);
        for (int i = 0; i < 40; ++i)
            list->List()->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("Row %1").arg(i)}));
    }
    void Theme(TskFileTheme* theme, TskUIStyle style) {
        for (QObject* o : std::initializer_list<QObject*>{edit, number, combo, pages, progress, list}) {
            o->setProperty("FileTheme", QVariant::fromValue(theme));
            o->setProperty("UIStyle", QVariant::fromValue(style));
        }
    }
    TskEdit* edit;
    TskNumberEdit* number;
    TskComboBox* combo;
    TskURLLabel* label;
    TskPageControl* pages;
    TskTabSheet* sheet;
    TskEdit* inSheet;
    TskProgressBar* progress;
    TskListView* list;
    TskScrollBar* vBar;
};

int ObjectCount(const QObject* root) {
    return static_cast<int>(root->findChildren<QObject*>().size());
}

} // namespace

TEST(NewControlsTheme, EveryStyleAndThemeFileReachesEveryControlAndLeavesNothingBehind) {
    QWidget form;
    form.resize(400, 300);
    NewControls c(&form);
    QList<std::pair<TskFileTheme*, TskUIStyle>> looks;
    for (TskUIStyle style : {MacOS, WinXP, DeepBlue, Protein, BlueGlass})
        looks.append({nullptr, style});
    for (const char* file : {"new.skn", "mp10.skn", "new1.skn", "new2.skn"}) {
        QFile resource(ThemeResourcePath(file));
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly)) << file;
        auto* theme = new TskBuiltInFileTheme(&form);
        theme->ReadSkinData(resource.readAll());
        ASSERT_TRUE(theme->CanUse()) << file;
        looks.append({theme, FromThemeFile});
    }
    int objects = -1;
    QList<QImage> progressPictures;
    for (int round = 0; round < 2; ++round) {
        for (const auto& [theme, style] : looks) {
            c.Theme(theme, style);
            const TskThemeSource source = TskThemeSource::Resolve(theme, style);
            const TColor border = source.Color(SkinElement::ControlBorderColor);
            const QString what = theme ? theme->ThemeFile() : QString::number(style);
            EXPECT_EQ(c.edit->BorderColor(), border) << what.toStdString();
            EXPECT_EQ(c.number->BorderColor(), border) << what.toStdString();
            EXPECT_EQ(c.combo->BorderColor(), border) << what.toStdString();
            EXPECT_EQ(c.combo->ButtonColor(), source.Color(SkinElement::FormBackgroundColor));
            EXPECT_EQ(c.list->BorderColor(), border) << what.toStdString();
            EXPECT_EQ(c.vBar->UIStyle(), source.style) << what.toStdString();
            EXPECT_EQ(c.pages->BorderColor(), border) << what.toStdString();
            // The page control hands the look on to what its pages hold.
            EXPECT_EQ(c.inSheet->BorderColor(), border) << what.toStdString();
            EXPECT_EQ(c.inSheet->FileTheme(), theme);
            const QImage tab = source.Bitmap(SkinElement::TabControlTabImage);
            const QImage bar = source.Bitmap(SkinElement::TabControlBarImage);
            EXPECT_EQ(c.pages->TopPanel()->height(), tab.height() + bar.height()) << what.toStdString();
            EXPECT_EQ(c.sheet->Color(), c.pages->Color());
            const QImage picture = source.Bitmap(SkinElement::ProgressBarImage);
            EXPECT_EQ(c.progress->Picture(), picture) << what.toStdString();
            EXPECT_EQ(c.progress->Color(), source.Color(SkinElement::ControlBackgroundColor));
            if (round == 0) progressPictures << c.progress->Render();
            // Everything still draws.
            c.combo->grab();
            c.pages->TopPanel()->Render();
            c.list->grab();
        }
        if (round == 0) objects = ObjectCount(&form);
    }
    EXPECT_EQ(ObjectCount(&form), objects); // a second round through every look adds nothing
    // Every look gives the progress bar a picture of its own.
    for (int i = 0; i < progressPictures.size(); ++i)
        for (int j = i + 1; j < progressPictures.size(); ++j)
            EXPECT_NE(progressPictures[i], progressPictures[j]) << i << " " << j;
    // The theme going away turns them all to DeepBlue.
    c.Theme(looks.last().first, FromThemeFile);
    delete looks.last().first;
    for (QObject* o :
         std::initializer_list<QObject*>{c.edit, c.combo, c.pages, c.progress, c.list, c.inSheet})
        EXPECT_EQ(o->property("UIStyle").value<TskUIStyle>(), DeepBlue) << o->metaObject()->className();
}

TEST(NewControlsTheme, HostileValuesAreClampedAndNothingRunsAway) {
    constexpr int kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();
    QWidget form;
    form.resize(400, 300);
    NewControls c(&form);
    c.Theme(nullptr, DeepBlue);
    // Ranges across the whole integer range: no overflow in the percentage or the done part.
    c.progress->SetMin(kMin);
    c.progress->SetMax(kMax);
    c.progress->SetPosition(kMax);
    EXPECT_EQ(c.progress->Caption(), "100%");
    c.progress->SetPosition(kMin);
    EXPECT_EQ(c.progress->Caption(), "0%");
    c.progress->SetMin(kMax);
    c.progress->SetMax(kMin);
    c.progress->SetPosition(0);
    EXPECT_EQ(c.progress->DoneLength(100), 0);
    c.progress->SetMin(-1);
    c.progress->SetMax(0);
    c.progress->SetPosition(kMax);
    EXPECT_EQ(c.progress->Caption(), QString::number(kMax) + "%"); // kept within the integer range
    // A bar far larger than a screen asks for no picture beyond 4096 pixels.
    c.progress->resize(QWIDGETSIZE_MAX, 12);
    c.progress->SetOrientation(skVertical);
    EXPECT_LE(c.progress->Render().height(), kMaxThemePictureSide);
    c.pages->resize(QWIDGETSIZE_MAX, 100);
    EXPECT_LE(c.pages->TopPanel()->Render().width(), kMaxThemePictureSide);
    EXPECT_LE(c.pages->Render().width(), kMaxThemePictureSide);
    // More tabs than the strip records, endless captions, margins past any screen.
    c.pages->resize(300, 150);
    for (int i = 0; i < 80; ++i)
        (new TskTabSheet(c.pages))->SetCaption(QString(i % 7 == 0 ? 5000 : 3, QChar(u'W')));
    c.pages->SetLeftMargin(kMax);
    c.pages->TopPanel()->Render();
    c.pages->SetLeftMargin(kMin);
    c.pages->TopPanel()->Render();
    c.pages->SetActivePage(c.pages->Page(c.pages->PageCount() - 1));
    c.pages->TopPanel()->Render();
    EXPECT_EQ(c.pages->ActivePage(), c.pages->Page(c.pages->PageCount() - 1));
    for (int i = 0; i < 10; ++i)
        Press(c.pages->TopPanel(), {c.pages->TopPanel()->width() - 20, 5});
    // Number edits: values and masks at the ends of what a double and a text hold.
    c.number->SetMask(QString(2000, u'0') + "." + QString(400, u'#'));
    c.number->SetValue(1e308);
    EXPECT_LE(c.number->Text().size(), 2400);
    c.number->SetValue(std::numeric_limits<double>::quiet_NaN());
    c.number->SetMask(";;;");
    c.number->SetValue(-0.0);
    c.number->SetMask("'unterminated");
    c.number->SetValue(12);
    // Combo boxes and edits with counts and lengths out of range.
    c.combo->SetDropDownCount(kMin);
    c.combo->SetItemIndex(kMax);
    EXPECT_EQ(c.combo->ItemIndex(), -1);
    c.combo->SetMaxLength(kMin);
    c.edit->SetMaxLength(kMin);
    c.edit->SetText(QString(100000, u'x'));
    c.edit->grab();
    c.combo->grab();
    // A list view smaller than its bars, and one far off the form.
    c.list->setGeometry(-kMax / 2, -kMax / 2, 3, 3);
    c.list->setGeometry(5000, 5000, 2, 2);
    c.list->List()->clear();
}
