// Speed change: the length follows the percentage, the pitch stays.
#include "DeviceTestSupport.h"

#include "components/ComponentError.h"
#include "components/TAudioTransform2.h"

#include <gtest/gtest.h>

using namespace devtest;

namespace {
// Frequency from the rising zero crossings of channel 0 in the middle half of the block.
double frequency(const AudioBlock& b, int rate) {
    const std::size_t frames = b.frames();
    const std::size_t from = frames / 4, to = frames * 3 / 4;
    int crossings = 0;
    std::size_t first = 0, last = 0;
    for (std::size_t i = from + 1; i < to; ++i) {
        const int a = b.samples[(i - 1) * static_cast<std::size_t>(b.channels)];
        const int c = b.samples[i * static_cast<std::size_t>(b.channels)];
        if (a < 0 && c >= 0) {
            if (crossings == 0) first = i;
            last = i;
            ++crossings;
        }
    }
    return crossings > 1 ? (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first)
                         : 0.0;
}
} // namespace

TEST(Transform, ChangeSpeedKeepsPitchAndScalesLength) {
    TAudioTransform2 at;
    for (float percent : {50.0f, 150.0f}) {
        AudioBlock block(sine(44100, 2, 1.0, {1000.0, 1000.0}, {0.5, 0.5}), 2);
        const std::size_t frames = block.frames();
        at.ChangeSpeed(block, percent);
        EXPECT_EQ(block.channels, 2);
        EXPECT_EQ(block.samples.size() % 2, 0u);
        EXPECT_EQ(block.frames(), static_cast<std::size_t>(std::llround(frames * 100.0 / percent)));
        EXPECT_NEAR(frequency(block, 44100), 1000.0, 20.0) << "at " << percent << " %";
        EXPECT_NEAR(rms(block.samples, 2, 0, block.frames() / 4), 0.5 * 32767 / std::sqrt(2.0),
                    0.5 * 32767 * 0.1);
    }
    AudioBlock mono(sine(44100, 1, 0.166, {440.0}, {0.3}), 1);
    const std::size_t frames = mono.frames();
    at.ChangeSpeed(mono, 150.0f);
    EXPECT_EQ(mono.frames(), static_cast<std::size_t>(std::llround(frames / 1.5)));
}

// The splitter stretches blocks of 166 ms one by one: a stretched block must be sound to its
// very end, or every block boundary becomes an audible gap.
TEST(Transform, StretchedBlockHasNoSilentTail) {
    TAudioTransform2 at;
    for (float percent : {50.0f, 150.0f, 10.0f}) {
        for (double seconds : {0.166, 0.4, 0.01}) {
            AudioBlock block(sine(44100, 2, seconds, {440.0, 440.0}, {0.5, 0.5}), 2);
            at.ChangeSpeed(block, percent);
            const std::size_t frames = block.frames();
            ASSERT_GT(frames, 0u);
            // Every 5 ms of the result carries the tone (a 440 Hz period is 2.3 ms).
            for (std::size_t from = 0; from + 220 <= frames; from += 220) {
                int peak = 0;
                for (std::size_t f = from; f < from + 220; ++f)
                    peak = std::max(peak, std::abs(static_cast<int>(block.samples[f * 2])));
                ASSERT_GT(peak, 0.25 * 32767)
                    << percent << " % of " << seconds << " s: silent at frame " << from << " of " << frames;
            }
        }
    }
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
}
