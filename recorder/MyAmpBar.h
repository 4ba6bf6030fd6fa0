#pragma once

#include "platform/Colors.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <vector>

// The recorder's level meter: one level drawn as a bar in a gradient, smoothed over the last five
// levels by a 10 ms timer. The main window makes two of them (left and right channel) and sets
// their level on every capture or playback timer tick.
class TMyAmpBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(bool Vertical READ Vertical WRITE SetVertical)
    Q_PROPERTY(TColor LowColor READ LowColor WRITE SetLowColor)
    Q_PROPERTY(TColor HighColor READ HighColor WRITE SetHighColor)
    Q_PROPERTY(TColor BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(TColor FrameColor READ FrameColor WRITE SetFrameColor)

public:
    explicit TMyAmpBar(QWidget* owner = nullptr);

    int Position() const { return m_level; }
    void SetPosition(int value);
    int Min() const { return m_min; }
    void SetMin(int value);
    int Max() const { return m_max; }
    void SetMax(int value);
    bool Vertical() const { return m_vertical; }
    void SetVertical(bool flag);
    TColor LowColor() const { return m_lowColor; }
    void SetLowColor(TColor color);
    TColor HighColor() const { return m_highColor; }
    void SetHighColor(TColor color);
    TColor BackColor() const { return m_backColor; }
    void SetBackColor(TColor color) { m_backColor = color; }
    TColor FrameColor() const { return m_frameColor; }
    void SetFrameColor(TColor color) { m_frameColor = color; }

    // The level being shown: the average of the last five levels, less one.
    int Shown() const { return m_shown; }
    const std::vector<TColor>& ColorTable() const { return m_colorTable; }
    QWidget* PaintBox() const { return m_paintBox; }

    // One tick of the smoothing timer (the timer calls it every 10 ms).
    void SmoothTimer();
    // Draws the bar as the paint box shows it.
    void PaintBar(QPainter& painter) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildGradient();

    QWidget* m_paintBox;
    QTimer m_timer;
    // Zero until set, as the main window sets every value right after creating the meter.
    int m_min = 0;
    int m_shown = 0;
    int m_max = 0;
    bool m_vertical = false;
    TColor m_lowColor = 0;
    TColor m_highColor = 0;
    TColor m_backColor = 0;
    std::vector<TColor> m_colorTable;
    TColor m_frameColor = 0;
    std::array<int, 5> m_history{};
    int m_level = 0;
};
