#pragma once

#include <vector>

// One second-order filter section (Robert Bristow-Johnson's cookbook designs) running on every
// channel of interleaved audio, transposed direct form II in double precision.
class Biquad {
public:
    void setPeaking(double rate, double centre, double q, double gainDb);
    void setHighPass(double rate, double cutoff, double q = 0.7071067811865476);
    void setLowPass(double rate, double cutoff, double q = 0.7071067811865476);
    void setChannels(int channels);
    void reset();

    // In place, `frames` interleaved frames of the set channel count.
    void process(float* interleaved, std::size_t frames);
    // In place, `count` sections one after another on interleaved stereo (each set to 2
    // channels): every frame goes through all of them before the next frame, both channels side by
    // side, so the sections' and channels' work overlaps instead of waiting on one chain.
    static void processStereoChain(Biquad* const* chain, std::size_t count, float* interleaved,
                                   std::size_t frames);
    // The filter's gain in dB at a frequency (for checks and tests).
    double responseDb(double rate, double frequency) const;

private:
    void setNormalised(double b0, double b1, double b2, double a0, double a1, double a2);
    double m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
    int m_channels = 1;
    std::vector<double> m_z1 = std::vector<double>(1, 0.0), m_z2 = std::vector<double>(1, 0.0);
};
