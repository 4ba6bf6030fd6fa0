#pragma once

#include "components/AudioBlock.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <vector>

namespace soundtouch {
class SoundTouch;
}

// Speed change, pitch kept (SoundTouch's tempo change), of a stream of blocks: the blocks given one
// after another are stretched as one continuous sound, so nothing jumps where one block ends and
// the next begins. The stretch looks ahead and works in batches, so a block comes back with what
// the stream has ready: about its own length × 100 / percent frames, the first a little less, and
// a short block maybe nothing yet (the caller goes on with the next block). An empty block ends the
// stream and comes back with the rest, so the stream as a whole is exactly its frame count × 100 /
// percent frames long. The stretch's time windows are tuned for 44.1 kHz, which the block does not
// tell.
class TAudioTransform2 : public QObject {
    Q_OBJECT

public:
    explicit TAudioTransform2(QObject* parent = nullptr);
    ~TAudioTransform2() override;
    TAudioTransform2(const TAudioTransform2&) = delete;
    TAudioTransform2& operator=(const TAudioTransform2&) = delete;

    // Percent of normal speed: 50 plays at half speed (the stream gets twice as long), 150 at one
    // and a half. Allowed 10..1000. A change of percent goes on with the same stream; 100 and a
    // change of channel count begin a new one (at 100 the block stays as it is). An empty block
    // that does not end a stream stays empty.
    void ChangeSpeed(AudioBlock& block, float percent);
    // Begins a new stream: what the last one still held is dropped (the input jumps: a seek, a new
    // playback).
    void Restart();

private:
    void Begin(const AudioBlock& first, float percent);
    void Receive();
    void Finish(AudioBlock& block);
    void Take(AudioBlock& block, std::size_t frames);

    std::unique_ptr<soundtouch::SoundTouch> m_stretch;
    bool m_running = false;
    int m_channels = 0;
    float m_percent = 0;
    double m_target = 0;        // output frames the stream owes for its input so far
    int64_t m_given = 0;        // output frames handed out
    std::size_t m_skip = 0;     // output frames of the lead-in still to drop
    std::vector<float> m_ready; // stretched frames not handed out yet, interleaved
    std::vector<float> m_last;  // the last block's input, continued at the stream's end
};
