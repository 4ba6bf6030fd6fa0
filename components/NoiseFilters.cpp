#include "components/NoiseFilters.h"

#include <algorithm>
#include <cmath>

void NoiseFilters::setFormat(int rate, int channels) {
    m_rate = rate > 0 ? rate : 44100;
    m_channels = channels > 0 ? channels : 1;
    m_highPass.setChannels(m_channels);
    m_lowPass.setChannels(m_channels);
    m_envelope = 0.0f;
    m_gain = 1.0f;
    const NoiseFilterSettings s = m_settings;
    m_settings = NoiseFilterSettings{};
    m_low = m_high = m_gate = false;
    apply(s);
}

void NoiseFilters::apply(const NoiseFilterSettings& s) {
    const double nyquist = m_rate / 2.0;
    const bool low = s.lowEnabled && s.lowValue > 0.0f && s.lowValue < 0.95 * nyquist;
    const bool high = s.highEnabled && s.highValue > 0.0f && s.highValue < 0.95 * nyquist;
    if (low) {
        if (!m_low) m_highPass.reset();
        m_highPass.setHighPass(m_rate, s.lowValue);
    }
    if (high) {
        if (!m_high) m_lowPass.reset();
        m_lowPass.setLowPass(m_rate, s.highValue);
    }
    if (s.extraEnabled && !m_gate) m_gain = 1.0f;
    m_low = low;
    m_high = high;
    m_gate = s.extraEnabled;
    m_threshold = static_cast<float>(32768.0 * std::pow(10.0, -std::fabs(s.extraValue) / 20.0));
    m_settings = s;
}

void NoiseFilters::process(int16_t* data, std::size_t frames) {
    if (!isActive() || frames == 0) return;
    const std::size_t n = frames * static_cast<std::size_t>(m_channels);
    m_work.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        m_work[i] = data[i];
    if (m_low) m_highPass.process(m_work.data(), frames);
    if (m_high) m_lowPass.process(m_work.data(), frames);
    if (m_gate) {
        const float envRelease = std::exp(-1.0f / (0.050f * static_cast<float>(m_rate)));
        const float open = 1.0f - std::exp(-1.0f / (0.001f * static_cast<float>(m_rate)));
        const float close = 1.0f - std::exp(-1.0f / (0.100f * static_cast<float>(m_rate)));
        for (std::size_t f = 0; f < frames; ++f) {
            float peak = 0.0f;
            float* frame = m_work.data() + f * static_cast<std::size_t>(m_channels);
            for (int ch = 0; ch < m_channels; ++ch)
                peak = std::max(peak, std::fabs(frame[ch]));
            m_envelope = std::max(peak, m_envelope * envRelease);
            const float target = m_envelope >= m_threshold ? 1.0f : 0.0f;
            m_gain += (target - m_gain) * (target > m_gain ? open : close);
            for (int ch = 0; ch < m_channels; ++ch)
                frame[ch] *= m_gain;
        }
    }
    for (std::size_t i = 0; i < n; ++i)
        data[i] = static_cast<int16_t>(std::lrint(std::clamp(m_work[i], -32768.0f, 32767.0f)));
}
