#pragma once

#include "components/AudioBlock.h"

#include <cstdint>
#include <mutex>
#include <vector>

// What the capture and playback threads leave for the user-interface thread to look at: the most
// recent samples (for the display controls) and the peak level of each channel since the last
// timer tick.
class SampleHistory {
public:
    static constexpr std::size_t kCapacityFrames = 32768;

    void reset(int channels);
    // Called by the audio thread.
    void append(const int16_t* interleaved, std::size_t frames);
    // The most recent `count` elements (rounded down to whole frames), oldest first; fewer when
    // fewer were seen.
    AudioBlock latest(int count) const;

private:
    mutable std::mutex m_mutex;
    std::vector<int16_t> m_ring;
    std::size_t m_write = 0;  // next element to write
    std::size_t m_filled = 0; // elements held
    int m_channels = 2;
};

// Peak of each channel in percent of full scale (0..100); a mono signal shows on both.
class PeakLevels {
public:
    void reset() { m_left = m_right = 0; }
    void add(const int16_t* interleaved, std::size_t frames, int channels);
    int leftPercent() const { return toPercent(m_left); }
    int rightPercent() const { return toPercent(m_right); }

private:
    static int toPercent(int peak);
    int m_left = 0, m_right = 0;
};
