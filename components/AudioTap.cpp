#include "components/AudioTap.h"

#include <algorithm>
#include <cstdlib>

void SampleHistory::reset(int channels) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_channels = channels > 0 ? channels : 1;
    m_ring.assign(kCapacityFrames * static_cast<std::size_t>(m_channels), 0);
    m_write = 0;
    m_filled = 0;
}

void SampleHistory::append(const int16_t* data, std::size_t frames) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_ring.empty()) return;
    std::size_t n = frames * static_cast<std::size_t>(m_channels);
    const std::size_t cap = m_ring.size();
    if (n > cap) {
        data += n - cap;
        n = cap;
    }
    const std::size_t first = std::min(n, cap - m_write);
    std::copy(data, data + first, m_ring.begin() + static_cast<std::ptrdiff_t>(m_write));
    std::copy(data + first, data + n, m_ring.begin());
    m_write = (m_write + n) % cap;
    m_filled = std::min(cap, m_filled + n);
}

AudioBlock SampleHistory::latest(int count) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    AudioBlock block;
    block.channels = m_channels;
    if (count <= 0 || m_ring.empty()) return block;
    std::size_t n = std::min(static_cast<std::size_t>(count), m_filled);
    n -= n % static_cast<std::size_t>(m_channels);
    block.samples.resize(n);
    const std::size_t cap = m_ring.size();
    std::size_t from = (m_write + cap - n) % cap;
    for (std::size_t i = 0; i < n; ++i) {
        block.samples[i] = m_ring[from];
        if (++from == cap) from = 0;
    }
    return block;
}

void PeakLevels::add(const int16_t* data, std::size_t frames, int channels) {
    if (channels <= 0) return;
    int l = m_left, r = m_right;
    for (std::size_t f = 0; f < frames; ++f) {
        const int16_t* frame = data + f * static_cast<std::size_t>(channels);
        l = std::max(l, std::abs(static_cast<int>(frame[0])));
        r = std::max(r, std::abs(static_cast<int>(frame[channels > 1 ? 1 : 0])));
    }
    m_left = l;
    m_right = r;
}

int PeakLevels::toPercent(int peak) {
    return std::min(100, (peak * 100 + 16384) / 32768);
}
