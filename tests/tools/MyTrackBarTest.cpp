#include "tools/MyTrackBar.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::vector<int64_t> Positions(const TMyTrackBar& bar) {
    std::vector<int64_t> p;
    for (const TSplitMark& m : bar.Marks)
        p.push_back(m.Position);
    return p;
}

} // namespace

// Marks keep their order and flags: a repeated position changes nothing, a point inside an
// unticked segment is unticked, the end marks cannot be deleted, deleting passes the flag back,
// clearing keeps the two ends, and a shorter file after a longer one ends at its own length.
TEST(PositionBar, MarksAndTheirFlags) {
    TMyTrackBar bar;
    bar.resize(566, 90);
    QSignalSpy marks(&bar, &TMyTrackBar::OnMarksChange);
    bar.SetMax(60000);
    EXPECT_EQ(Positions(bar), (std::vector<int64_t>{0, 60000}));
    EXPECT_TRUE(bar.Marks[0].Use && bar.Marks[1].Use);
    EXPECT_EQ(bar.Step(), int((60000 / 550) / 10));
    bar.AddMark(30000);
    bar.Marks[1].Use = false;
    const int before = int(marks.count());
    bar.AddMark(30000);
    EXPECT_EQ(marks.count(), before);
    bar.AddMark(45000);
    EXPECT_EQ(Positions(bar), (std::vector<int64_t>{0, 30000, 45000, 60000}));
    EXPECT_FALSE(bar.Marks[2].Use);
    bar.DeleteMark(0, false);
    bar.DeleteMark(3, false);
    EXPECT_EQ(bar.Marks.size(), 4u);
    bar.Marks[2].Use = true;
    bar.DeleteMark(2, false); // the segment before takes the removed one's flag
    EXPECT_EQ(Positions(bar), (std::vector<int64_t>{0, 30000, 60000}));
    EXPECT_TRUE(bar.Marks[1].Use);
    bar.SelectMark(1);
    bar.ClearMarks();
    EXPECT_EQ(Positions(bar), (std::vector<int64_t>{0, 60000}));
    EXPECT_TRUE(bar.Marks[1].Use);
    bar.grab(); // a selected index that names no segment paints nothing
    bar.AddMark(50000);
    bar.SetMax(20000);
    EXPECT_EQ(Positions(bar), (std::vector<int64_t>{0, 20000}));
}

// Position, pixels and thumbs at both ends: the cursor stops at 16 and BoxWidth - 17, a drag past
// either end stops the thumbs at 0 and BoxWidth - 33, and a bar with no file never divides.
TEST(PositionBar, PositionAndThumbsAtBothEnds) {
    TMyTrackBar empty;
    empty.resize(566, 90);
    EXPECT_EQ(empty.PixelToPos(100), 0);
    EXPECT_EQ(empty.PosToPixel(5), 549);

    TMyTrackBar bar;
    bar.resize(566, 90);
    bar.SetMax(60000);
    QSignalSpy moved(&bar, &TMyTrackBar::OnPositionChange);
    bar.SetPosition(99999);
    EXPECT_EQ(bar.Position, 60000);
    EXPECT_EQ(bar.CursorX(), 549);
    EXPECT_EQ(bar.TopThumb()->x(), 533);
    bar.SetPosition(-5);
    EXPECT_EQ(bar.Position, 0);
    EXPECT_EQ(bar.CursorX(), 16);
    EXPECT_EQ(bar.PosToPixel(30000), 282); // 266.5 rounds to even
    EXPECT_EQ(bar.PixelToPos(533), 60000);
    bar.GotoMark(1);
    EXPECT_EQ(bar.Position, 0);
    EXPECT_EQ(moved.count(), 2);

    bar.show();
    QLabel* thumb = bar.BottomThumb();
    QTest::mousePress(thumb, Qt::LeftButton, {}, QPoint(10, 5));
    QMouseEvent far(QEvent::MouseMove, QPointF(900, 5), thumb->mapToGlobal(QPointF(900, 5)), Qt::NoButton,
                    Qt::LeftButton, {});
    QCoreApplication::sendEvent(thumb, &far);
    EXPECT_EQ(thumb->x(), 533);
    EXPECT_EQ(bar.TopThumb()->x(), 533);
    EXPECT_EQ(bar.Position, 60000);
    QMouseEvent back(QEvent::MouseMove, QPointF(-900, 5), thumb->mapToGlobal(QPointF(-900, 5)), Qt::NoButton,
                     Qt::LeftButton, {});
    QCoreApplication::sendEvent(thumb, &back);
    EXPECT_EQ(thumb->x(), 0);
    EXPECT_EQ(bar.Position, 0);
    QTest::mouseRelease(thumb, Qt::LeftButton, {}, QPoint(10, 5));
}

// The bar draws from its pictures in order: background, the unticked segment's columns, the
// selected segment's columns over them, ticks over both, the cursor last. A selected index that
// names no segment (after the marks were cleared) fills nothing.
TEST(PositionBar, DrawsItsPicturesInOrder) {
    auto solid = [](int w, int h, QColor c) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(c);
        return image;
    };
    TMyTrackBar bar;
    bar.resize(566, 85);
    bar.show(); // the resize reaches the bar and resets its thumbs first
    bar.SetBarBitmap(solid(566, 85, Qt::red));
    bar.SetSegmentBitmaps(solid(1, 49, Qt::green), solid(1, 49, Qt::blue));
    bar.SetCursorBitmaps(solid(1, 54, Qt::white), solid(1, 49, Qt::yellow));
    bar.SetThumbPictures(solid(33, 16, Qt::gray), solid(33, 16, Qt::gray));
    bar.SetMax(60000);
    bar.AddMark(20000);
    bar.AddMark(40000);
    bar.Marks[1].Use = false;
    bar.SetPosition(30000);
    auto at = [&](int x, int y) { return bar.grab().toImage().pixelColor(x, y); };
    EXPECT_EQ(at(250, 40), QColor(Qt::green));
    bar.SelectMark(1);
    EXPECT_EQ(at(250, 40), QColor(Qt::blue));
    EXPECT_EQ(at(bar.PosToPixel(20000), 40), QColor(Qt::yellow));
    EXPECT_EQ(at(bar.PosToPixel(30000), 40), QColor(Qt::white));
    EXPECT_EQ(at(100, 40), QColor(Qt::red));
    EXPECT_EQ(at(450, 40), QColor(Qt::red));
    EXPECT_EQ(at(bar.PosToPixel(30000), 5), QColor(Qt::gray)); // the top thumb over the cursor
    bar.ClearMarks();
    EXPECT_EQ(at(250, 40), QColor(Qt::red));
}
