#include "components/Equalizer.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

void Equalizer::setFormat(int rate, int channels) {
    m_rate = rate > 0 ? rate : 44100;
    m_channels = channels > 0 ? channels : 1;
    for (Biquad& b : m_bands)
        b.setChannels(m_channels);
    m_active.fill(false);
    rebuild();
}

void Equalizer::setGains(const std::vector<float>& gains) {
    std::array<float, kBands + 1> g{};
    for (std::size_t i = 0; i < g.size() && i < gains.size(); ++i) {
        const float v = gains[i];
        g[i] = std::isfinite(v) ? std::clamp(v, -kMaxGainDb, kMaxGainDb) : 0.0f;
    }
    if (g == m_gains) return;
    m_gains = g;
    rebuild();
}

void Equalizer::setEnabled(bool enabled) {
    m_enabled = enabled;
}

bool Equalizer::isActive() const {
    return (m_enabled || m_mix > 0.0f) && (m_anyBand || m_preamp != 1.0f);
}

void Equalizer::reset() {
    for (Biquad& b : m_bands)
        b.reset();
    m_mix = m_enabled ? 1.0f : 0.0f;
}

void Equalizer::rebuild() {
    // A band that stays in use keeps its running state, so moving a slider does not click.
    m_anyBand = false;
    for (std::size_t i = 0; i < kBands; ++i) {
        const double centre = kCentres[i];
        const bool active = m_gains[i] != 0.0f && centre < 0.45 * m_rate; // room below Nyquist
        if (active) {
            if (!m_active[i]) m_bands[i].reset();
            m_bands[i].setPeaking(m_rate, centre, kQ, m_gains[i]);
            m_anyBand = true;
        }
        m_active[i] = active;
    }
    m_preamp = static_cast<float>(std::pow(10.0, m_gains[kBands] / 20.0));
}

namespace {

// Nearest 16-bit sample, saturating at full scale (ties to even, as lrint does).
inline int16_t ToSample(float v) {
    v = std::clamp(v, -32768.0f, 32767.0f);
#if defined(__SSE__)
    return static_cast<int16_t>(_mm_cvtss_si32(_mm_set_ss(v)));
#else
    return static_cast<int16_t>(std::lrintf(v));
#endif
}

} // namespace

void Equalizer::process(int16_t* data, std::size_t frames) {
    const float target = m_enabled ? 1.0f : 0.0f;
    if (!isActive() || frames == 0) {
        m_mix = target;
        return;
    }
    const std::size_t n = frames * static_cast<std::size_t>(m_channels);
    m_work.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        m_work[i] = data[i];
    if (m_channels == 2) {
        std::array<Biquad*, kBands> chain{};
        std::size_t count = 0;
        for (std::size_t i = 0; i < kBands; ++i)
            if (m_active[i]) chain[count++] = &m_bands[i];
        Biquad::processStereoChain(chain.data(), count, m_work.data(), frames);
    } else {
        for (std::size_t i = 0; i < kBands; ++i)
            if (m_active[i]) m_bands[i].process(m_work.data(), frames);
    }
    const float preamp = m_preamp;
    if (m_mix == 1.0f && target == 1.0f) {
        // Fully on (nearly always): the equalised samples alone.
        for (std::size_t i = 0; i < n; ++i)
            data[i] = ToSample(m_work[i] * preamp);
        return;
    }
    const float step = 1.0f / (0.010f * static_cast<float>(m_rate));
    float mix = m_mix;
    for (std::size_t f = 0; f < frames; ++f) {
        if (mix != target) mix = target > mix ? std::min(target, mix + step) : std::max(target, mix - step);
        for (int ch = 0; ch < m_channels; ++ch) {
            const std::size_t i = f * static_cast<std::size_t>(m_channels) + static_cast<std::size_t>(ch);
            const float wet = m_work[i] * preamp;
            const float v = mix >= 1.0f ? wet : mix * wet + (1.0f - mix) * static_cast<float>(data[i]);
            data[i] = ToSample(v);
        }
    }
    m_mix = mix;
    if (m_mix == 0.0f && !m_enabled) reset();
}
