// Page controls as a settings window uses them: sheets placed on the control, tabs clicked,
// refused, hidden and scrolled, pages removed, the page order of a form description.
#include "SkinControlsSupport.h"

#include "platform/FormResource.h"
#include "skin/SKEdit.h"
#include "skin/SKPageControl.h"
#include "skin/SKRegister.h"

#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

constexpr TColor kActiveTab = 0x2080C0, kInactiveTab = 0x80C020, kBar = 0x4040A0;

// A theme with flat tab pictures: 2 x 30 x 20 tabs (active | inactive), a 9 x 4 bar and four
// 12 x 12 scroll buttons.
QString TabTheme(const QTemporaryDir& dir) {
    TskThemeFileWriter w;
    w.AddBitmap("TabControlTabImage", Bmp(Strip(30, 20, {kActiveTab, kInactiveTab})));
    w.AddBitmap("TabControlBarImage", Bmp(Strip(9, 4, {kBar})));
    w.AddBitmap("ScrollButtonImage", Bmp(Strip(12, 12, {0x000011, 0x000022, 0x000033, 0x000044})));
    w.AddInt("ControlBorderColor", 0x102030);
    w.AddInt("ControlBackgroundColor", 0xE0E0E0);
    const QString path = dir.filePath("tabs.skn");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(w.Data());
    return path;
}

struct Pages {
    explicit Pages(int count = 3) {
        window.resize(400, 300);
        theme = new TskFileTheme(&window);
        theme->SetThemeFile(TabTheme(dir));
        control = new TskPageControl(&window);
        control->SetFileTheme(theme);
        control->SetUIStyle(FromThemeFile);
        control->setGeometry(10, 10, 300, 200);
        for (int i = 0; i < count; ++i)
            Add(QStringLiteral("Page %1").arg(i + 1));
        QObject::connect(control, &TskTab::OnTabActive,
                         [this](int i) { events << QStringLiteral("active %1").arg(i); });
        QObject::connect(control, &TskTab::OnChange, [this] { events << "change"; });
    }
    TskTabSheet* Add(const QString& caption) {
        auto* sheet = new TskTabSheet(control);
        sheet->setObjectName(caption);
        sheet->SetCaption(caption);
        QObject::connect(sheet, &TskTabSheet::OnShow,
                         [this, sheet] { events << "show " + sheet->Caption(); });
        QObject::connect(sheet, &TskTabSheet::OnHide,
                         [this, sheet] { events << "hide " + sheet->Caption(); });
        return sheet;
    }
    TskTabControlTopPanel* Strip() const { return control->TopPanel(); }
    // The middle of a tab as the last paint placed it.
    QPoint TabCentre(int index) {
        Strip()->Render();
        int x = control->LeftMargin();
        for (int i = Strip()->FirstShownTab(); i < index; ++i)
            x += Strip()->TabWidth(i);
        return {x + Strip()->TabWidth(index) / 2, Strip()->TabHeight() / 2};
    }
    void Click(int index) {
        const QPoint p = TabCentre(index);
        Press(Strip(), p);
        Release(Strip(), p);
    }
    QTemporaryDir dir;
    QWidget window;
    TskFileTheme* theme;
    TskPageControl* control;
    QStringList events;
};

} // namespace

TEST(PageControl, PlacingSheetsAddsTabsAndClickingSwitchesPagesInOrder) {
    Pages p(0);
    EXPECT_TRUE(p.Strip()->Tabs().isEmpty());
    EXPECT_EQ(p.Strip()->TabIndex(), -1);
    EXPECT_EQ(p.control->ActivePage(), nullptr);
    // The strip is as high as the tab and bar pictures; the pages fill the frame below it.
    EXPECT_EQ(p.Strip()->height(), 24);
    TskTabSheet* first = p.Add("General");
    TskTabSheet* second = p.Add("Output");
    EXPECT_EQ(p.Strip()->Tabs(), QStringList({"General", "Output"}));
    EXPECT_EQ(p.control->ActivePage(), second);
    EXPECT_EQ(second->geometry(), QRect(3, 27, 294, 170));
    EXPECT_EQ(first->Color(), 0xE0E0E0u);
    auto* field = new TskEdit(first);
    ASSERT_TRUE(ShowActive(&p.window));
    p.events.clear();

    // A click asks OnChanging first; a refusal changes nothing and fires nothing.
    bool allow = false;
    QObject::connect(p.control, &TskTab::OnChanging, [&](bool* a) { *a = allow; });
    p.Click(0);
    EXPECT_EQ(p.control->ActivePage(), second);
    EXPECT_TRUE(p.events.isEmpty());
    allow = true;
    p.Click(0);
    EXPECT_EQ(p.control->ActivePage(), first);
    EXPECT_EQ(p.events, QStringList({"hide Output", "show General", "active 0", "change"}));
    EXPECT_FALSE(second->isEnabled());
    EXPECT_TRUE(first->isEnabled());
    EXPECT_TRUE(field->hasFocus()); // the new page's first control takes the focus
    // Clicking the active tab again changes nothing.
    p.events.clear();
    p.Click(0);
    EXPECT_TRUE(p.events.isEmpty());
    // From code no OnChanging is asked.
    allow = false;
    p.control->SetActivePage(second);
    EXPECT_EQ(p.control->ActivePage(), second);
    EXPECT_EQ(p.Strip()->TabIndex(), 1);
    EXPECT_EQ(p.events.first(), "hide General");
    EXPECT_TRUE(p.events.contains("change"));

    // A new colour of the control reaches every page.
    p.control->SetColor(0x00C0FF);
    EXPECT_EQ(first->Color(), 0x00C0FFu);
    EXPECT_EQ(second->Color(), 0x00C0FFu);
}

