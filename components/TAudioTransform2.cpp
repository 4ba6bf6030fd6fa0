#include "components/TAudioTransform2.h"

#include "components/ComponentError.h"

#include <SoundTouch.h>

#include <algorithm>
#include <cmath>

namespace {

// Frame `t` of the endless continuation of `frames` frames reflected at their ends: t = 0..frames-1
// is the block itself, after it the block backwards, then forwards again, and so on; before it
// (t < 0) the same backwards in time. No jump at the joins, the same pitch.
std::size_t Reflected(int64_t t, std::size_t frames) {
    const int64_t period = 2 * int64_t(frames);
    int64_t at = t % period;
    if (at < 0) at += period;
    return std::size_t(at < int64_t(frames) ? at : period - 1 - at);
}

// Puts `count` frames of the reflected continuation of `block`, from frame `from` on.
void PutReflected(soundtouch::SoundTouch& st, const std::vector<float>& block, int channels, int64_t from,
                  std::size_t count) {
    const std::size_t frames = block.size() / std::size_t(channels);
    std::vector<float> piece;
    while (count > 0) {
        const std::size_t n = std::min<std::size_t>(count, 4096);
        piece.resize(n * std::size_t(channels));
        for (std::size_t i = 0; i < n; ++i)
            std::copy_n(block.data() + Reflected(from + int64_t(i), frames) * std::size_t(channels), channels,
                        piece.data() + i * std::size_t(channels));
        st.putSamples(piece.data(), static_cast<uint>(n));
        from += int64_t(n);
        count -= n;
    }
}

} // namespace

TAudioTransform2::TAudioTransform2(QObject* parent)
    : QObject(parent), m_stretch(std::make_unique<soundtouch::SoundTouch>()) {}

TAudioTransform2::~TAudioTransform2() = default;

void TAudioTransform2::Restart() {
    m_running = false;
    m_stretch->clear();
    m_ready.clear();
    m_last.clear();
    m_target = 0;
    m_given = 0;
    m_skip = 0;
}

// A new stream begins with a lead-in: the first block reflected backwards in time, as long as the
// stretch looks ahead. Its stretched output is dropped, so the stream's sound begins with the
// block's first frame and the first block already comes back with sound.
void TAudioTransform2::Begin(const AudioBlock& first, float percent) {
    Restart();
    soundtouch::SoundTouch& st = *m_stretch;
    m_channels = first.channels;
    m_percent = percent;
    st.setSampleRate(44100);
    st.setChannels(static_cast<uint>(m_channels));
    st.setTempo(percent / 100.0f);
    st.setPitch(1.0f);
    st.setRate(1.0f);
    // Pieces of 60 ms joined over 20 ms (SoundTouch's own choice at 1.5 times joins over 8 ms):
    // the long join leaves a pure tone pure, its joins more than 60 dB below it at 0.5 and 1.5
    // times instead of some 35.
    st.setSetting(SETTING_SEQUENCE_MS, 60);
    st.setSetting(SETTING_SEEKWINDOW_MS, 15);
    st.setSetting(SETTING_OVERLAP_MS, 20);
    const int leadIn = std::max(0, st.getSetting(SETTING_INITIAL_LATENCY));
    std::vector<float> in(first.samples.size());
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] = first.samples[i] / 32768.0f;
    PutReflected(st, in, m_channels, -int64_t(leadIn), std::size_t(leadIn));
    m_skip = std::size_t(std::llround(double(leadIn) * 100.0 / percent));
    m_running = true;
}

void TAudioTransform2::Receive() {
    soundtouch::SoundTouch& st = *m_stretch;
    const std::size_t channels = std::size_t(m_channels);
    for (;;) {
        const uint available = st.numSamples();
        if (available == 0) break;
        const std::size_t at = m_ready.size();
        m_ready.resize(at + available * channels);
        const uint got = st.receiveSamples(m_ready.data() + at, available);
        m_ready.resize(at + got * channels);
        if (got == 0) break;
    }
    const std::size_t drop = std::min(m_skip, m_ready.size() / channels);
    m_ready.erase(m_ready.begin(), m_ready.begin() + std::ptrdiff_t(drop * channels));
    m_skip -= drop;
}

void TAudioTransform2::Take(AudioBlock& block, std::size_t frames) {
    const std::size_t n = frames * std::size_t(m_channels);
    block.channels = m_channels;
    block.samples.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const float v = i < m_ready.size() ? m_ready[i] : 0.0f;
        block.samples[i] = static_cast<int16_t>(std::lrint(std::clamp(v * 32768.0f, -32768.0f, 32767.0f)));
    }
    m_ready.erase(m_ready.begin(), m_ready.begin() + std::ptrdiff_t(std::min(n, m_ready.size())));
    m_given += int64_t(frames);
}

// The stream's end: what it still owes comes from the stretch fed with the last block continued
// past its end (a flush would pad with silence); the continuation's own sound is cut off.
void TAudioTransform2::Finish(AudioBlock& block) {
    soundtouch::SoundTouch& st = *m_stretch;
    const std::size_t channels = std::size_t(m_channels);
    const int64_t owed = std::max<int64_t>(0, std::llround(m_target) - m_given);
    const std::size_t frames = m_last.size() / channels;
    // However short the last block, the continuation stops after about 1.5 s of extra input, and
    // whatever is still missing then comes from a flush.
    int64_t extra = 0;
    while (int64_t(m_ready.size() / channels) < owed && extra < 65536 && frames > 0) {
        const std::size_t piece = std::min<std::size_t>(frames, 4096);
        PutReflected(st, m_last, m_channels, int64_t(frames) + extra, piece);
        extra += int64_t(piece);
        Receive();
    }
    if (int64_t(m_ready.size() / channels) < owed) {
        st.flush();
        Receive();
    }
    Take(block, std::size_t(owed));
    Restart();
}

void TAudioTransform2::ChangeSpeed(AudioBlock& block, float percent) {
    if (!std::isfinite(percent) || percent < 10.0f || percent > 1000.0f)
        throw ComponentError(QStringLiteral("Unsupported speed: %1 %").arg(static_cast<double>(percent)));
    // The end of a file comes as an empty block, whatever channel count it carries.
    if (block.isEmpty()) {
        if (m_running) Finish(block);
        return;
    }
    if (block.channels < 1 || block.channels > 16)
        throw ComponentError(QStringLiteral("Unsupported channel count: %1").arg(block.channels));
    const std::size_t frames = block.frames();
    if (frames == 0) return;
    if (percent == 100.0f) {
        if (m_running) Restart();
        return;
    }
    if (!m_running || block.channels != m_channels) Begin(block, percent);
    soundtouch::SoundTouch& st = *m_stretch;
    if (percent != m_percent) {
        st.setTempo(percent / 100.0f);
        m_percent = percent;
    }
    m_last.resize(block.samples.size());
    for (std::size_t i = 0; i < m_last.size(); ++i)
        m_last[i] = block.samples[i] / 32768.0f;
    st.putSamples(m_last.data(), static_cast<uint>(frames));
    m_target += double(frames) * 100.0 / percent;
    Receive();
    Take(block, m_ready.size() / std::size_t(m_channels));
}
