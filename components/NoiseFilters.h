#pragma once

#include "components/Biquad.h"

#include <cstdint>
#include <vector>

// The capture component's three noise filters, applied in this order:
// - low:   a 2nd-order Butterworth high-pass at the "low" frequency (hum and rumble below it go);
// - high:  a 2nd-order Butterworth low-pass at the "high" frequency (hiss above it goes); left out
//          when that frequency is not below the Nyquist frequency;
// - extra: a noise gate. Its value is a threshold in dB below full scale (50 = -50 dBFS): while
//          the signal's envelope stays under it the gate closes over 100 ms, and it opens within
//          1 ms as soon as the signal rises above it.
struct NoiseFilterSettings {
    bool lowEnabled = false;
    float lowValue = 100.0f;
    bool highEnabled = false;
    float highValue = 8000.0f;
    bool extraEnabled = false;
    float extraValue = 50.0f;
    bool operator==(const NoiseFilterSettings&) const = default;
};

class NoiseFilters {
public:
    void setFormat(int rate, int channels);
    void apply(const NoiseFilterSettings& settings);
    bool isActive() const { return m_low || m_high || m_gate; }
    // In place, saturating at full scale.
    void process(int16_t* interleaved, std::size_t frames);

private:
    int m_rate = 44100;
    int m_channels = 2;
    NoiseFilterSettings m_settings;
    bool m_low = false, m_high = false, m_gate = false;
    Biquad m_highPass, m_lowPass;
    float m_threshold = 0.0f;
    float m_envelope = 0.0f;
    float m_gain = 1.0f;
    std::vector<float> m_work;
};
