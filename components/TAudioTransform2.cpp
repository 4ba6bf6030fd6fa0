#include "components/TAudioTransform2.h"

#include "components/ComponentError.h"

#include <SoundTouch.h>

#include <algorithm>
#include <cmath>

TAudioTransform2::TAudioTransform2() : m_stretch(std::make_unique<soundtouch::SoundTouch>()) {}

TAudioTransform2::~TAudioTransform2() = default;

void TAudioTransform2::ChangeSpeed(AudioBlock& block, float percent) {
    if (!std::isfinite(percent) || percent < 10.0f || percent > 1000.0f)
        throw ComponentError(QStringLiteral("Unsupported speed: %1 %").arg(static_cast<double>(percent)));
    if (block.channels < 1 || block.channels > 16)
        throw ComponentError(QStringLiteral("Unsupported channel count: %1").arg(block.channels));
    const int channels = block.channels;
    const std::size_t frames = block.frames();
    if (frames == 0 || percent == 100.0f) return;
    const std::size_t target = static_cast<std::size_t>(std::llround(static_cast<double>(frames) * 100.0 / percent));

    soundtouch::SoundTouch& st = *m_stretch;
    st.clear();
    st.setSampleRate(44100);
    st.setChannels(static_cast<uint>(channels));
    st.setTempo(percent / 100.0f);
    st.setPitch(1.0f);
    st.setRate(1.0f);

    std::vector<float> in(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = block.samples[i] / 32768.0f;
    st.putSamples(in.data(), static_cast<uint>(frames));
    st.flush();

    std::vector<float> out;
    out.reserve((target + 8192) * static_cast<std::size_t>(channels));
    std::vector<float> chunk(4096 * static_cast<std::size_t>(channels));
    for (;;) {
        const uint got = st.receiveSamples(chunk.data(), 4096);
        if (got == 0) break;
        out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got) * channels);
    }
    st.clear();
    // The flush pads the end with silence; the block gets exactly its stretched length.
    out.resize(target * static_cast<std::size_t>(channels), 0.0f);

    block.samples.resize(out.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        block.samples[i] = static_cast<int16_t>(std::lrint(std::clamp(out[i] * 32768.0f, -32768.0f, 32767.0f)));
}
