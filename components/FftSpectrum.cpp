#include "components/FftSpectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {
std::mutex& plannerMutex() {
    static std::mutex m;
    return m;
}
constexpr double kPi = 3.14159265358979323846;
} // namespace

FftSpectrum::~FftSpectrum() {
    std::lock_guard<std::mutex> lock(plannerMutex());
    if (m_plan) fftwf_destroy_plan(static_cast<fftwf_plan>(m_plan));
    fftwf_free(m_in);
    fftwf_free(m_out);
}

void FftSpectrum::plan(int size) {
    std::lock_guard<std::mutex> lock(plannerMutex());
    if (m_plan) fftwf_destroy_plan(static_cast<fftwf_plan>(m_plan));
    fftwf_free(m_in);
    fftwf_free(m_out);
    m_size = size;
    m_in = fftwf_alloc_real(static_cast<std::size_t>(size));
    auto* out = fftwf_alloc_complex(static_cast<std::size_t>(size / 2 + 1));
    m_out = out;
    m_plan = fftwf_plan_dft_r2c_1d(size, m_in, out, FFTW_ESTIMATE);
    m_window.resize(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i)
        m_window[static_cast<std::size_t>(i)] =
            static_cast<float>(0.5 - 0.5 * std::cos(2.0 * kPi * i / size));
}

const std::vector<float>& FftSpectrum::analyse(const AudioBlock& block, int size) {
    size = std::clamp(size, 16, 65536);
    size -= size % 2;
    if (size != m_size) plan(size);
    const int channels = std::max(1, block.channels);
    const std::size_t frames = block.frames();
    const std::size_t used = std::min(frames, static_cast<std::size_t>(size));
    const int16_t* src = block.samples.data() + (frames - used) * static_cast<std::size_t>(channels);
    const float scale = 1.0f / (32768.0f * static_cast<float>(channels));
    for (std::size_t i = 0; i < static_cast<std::size_t>(size); ++i) {
        float v = 0.0f;
        if (i < used) {
            const int16_t* f = src + i * static_cast<std::size_t>(channels);
            for (int ch = 0; ch < channels; ++ch)
                v += f[ch];
        }
        m_in[i] = v * scale * m_window[i];
    }
    fftwf_execute(static_cast<fftwf_plan>(m_plan));
    const auto* out = static_cast<const fftwf_complex*>(m_out);
    m_db.resize(static_cast<std::size_t>(size / 2));
    // A full-scale sine gives a peak of size/4 with the Hann window (coherent gain 1/2).
    const float ref = 4.0f / static_cast<float>(size);
    for (int k = 0; k < size / 2; ++k) {
        const float mag = std::hypot(out[k][0], out[k][1]) * ref;
        m_db[static_cast<std::size_t>(k)] =
            mag > 1e-6f ? std::max(-120.0f, 20.0f * std::log10(mag)) : -120.0f;
    }
    return m_db;
}

std::vector<float> GroupLogBands(const std::vector<float>& db, int bands) {
    std::vector<float> out(static_cast<std::size_t>(std::max(0, bands)), -120.0f);
    const int bins = static_cast<int>(db.size());
    if (bins < 2 || bands <= 0) return out;
    const double ratio = static_cast<double>(bins) / 1.0;
    for (int b = 0; b < bands; ++b) {
        int lo = static_cast<int>(std::floor(std::pow(ratio, static_cast<double>(b) / bands)));
        int hi = static_cast<int>(std::floor(std::pow(ratio, static_cast<double>(b + 1) / bands)));
        lo = std::clamp(lo, 1, bins - 1);
        hi = std::clamp(std::max(hi, lo + 1), lo + 1, bins);
        float best = -120.0f;
        for (int k = lo; k < hi; ++k)
            best = std::max(best, db[static_cast<std::size_t>(k)]);
        out[static_cast<std::size_t>(b)] = best;
    }
    return out;
}
