#pragma once

#include "components/AudioBlock.h"

#include <vector>

// The magnitude spectrum of a block (channels mixed to one, Hann window), by FFTW in single
// precision. One object per user; plans are made once per size. Not for use from two threads at
// once; making plans is serialised across all objects, since FFTW's planner is not thread-safe.
class FftSpectrum {
public:
    FftSpectrum() = default;
    ~FftSpectrum();
    FftSpectrum(const FftSpectrum&) = delete;
    FftSpectrum& operator=(const FftSpectrum&) = delete;

    // Transforms up to the last `size` frames of the block (zero-padded when shorter) and returns
    // size/2 magnitudes in dB relative to a full-scale sine (0 dB), floored at -120 dB.
    const std::vector<float>& analyse(const AudioBlock& block, int size);

private:
    void plan(int size);
    int m_size = 0;
    float* m_in = nullptr;
    void* m_out = nullptr;  // fftwf_complex*
    void* m_plan = nullptr; // fftwf_plan
    std::vector<float> m_window;
    std::vector<float> m_db;
};

// Groups a spectrum (dB per bin, as analyse returns it) into `bands` bands spaced evenly on a
// logarithmic frequency axis from the first bin to the last; each band takes its loudest bin.
std::vector<float> GroupLogBands(const std::vector<float>& db, int bands);
