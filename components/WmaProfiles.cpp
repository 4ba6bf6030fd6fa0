#include "components/WmaProfiles.h"

#include "components/ComponentError.h"
#include "components/FfmpegUtil.h"

#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

namespace {

struct Designed {
    int rate, channels, kbps;
};

const Designed kDesigned[] = {
    {8000, 1, 4},   {8000, 1, 5},   {8000, 1, 6},   {8000, 1, 8},   {11025, 1, 10},
    {16000, 1, 16}, {22050, 1, 20}, {22050, 2, 20}, {22050, 2, 32}, {32000, 2, 32},
    {32000, 2, 40}, {32000, 2, 48}, {44100, 2, 64}, {44100, 2, 96}, {44100, 2, 128},
};

// The bit rate (kbps) the encoder really writes for these values, or 0 when it refuses them.
int probe(const AVCodec* codec, int rate, int channels, int kbps) {
    CodecContextPtr owner(avcodec_alloc_context3(codec));
    AVCodecContext* ctx = owner.get();
    if (!ctx) return 0;
    ctx->sample_rate = rate;
    av_channel_layout_default(&ctx->ch_layout, channels);
    ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    ctx->bit_rate = int64_t(kbps) * 1000;
    ctx->time_base = AVRational{1, rate};
    int result = 0;
    if (avcodec_open2(ctx, codec, nullptr) >= 0 && ctx->frame_size > 0 && ctx->block_align > 0) {
        // One block of block_align bytes carries frame_size samples.
        double real = double(ctx->block_align) * 8.0 * rate / ctx->frame_size / 1000.0;
        result = int(real + 0.5);
    }
    return result;
}

std::vector<WmaProfile> buildProfiles() {
    quietFfmpegLog();
    std::vector<WmaProfile> list;
    const AVCodec* codec = avcodec_find_encoder_by_name("wmav2");
    if (!codec) return list;
    for (const Designed& d : kDesigned) {
        int real = probe(codec, d.rate, d.channels, d.kbps);
        // Refused: find the lowest bit rate that encodes at this rate and channel count.
        for (int kbps = d.kbps + 1; real == 0 && kbps <= 128; ++kbps)
            real = probe(codec, d.rate, d.channels, kbps);
        if (real == 0) continue;
        list.push_back({d.rate, d.channels, real,
                        QStringLiteral("%1Hz,%2,%3kbps")
                            .arg(d.rate)
                            .arg(d.channels == 1 ? "mono" : "stereo")
                            .arg(real)});
    }
    return list;
}

} // namespace

const std::vector<WmaProfile>& wmaProfiles() {
    static std::once_flag once;
    static std::vector<WmaProfile> profiles;
    std::call_once(once, [] { profiles = buildProfiles(); });
    return profiles;
}

const WmaProfile* findWmaProfile(int profile) {
    const auto& profiles = wmaProfiles();
    return profile >= 1 && profile <= int(profiles.size()) ? &profiles[std::size_t(profile - 1)] : nullptr;
}

const WmaProfile& wmaProfile(int profile) {
    const WmaProfile* p = findWmaProfile(profile);
    if (!p) throw ComponentError(QStringLiteral("There is no WMA profile %1").arg(profile));
    return *p;
}
