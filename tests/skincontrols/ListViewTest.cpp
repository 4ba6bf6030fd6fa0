// The list view's skinned scroll bars following the list's own as rows come and go and the list
// is resized, and moving the list when they are moved.
#include "SkinControlsSupport.h"

#include "platform/FormResource.h"
#include "skin-extra/SKExtraControls.h"
#include "skin-extra/SKListView.h"
#include "skin-extra/SKProgressBar.h"
#include "skin/SKRegister.h"
#include "skin/SKScrollBar.h"

#include <QScrollBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {
void AddRows(TskListView* list, int count) {
    for (int i = 0; i < count; ++i)
        list->List()->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("Track %1").arg(i), "03:20"}));
    QCoreApplication::processEvents(); // the list lays itself out later
}
} // namespace

TEST(ListView, SkinBarsFollowTheListAsRowsComeAndGoAndTheListIsResized) {
    QWidget form;
    form.resize(400, 300);
    auto* list = new TskListView(&form);
    list->setGeometry(10, 10, 200, 150);
    list->SetColumns({"Title", "Time"});
    list->List()->setColumnWidth(0, 100);
    list->List()->setColumnWidth(1, 50);
    auto* vBar = new TskScrollBar(&form);
    auto* hBar = new TskScrollBar(&form);
    list->SetVScrollBar(vBar);
    list->SetHScrollBar(hBar);
    EXPECT_EQ(vBar->Orientation(), skVertical);
    EXPECT_EQ(vBar->SmallChange(), 5);
    form.show();
    QCoreApplication::processEvents();
    QScrollBar* native = list->List()->verticalScrollBar();

    // Nothing to scroll: both skin bars hidden and disabled.
    EXPECT_TRUE(vBar->isHidden());
    EXPECT_FALSE(vBar->isEnabled());
    EXPECT_TRUE(hBar->isHidden());

    AddRows(list, 60);
    ASSERT_GT(native->maximum(), 0);
    EXPECT_FALSE(vBar->isHidden());
    EXPECT_TRUE(vBar->isEnabled());
    EXPECT_EQ(vBar->Max(), native->maximum());
    EXPECT_EQ(vBar->Min(), 0);
    // In front of the list's right edge, inside its border.
    EXPECT_EQ(vBar->geometry().right(), list->geometry().right() - 2);
    EXPECT_EQ(vBar->y(), list->y() + 1);
    EXPECT_EQ(vBar->height(), list->height() - 2);

    // The list scrolled by its own means: the skin bar follows; the skin bar moved: the list.
    native->setValue(10);
    EXPECT_EQ(vBar->Position(), 10);
    vBar->SetPosition(25);
    EXPECT_EQ(native->value(), 25);
    EXPECT_EQ(vBar->Position(), 25);

    // Wide columns bring the horizontal bar; the vertical one makes room for it.
    list->List()->setColumnWidth(0, 600);
    QCoreApplication::processEvents();
    EXPECT_FALSE(hBar->isHidden());
    EXPECT_EQ(hBar->Max(), list->List()->horizontalScrollBar()->maximum());
    EXPECT_EQ(vBar->height(), list->height() - 2 - hBar->height());
    EXPECT_EQ(hBar->width(), list->width() - 2 - vBar->width());
    EXPECT_EQ(hBar->geometry().bottom(), list->geometry().bottom() - 2);

    // Resized: placed again, with the new range.
    list->setGeometry(20, 30, 260, 220);
    QCoreApplication::processEvents();
    EXPECT_EQ(vBar->geometry().right(), list->geometry().right() - 2);
    EXPECT_EQ(vBar->y(), 31);
    EXPECT_EQ(vBar->Max(), native->maximum());

    // Rows removed until nothing scrolls: the bar goes.
    list->List()->clear();
    QCoreApplication::processEvents();
    EXPECT_TRUE(vBar->isHidden()) << native->isHidden() << " " << native->maximum();
    EXPECT_FALSE(vBar->isEnabled());

    // Hidden list, hidden bars; a bar taken off gets its defaults back.
    AddRows(list, 60);
    list->hide();
    EXPECT_TRUE(vBar->isHidden());
    list->SetVScrollBar(nullptr);
    EXPECT_EQ(vBar->Max(), 100);
    EXPECT_TRUE(vBar->isEnabled());
    vBar->SetPosition(3); // no longer moves the list
    EXPECT_EQ(list->VScrollBar(), nullptr);
    // A bar destroyed while attached is forgotten.
    delete hBar;
    EXPECT_EQ(list->HScrollBar(), nullptr);
    list->show();
    AddRows(list, 5);
}

TEST(ListView, AFormDescriptionAttachesItsBarsByName) {
    RegisterSkinControls();
    RegisterSkinExtraControls();
    const QByteArray text = R"(object frmTracks: TWidget
  ClientWidth = 300
  ClientHeight = 200
  object lvTracks: TskListView
    Left = 10
    Top = 10
    Width = 200
    Height = 120
    Columns = ('Track' 'Length')
    VScrollBar = sbTracks
    UIStyle = Protein
  end
  object sbTracks: TskScrollBar
  end
  object pbTrack: TskProgressBar
    Top = 150
    Position = 20
  end
end
)";
    QWidget form;
    LoadFormDescription(&form, ParseFormDescription(text));
    auto* list = FormChild<TskListView>(&form, "lvTracks");
    EXPECT_EQ(list->VScrollBar(), FormChild<TskScrollBar>(&form, "sbTracks"));
    EXPECT_EQ(list->Columns(), QStringList({"Track", "Length"}));
    EXPECT_EQ(FormChild<TskProgressBar>(&form, "pbTrack")->Caption(), "20%");
}
