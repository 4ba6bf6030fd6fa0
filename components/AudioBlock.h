#pragma once

#include <cstdint>
#include <vector>

// One block of audio as the components hand it out and take it in: interleaved signed 16-bit
// samples of `channels` channels. The element count is samples.size(); the "upper bound" the
// callers test is that count minus one, so an empty block (upper bound -1) means "no more audio".
// A block is a value: whoever receives one owns it and it is freed when it goes out of scope.
struct AudioBlock {
    std::vector<int16_t> samples;
    int channels = 2;

    AudioBlock() = default;
    AudioBlock(std::vector<int16_t> s, int ch) : samples(std::move(s)), channels(ch) {}

    int upperBound() const { return static_cast<int>(samples.size()) - 1; }
    bool isEmpty() const { return samples.empty(); }
    // Sample frames: one element per channel.
    std::size_t frames() const {
        return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
    }
};
