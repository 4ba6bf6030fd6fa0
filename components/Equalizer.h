#pragma once

#include "components/Biquad.h"

#include <array>
#include <cstdint>
#include <vector>

// The player's 11-band equaliser: one peaking filter per band (centres 31 Hz .. 16 kHz, about an
// octave apart, Q 1.8) and a preamp, gains in dB. A band at 0 dB is left out, so a flat equaliser
// passes the samples untouched. Switching it on or off fades between the plain and the equalised
// signal over 10 ms, so there is no click. Runs on one thread (the player's audio thread).
class Equalizer {
public:
    static constexpr int kBands = 11;
    static constexpr std::array<double, kBands> kCentres = {31.0,   62.0,   125.0,  250.0,   500.0,  1000.0,
                                                            2000.0, 4000.0, 8000.0, 12000.0, 16000.0};
    static constexpr double kQ = 1.8;
    static constexpr float kMaxGainDb = 15.0f;

    void setFormat(int rate, int channels);
    // Bands 1..11 then the preamp; missing values count as 0 dB; each clamped to -15..+15.
    void setGains(const std::vector<float>& gains);
    void setEnabled(bool enabled);
    void reset();
    bool isActive() const;

    // In place on interleaved 16-bit frames, saturating at full scale.
    void process(int16_t* interleaved, std::size_t frames);

private:
    void rebuild();
    int m_rate = 44100;
    int m_channels = 2;
    std::array<float, kBands + 1> m_gains{};
    std::array<Biquad, kBands> m_bands;
    std::array<bool, kBands> m_active{}; // a flat band is left out
    bool m_anyBand = false;
    float m_preamp = 1.0f;
    bool m_enabled = true;
    float m_mix = 1.0f; // 0 = plain, 1 = equalised
    std::vector<float> m_work;
};
