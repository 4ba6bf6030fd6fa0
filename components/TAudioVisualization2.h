#pragma once

#include "components/AudioBlock.h"
#include "components/FftSpectrum.h"
#include "components/SpectrumBars.h"

#include <QColor>
#include <QWidget>

#include <vector>

// The recorder's spectrum view: log-spaced bars with falling peak caps. The caller takes
// 2 × WindowArraySize samples from the capture or playback component on every timer tick and
// hands them to DisplayArray; an empty block clears the view.
class TAudioVisualization2 : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int WindowArraySize READ WindowArraySize WRITE setWindowArraySize)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QColor PeakColor READ PeakColor WRITE setPeakColor)

public:
    explicit TAudioVisualization2(QWidget* parent = nullptr);

    // Sample frames the view transforms per update.
    int WindowArraySize() const { return m_windowSize; }
    void setWindowArraySize(int frames);
    QColor BackColor() const { return m_back; }
    void setBackColor(const QColor& c);
    QColor ForeColor() const { return m_fore; }
    void setForeColor(const QColor& c);
    QColor PeakColor() const { return m_peak; }
    void setPeakColor(const QColor& c);

    void DisplayArray(const AudioBlock& block);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int barCount() const;
    int m_windowSize = 512;
    QColor m_back{0x30, 0x3C, 0x3A};
    QColor m_fore{0x3A, 0x84, 0xDB};
    QColor m_peak{0xFF, 0xFF, 0xFF};
    FftSpectrum m_fft;
    SpectrumBars m_bars;
};
