#pragma once

#include "components/AudioBlock.h"
#include "components/FftSpectrum.h"
#include "components/SpectrumBars.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <vector>

// The player's display control. TypeDisplay chooses what DisplayArray draws:
//   0 oscilloscope  - the waveform, left channel above, right below (mono: one trace)
//   1 bar spectrum  - log-spaced bars with falling peak caps
//   2 line spectrum - the spectrum as one line over a log frequency axis
//   3 peak meter    - two horizontal bars, left and right, on a dB scale with peak hold
//   4 spectrogram   - time running right to left, one column per update, loudness as colour
// FFTWindowsSize is the number of samples (elements) the control wants per update; an empty
// block clears the control. Everything moves per update, not by the clock.
// The look is kept with the form: the colours, a one-pixel Border in ForeColor, MinLevel (the dB
// value at the foot of the spectrum modes) and the bars' AttackTime and ReleaseTime, in updates
// for a rise or fall over the whole height (0: at once).
class TAudioDisplay2 : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int TypeDisplay READ TypeDisplay WRITE setTypeDisplay)
    Q_PROPERTY(int FFTWindowsSize READ FFTWindowsSize WRITE setFFTWindowsSize)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QColor PeakColor READ PeakColor WRITE setPeakColor)
    Q_PROPERTY(bool Border READ Border WRITE setBorder)
    Q_PROPERTY(int MinLevel READ MinLevel WRITE setMinLevel)
    Q_PROPERTY(int AttackTime READ AttackTime WRITE setAttackTime)
    Q_PROPERTY(int ReleaseTime READ ReleaseTime WRITE setReleaseTime)

public:
    static constexpr int kModes = 5;

    explicit TAudioDisplay2(QWidget* parent = nullptr);

    int TypeDisplay() const { return m_type; }
    void setTypeDisplay(int type);
    int FFTWindowsSize() const { return m_fftSize; }
    void setFFTWindowsSize(int samples);
    QColor BackColor() const { return m_back; }
    void setBackColor(const QColor& c);
    QColor ForeColor() const { return m_fore; }
    void setForeColor(const QColor& c);
    QColor PeakColor() const { return m_peak; }
    void setPeakColor(const QColor& c);
    bool Border() const { return m_border; }
    void setBorder(bool border);
    int MinLevel() const { return m_minLevel; }
    void setMinLevel(int db); // -120 .. -6
    int AttackTime() const { return m_attack; }
    void setAttackTime(int updates);
    int ReleaseTime() const { return m_release; }
    void setReleaseTime(int updates);

    void DisplayArray(const AudioBlock& block);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void clear();
    void drawMode(QPainter& p);
    void drawScope(QPainter& p);
    void drawBars(QPainter& p);
    void drawLine(QPainter& p);
    void drawMeter(QPainter& p);
    void addSpectrogramColumn(const std::vector<float>& db);

    int m_type = 1;
    int m_fftSize = 2048;
    QColor m_back{0, 0, 0};
    QColor m_fore{0x3A, 0x84, 0xDB};
    QColor m_peak{0xFF, 0xFF, 0xFF};
    bool m_border = false;
    int m_minLevel = -72;
    int m_attack = 0;
    int m_release = 12;

    AudioBlock m_block; // oscilloscope
    FftSpectrum m_fft;
    SpectrumBars m_bars;       // bars or line points
    float m_level[2] = {0, 0}; // meter, 0..1
    float m_hold[2] = {0, 0};
    bool m_hasData = false;
    QImage m_spectrogram;
    std::vector<QRgb> m_palette;
};
