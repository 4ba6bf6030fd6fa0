// Speed change: the length follows the percentage, the pitch stays.
#include "DeviceTestSupport.h"

#include "components/ComponentError.h"
#include "components/TAudioTransform2.h"

#include <gtest/gtest.h>

using namespace devtest;

namespace {
// Stretches `source` as the splitter does: blocks of `blockFrames` one after another, then the
// empty block that ends the stream. A block of the splitter's size comes back with sound.
std::vector<int16_t> stretchStream(TAudioTransform2& at, const std::vector<int16_t>& source, int channels,
                                   std::size_t blockFrames, float percent) {
    std::vector<int16_t> out;
    const std::size_t step = blockFrames * std::size_t(channels);
    for (std::size_t at0 = 0; at0 < source.size(); at0 += step) {
        const std::size_t end = std::min(source.size(), at0 + step);
        AudioBlock block(std::vector<int16_t>(source.begin() + long(at0), source.begin() + long(end)),
                         channels);
        at.ChangeSpeed(block, percent);
        EXPECT_EQ(block.channels, channels);
        if (end - at0 >= 7320 * std::size_t(channels))
            EXPECT_FALSE(block.isEmpty()) << "block at frame " << at0 / std::size_t(channels);
        out.insert(out.end(), block.samples.begin(), block.samples.end());
    }
    AudioBlock end({}, channels);
    at.ChangeSpeed(end, percent);
    out.insert(out.end(), end.samples.begin(), end.samples.end());
    return out;
}

// Magnitude (dB) of channel 0 at `hz`, Hann-windowed over `frames` frames from `from` (Goertzel).
double levelDb(const std::vector<int16_t>& s, int channels, std::size_t from, std::size_t frames, double hz) {
    const double w = 2 * M_PI * hz / 44100;
    const double coeff = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(frames));
        const double s0 = window * s[(from + i) * std::size_t(channels)] + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return 10 * std::log10(std::max(1e-12, s1 * s1 + s2 * s2 - coeff * s1 * s2));
}

} // namespace

// The splitter plays a 1 kHz tone at half and one and a half speed in blocks of 166 ms: what comes
// out is one tone of the same pitch, with nothing at the block rate beside it (a jump of phase
// where blocks join puts sidebands a few hertz either side), and the stream is exactly as long as
// the speed makes it.
TEST(Transform, AStreamOfBlocksStaysOnePureToneOfTheRightLength) {
    for (float percent : {50.0f, 150.0f}) {
        SCOPED_TRACE(percent);
        TAudioTransform2 at;
        const std::vector<int16_t> tone = sine(44100, 2, 6.0, {1000.0, 1000.0}, {0.5, 0.5});
        const std::vector<int16_t> out = stretchStream(at, tone, 2, 7320, percent);
        const std::size_t frames = out.size() / 2;
        EXPECT_EQ(frames, std::size_t(std::llround(tone.size() / 2 * 100.0 / percent)));
        EXPECT_NEAR(rms(out, 2, 0, frames / 4), 0.5 * 32767 / std::sqrt(2.0), 0.5 * 32767 * 0.1);
        const std::size_t window = 65536, from = (frames - window) / 2;
        double peakHz = 0, peak = -1e9;
        for (double hz = 990; hz <= 1010; hz += 0.25) {
            const double db = levelDb(out, 2, from, window, hz);
            if (db > peak) peak = db, peakHz = hz;
        }
        EXPECT_NEAR(peakHz, 1000.0, 1.0);
        double side = -1e9, sideHz = 0;
        for (double hz = 900; hz <= 1100; hz += 0.5) {
            if (std::abs(hz - peakHz) < 5) continue;
            const double db = levelDb(out, 2, from, window, hz);
            if (db > side) side = db, sideHz = hz;
        }
        EXPECT_LT(side - peak, -40.0) << "sideband at " << sideHz << " Hz";
    }
}

// Every 5 ms of a stretched stream carries the tone, from its first frame to its last: no silence
// at its start, where blocks join, or at its end; a new stream after a restart the same.
TEST(Transform, AStretchedStreamHasNoSilentPart) {
    TAudioTransform2 at;
    for (float percent : {50.0f, 150.0f, 10.0f}) {
        for (std::size_t blockFrames : {std::size_t(7320), std::size_t(17640), std::size_t(441)}) {
            const std::vector<int16_t> tone = sine(44100, 2, 1.0, {440.0, 440.0}, {0.5, 0.5});
            at.Restart();
            const std::vector<int16_t> out = stretchStream(at, tone, 2, blockFrames, percent);
            const std::size_t frames = out.size() / 2;
            ASSERT_EQ(frames, std::size_t(std::llround(44100 * 100.0 / percent)));
            // A 440 Hz period is 2.3 ms; silence (or a gap of it) shows as no peak above a fifth of
            // the tone's (the joins of a tenfold stretch may dip to half of it).
            for (std::size_t from = 0; from + 220 <= frames; from += 220) {
                int peak = 0;
                for (std::size_t f = from; f < from + 220; ++f)
                    peak = std::max(peak, std::abs(static_cast<int>(out[f * 2])));
                ASSERT_GT(peak, 0.1 * 32767) << percent << " % in blocks of " << blockFrames
                                             << ": silent at frame " << from << " of " << frames;
            }
        }
    }
    AudioBlock mono(sine(44100, 1, 0.166, {440.0}, {0.3}), 1);
    at.ChangeSpeed(mono, 150.0f);
    EXPECT_EQ(mono.channels, 1);
    EXPECT_FALSE(mono.isEmpty());
}

TEST(Transform, EdgeCases) {
    TAudioTransform2 at;
    AudioBlock empty;
    at.ChangeSpeed(empty, 50.0f);
    EXPECT_TRUE(empty.isEmpty());
    AudioBlock closedReaderEnd({}, 0); // the end block of a reader that is not open
    EXPECT_NO_THROW(at.ChangeSpeed(closedReaderEnd, 150.0f));
    EXPECT_TRUE(closedReaderEnd.isEmpty());
    AudioBlock b(std::vector<int16_t>(100, 7), 2);
    EXPECT_THROW(at.ChangeSpeed(b, 0.0f), ComponentError);
    EXPECT_THROW(at.ChangeSpeed(b, std::nanf("")), ComponentError);
    EXPECT_EQ(b.samples.size(), 100u); // a refused call leaves the block alone
    at.ChangeSpeed(b, 100.0f);
    EXPECT_EQ(b.samples, std::vector<int16_t>(100, 7));
    // The empty block after a stream brings its end; the next one stays empty.
    at.ChangeSpeed(b, 50.0f);
    AudioBlock end({}, 2);
    at.ChangeSpeed(end, 50.0f);
    EXPECT_EQ(b.frames() + end.frames(), 100u);
    AudioBlock after({}, 2);
    at.ChangeSpeed(after, 50.0f);
    EXPECT_TRUE(after.isEmpty());
}