TEST(PageControl, RemovingAndHidingPagesActivatesANeighbour) {
    Pages p(4);
    TskTabSheet* pages[4];
    for (int i = 0; i < 4; ++i)
        pages[i] = p.control->Page(i);
    p.control->SetActivePage(pages[2]);
    // The active page goes: the one before it becomes active.
    delete pages[2];
    EXPECT_EQ(p.control->PageCount(), 3);
    EXPECT_EQ(p.control->ActivePage(), pages[1]);
    EXPECT_EQ(pages[3]->PageIndex(), 2);
    EXPECT_EQ(p.Strip()->Tabs(), QStringList({"Page 1", "Page 2", "Page 4"}));
    // Hiding the active tab shows the nearest page before it with a shown tab, else after it.
    pages[1]->SetTabVisible(false);
    EXPECT_EQ(p.control->ActivePage(), pages[0]);
    pages[0]->SetTabVisible(false);
    EXPECT_EQ(p.control->ActivePage(), pages[3]);
    EXPECT_FALSE(pages[0]->TabVisible());
    // A hidden tab takes no room on the strip.
    p.Strip()->Render();
    EXPECT_EQ(p.Strip()->TabWidth(0), 0);
    // Taking the first page off leaves no active page.
    pages[0]->SetTabVisible(true);
    p.control->SetActivePage(pages[0]);
    pages[0]->setParent(nullptr);
    EXPECT_EQ(p.control->ActivePage(), nullptr);
    EXPECT_EQ(pages[0]->PageControl(), nullptr);
    EXPECT_EQ(p.control->PageCount(), 2);
    delete pages[0];
    // Moving a page renumbers them and shows it.
    pages[3]->SetPageIndex(0);
    EXPECT_EQ(p.control->Page(0), pages[3]);
    EXPECT_EQ(p.control->ActivePage(), pages[3]);
    pages[3]->SetPageIndex(7); // outside: stays where it is
    EXPECT_EQ(pages[3]->PageIndex(), 0);
}

TEST(PageControl, TabsThatDoNotFitScrollAndTheActiveOneIsKeptInView) {
    Pages p(0);
    for (int i = 0; i < 12; ++i)
        p.Add(QStringLiteral("Settings %1").arg(i));
    p.control->SetActivePage(p.control->Page(0));
    p.Strip()->Render();
    ASSERT_TRUE(p.Strip()->Overflow());
    const QImage strip = p.Strip()->Render();
    // The two scroll buttons at the right end, and the cut tab's picture ends before them.
    const int right = p.Strip()->width() - 12 - 2, y = (strip.height() - 12) / 2 - 2;
    EXPECT_EQ(At(strip, right + 5, std::max(0, y) + 5), 0x000011u);
    EXPECT_EQ(At(strip, right - 12 + 5, std::max(0, y) + 5), 0x000033u);
    // Selecting the last tab scrolls until it is drawn whole.
    p.control->SetActivePage(p.control->Page(11));
    p.Strip()->Render();
    EXPECT_GT(p.Strip()->FirstShownTab(), 0);
    const QPoint last = p.TabCentre(11);
    EXPECT_LT(last.x() + p.Strip()->TabWidth(11) / 2, p.Strip()->width() - 24);
    // The left button never scrolls before the first tab.
    const int shown = p.Strip()->FirstShownTab();
    for (int i = 0; i < shown + 3; ++i) {
        Press(p.Strip(), {right - 12 + 5, std::max(0, y) + 5});
        Release(p.Strip(), {right - 12 + 5, std::max(0, y) + 5});
    }
    EXPECT_EQ(p.Strip()->FirstShownTab(), 0);
    // An empty caption makes an 80-pixel tab.
    Pages q(0);
    q.Add("");
    q.Strip()->Render();
    EXPECT_EQ(q.Strip()->TabWidth(0), 80);
}

namespace {
class TfrmPages : public QWidget {
    Q_OBJECT
public:
    int changes = 0;
public Q_SLOTS:
    void pcMainChange() { ++changes; }
};
} // namespace

TEST(PageControl, AFormDescriptionRestoresThePageOrderWhateverOrderTheSheetsCameIn) {
    RegisterSkinControls();
    const QByteArray text = R"(object frmPages: TfrmPages
  ClientWidth = 300
  ClientHeight = 200
  object pcMain: TskPageControl
    Width = 280
    Height = 180
    Pages = ('tsRecord' 'tsFiles' 'tsHotKeys')
    OnChange = pcMainChange
    object tsHotKeys: TskTabSheet
      Caption = 'Hot keys'
      PageControl = pcMain
      TabVisible = False
    end
    object tsRecord: TskTabSheet
      Caption = 'Record'
      PageControl = pcMain
    end
    object tsFiles: TskTabSheet
      Caption = 'Files'
      PageControl = pcMain
    end
  end
end
)";
    TfrmPages form;
    LoadFormDescription(&form, ParseFormDescription(text));
    auto* pc = FormChild<TskPageControl>(&form, "pcMain");
    EXPECT_EQ(pc->PageNames(), QStringList({"tsRecord", "tsFiles", "tsHotKeys"}));
    EXPECT_EQ(pc->TopPanel()->Tabs(), QStringList({"Record", "Files", "Hot keys"}));
    EXPECT_FALSE(FormChild<TskTabSheet>(&form, "tsHotKeys")->TabVisible());
    EXPECT_TRUE(FormChild<TskTabSheet>(&form, "tsRecord")->TabVisible());
    EXPECT_EQ(form.changes, 0); // loading fires no handler
    pc->SetActivePage(FormChild<TskTabSheet>(&form, "tsRecord"));
    EXPECT_EQ(form.changes, 1);
}

#include "PageControlTest.moc"
