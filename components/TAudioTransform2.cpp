#include "components/TAudioTransform2.h"

#include "components/ComponentError.h"

#include <SoundTouch.h>

#include <algorithm>
#include <cmath>

TAudioTransform2::TAudioTransform2(QObject* parent)
    : QObject(parent), m_stretch(std::make_unique<soundtouch::SoundTouch>()) {}

TAudioTransform2::~TAudioTransform2() = default;

void TAudioTransform2::ChangeSpeed(AudioBlock& block, float percent) {
    if (!std::isfinite(percent) || percent < 10.0f || percent > 1000.0f)
        throw ComponentError(QStringLiteral("Unsupported speed: %1 %").arg(static_cast<double>(percent)));
    // The end of a file comes as an empty block, whatever channel count it carries: it stays empty.
    if (block.isEmpty()) return;
    if (block.channels < 1 || block.channels > 16)
        throw ComponentError(QStringLiteral("Unsupported channel count: %1").arg(block.channels));
    const int channels = block.channels;
    const std::size_t frames = block.frames();
    if (frames == 0 || percent == 100.0f) return;
    const std::size_t target =
        static_cast<std::size_t>(std::llround(static_cast<double>(frames) * 100.0 / percent));

    soundtouch::SoundTouch& st = *m_stretch;
    st.clear();
    st.setSampleRate(44100);
    st.setChannels(static_cast<uint>(channels));
    st.setTempo(percent / 100.0f);
    st.setPitch(1.0f);
    st.setRate(1.0f);

    std::vector<float> in(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] = block.samples[i] / 32768.0f;
    // The stretcher holds back the last part of its input until more comes; a flush would fill the
    // end of the block with silence, a gap at every block boundary. Instead the block is continued
    // by itself, mirrored then forward (no jump at the joins, the same pitch), until the stretched
    // block is complete; the continuation's own output is cut off.
    std::vector<float> mirrored(in.size());
    for (std::size_t f = 0; f < frames; ++f)
        std::copy_n(in.data() + (frames - 1 - f) * static_cast<std::size_t>(channels), channels,
                    mirrored.data() + f * static_cast<std::size_t>(channels));
    const std::size_t wanted = target * static_cast<std::size_t>(channels);
    std::vector<float> out;
    out.reserve(wanted + 4096 * static_cast<std::size_t>(channels));
    std::vector<float> chunk(4096 * static_cast<std::size_t>(channels));
    auto receive = [&] {
        for (;;) {
            const uint got = st.receiveSamples(chunk.data(), 4096);
            if (got == 0) break;
            out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got) * channels);
        }
    };
    st.putSamples(in.data(), static_cast<uint>(frames));
    receive();
    // The continuation goes in pieces of at most 4096 frames, so a long block costs little extra;
    // however short the block, it stops after about 1.5 s of extra input, and whatever is still
    // missing then comes from a flush.
    const std::size_t piece = std::min<std::size_t>(frames, 4096);
    std::size_t cursor = 0; // in the endless sequence mirrored, forward, mirrored, ...
    for (std::size_t extra = 0; out.size() < wanted && extra < 65536; extra += piece) {
        const std::size_t at = cursor % (2 * frames);
        const bool mirror = at < frames;
        const std::size_t from = mirror ? at : at - frames;
        const std::size_t n = std::min(piece, frames - from);
        const float* source =
            (mirror ? mirrored.data() : in.data()) + from * static_cast<std::size_t>(channels);
        st.putSamples(source, static_cast<uint>(n));
        cursor += n;
        receive();
    }
    if (out.size() < wanted) {
        st.flush();
        receive();
    }
    st.clear();
    out.resize(wanted, 0.0f);

    block.samples.resize(out.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        block.samples[i] =
            static_cast<int16_t>(std::lrint(std::clamp(out[i] * 32768.0f, -32768.0f, 32767.0f)));
}
