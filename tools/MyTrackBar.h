#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

#include <cstdint>
#include <vector>

// One cut point of the bar; its `Use` flag belongs to the segment that starts there.
struct TSplitMark {
    int64_t Position = 0;
    bool Use = false;
};

// The splitter's position bar: the whole file as a strip, a position cursor dragged with two
// thumbs (33 pixels wide, centre 16 pixels in), and sorted marks that cut the file into segments.
// It knows nothing of audio; positions are the owner's unit (the splitter uses milliseconds).
class TMyTrackBar : public QWidget {
    Q_OBJECT

public:
    explicit TMyTrackBar(QWidget* parent = nullptr);

    int64_t Min = 0;
    int64_t Position = 0;
    int64_t Max = 0;
    std::vector<TSplitMark> Marks;

    void SetMax(int64_t value);
    void SetPosition(int64_t value);
    void AddMark(int64_t value);
    void AddMarkAtPosition() { AddMark(Position); }
    void DeleteMark(int index, bool keepUse);
    void ClearMarks();
    void SelectMark(int index);
    void GotoMark(int index);
    void StepBack() { SetPosition(Position - m_step); }
    void StepForward() { SetPosition(Position + m_step); }
    void SetBarBitmap(const QImage& bitmap);
    void SetThumbPictures(const QImage& top, const QImage& bottom);
    void SetCursorBitmaps(const QImage& cursor, const QImage& tick);
    void SetSegmentBitmaps(const QImage& unchecked, const QImage& selected);
    int64_t PixelToPos(int x) const;
    int PosToPixel(int64_t value) const;

    int Selected() const { return m_selected; }
    int CursorX() const { return m_cursorX; }
    int Step() const { return m_step; }
    QLabel* TopThumb() const { return m_topThumb; }
    QLabel* BottomThumb() const { return m_bottomThumb; }

Q_SIGNALS:
    void OnPositionChange(QObject* sender);
    void OnMarksChange(QObject* sender);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int BoxWidth() const { return width(); }

    QLabel* m_bottomThumb;
    QLabel* m_topThumb;
    QImage m_bar, m_cursor, m_tick, m_unchecked, m_selectedFill;
    bool m_dragging = false;
    int m_grabX = 0;
    int m_cursorX = 16;
    int m_selected = -1;
    int m_step = 0;
};
