#pragma once

// TskTrackBar: the skinned slider (a bar picture and a movable slider picture, horizontal or
// vertical, over an integer range). TskScrollTrackBar is the moving part of the skinned scroll bar.

#include "platform/Colors.h"
#include "skin/SKControls.h"

#include <QImage>

class QTimer;
class TskImagePanel;

class TskTrackBar : public TskControl {
    Q_OBJECT
    Q_PROPERTY(SkinControls::TskProgressBarOrientation Orientation READ Orientation WRITE SetOrientation)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(QImage BarImage READ BarImage WRITE SetBarImage)
    Q_PROPERTY(QImage SliderImage READ SliderImage WRITE SetSliderImage)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
    Q_PROPERTY(int PageSize READ PageSize WRITE SetPageSize)
    Q_PROPERTY(int LineSize READ LineSize WRITE SetLineSize)
    Q_PROPERTY(bool ShowTick READ ShowTick WRITE SetShowTick)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(int Frequency READ Frequency WRITE SetFrequency)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
public:
    explicit TskTrackBar(QWidget* parent = nullptr);
    ~TskTrackBar() override;

    TskProgressBarOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TskProgressBarOrientation value);
    const QImage& BarImage() const { return m_barImage; }
    void SetBarImage(const QImage& value);
    QImage SliderImage() const;
    virtual void SetSliderImage(const QImage& value);
    int Max() const { return m_max; }
    void SetMax(int value);
    int Min() const { return m_min; }
    void SetMin(int value);
    int Position() const { return m_position; }
    void SetPosition(int value);
    int PageSize() const { return m_pageSize; }
    void SetPageSize(int value);
    int LineSize() const { return m_lineSize; }
    void SetLineSize(int value);
    bool ShowTick() const { return m_showTick; }
    void SetShowTick(bool value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    int Frequency() const { return m_frequency; }
    void SetFrequency(int value);

    // Position - the position reported before, at the most recent OnChange.
    int LastChange() const { return m_lastChange; }
    // The slider's top-left corner for the current position.
    QPoint GetSliderPos() const;
    // The value under a point of the control (the slider centre would be there).
    int PointToValue(int x, int y) const;
    TskImagePanel* SliderPart() const { return m_slider; }
    bool IsDragging() const { return m_dragging; }
    bool IsRepeating() const { return m_timer != nullptr; }
    QImage Render() override;

Q_SIGNALS:
    void OnChange();
    void OnResize();

protected:
    virtual void UpdateSlider();
    virtual bool KeepSliderImage() const { return false; }
    virtual bool GetSliderTransparent() const { return m_orientation == skHorizontal; }
    void Rebuild();
    // The thickness fits the larger of bar picture and slider; with neither it is left as it is.
    void FitThickness();
    void PlaceSlider();
    // Transparent for MacOS, then the pictures again.
    void UIStyleChanged() override;
    void ColorChanged() override { BuildStrip(); }

    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int Length() const { return m_orientation == skHorizontal ? width() : height(); }
    int SliderLength() const;
    int SliderThickness() const;
    // One step toward the point: PageSize x Factor, not past the value under it.
    void StepToward(const QPoint& point, int factor);
    void StepBy(int64_t delta);
    void StopTimer();
    void EndMouseAction();
    void BuildStrip();

    TskProgressBarOrientation m_orientation = skHorizontal;
    QImage m_barImage;
    QImage m_strip;
    TskImagePanel* m_slider = nullptr;
    int m_max = 10;
    int m_min = 0;
    int m_position = 0;
    int m_pageSize = 2;
    int m_lineSize = 1;
    bool m_showTick = true;
    bool m_transparent = false;
    int m_frequency = 1;
    QTimer* m_timer = nullptr;
    QPoint m_lastMouse;
    int m_lastNotified = 0;
    int m_lastChange = 0;
    bool m_dragging = false;
    bool m_pressed = false;
    bool m_constructed = false;
};

class TskScrollTrackBar : public TskTrackBar {
    Q_OBJECT
public:
    explicit TskScrollTrackBar(QWidget* parent = nullptr);

    bool GetSliderVisible() const;
    void SetSliderVisible(bool value);
    void SetSliderAutoSize();

protected:
    bool KeepSliderImage() const override { return true; }
    bool GetSliderTransparent() const override { return false; }
};
