#pragma once

#include <QColor>
#include <QRect>

#include <vector>

class QPainter;

// Spectrum bars with peak caps, shared by the player's display and the recorder's spectrum view.
// Levels are fractions of the height (0..1). A bar rises by at most 1/attack of the height per
// update (attack 0 or 1: at once) and falls by at most 1/release per update; a cap falls four
// times slower than its bar. Everything moves per update, not by the clock.
class SpectrumBars {
public:
    // New band levels in dB (as GroupLogBands gives them), mapped from floorDb (empty) to 0 dB (full).
    void feed(const std::vector<float>& bandsDb, float floorDb, int attack, int release);
    // `count` empty bars.
    void clear(int count);
    bool isEmpty() const { return m_bars.empty(); }
    const std::vector<float>& bars() const { return m_bars; }
    const std::vector<float>& peaks() const { return m_peaks; }

    void paint(QPainter& p, const QRect& area, const QColor& bar, const QColor& cap, int capHeight) const;

private:
    std::vector<float> m_bars;
    std::vector<float> m_peaks;
};
