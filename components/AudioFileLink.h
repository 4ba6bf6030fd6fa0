#pragma once

#include "components/AudioBlock.h"

#include <QString>

#include <atomic>

class TAudioFileLink;

// What a producer of audio (the CD grabber) writes through: an audio-file object that was set up
// with an output format beforehand. `TAudioFile2` implements it.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    // The format of the blocks that follow (16-bit samples): sample rate and channel count.
    virtual void sinkSetInputFormat(int sampleRate, int channels) = 0;
    // Creates the output file in the format the object was given; raises ComponentError on failure.
    virtual void sinkCreateWrite(const QString& fileName) = 0;
    // Encodes and appends one block; raises ComponentError on failure.
    virtual void sinkWriteArray(const AudioBlock& block) = 0;
    // Finishes and closes the file; harmless when nothing is open.
    virtual void sinkClose() = 0;
    // `link` no longer leads here: another sink was connected to it, or it is being destroyed.
    // A sink that remembers its link forgets it, so it never touches a link that is gone.
    virtual void sinkLinkReleased(TAudioFileLink* link) { (void)link; }
};

// The link a producer hands out (the grabber's GetAudioFileLink) and an audio-file object binds to
// (TAudioFile2::ConnectTo): from then on the producer writes through that object.
class TAudioFileLink {
public:
    TAudioFileLink() = default;
    TAudioFileLink(const TAudioFileLink&) = delete;
    TAudioFileLink& operator=(const TAudioFileLink&) = delete;
    ~TAudioFileLink() {
        if (AudioSink* s = m_sink.exchange(nullptr))
            s->sinkLinkReleased(this);
    }
    void connect(AudioSink* sink) {
        AudioSink* old = m_sink.exchange(sink);
        if (old && old != sink)
            old->sinkLinkReleased(this);
    }
    void disconnect(AudioSink* sink) {
        AudioSink* expected = sink;
        m_sink.compare_exchange_strong(expected, nullptr);
    }
    AudioSink* sink() const { return m_sink.load(); }

private:
    std::atomic<AudioSink*> m_sink{nullptr};
};
