#pragma once

#include "components/AudioBlock.h"

#include <QString>

#include <mutex>

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
// (TAudioFile2::ConnectTo): from then on the producer writes through that object. The producer
// calls the object only through withSink, which holds the link for the call: an object that
// disconnects (as it does when it is destroyed) waits for a call in progress, and after that the
// producer finds it gone instead of touching freed memory.
class TAudioFileLink {
public:
    TAudioFileLink() = default;
    TAudioFileLink(const TAudioFileLink&) = delete;
    TAudioFileLink& operator=(const TAudioFileLink&) = delete;
    ~TAudioFileLink() {
        if (AudioSink* s = exchange(nullptr)) s->sinkLinkReleased(this);
    }
    void connect(AudioSink* sink) {
        AudioSink* old = exchange(sink);
        if (old && old != sink) old->sinkLinkReleased(this);
    }
    void disconnect(AudioSink* sink) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_sink == sink) m_sink = nullptr;
    }
    AudioSink* sink() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sink;
    }
    // Calls fn(sink) while the link still leads to `expected`; false, without calling, when it
    // no longer does (the object went away or another took its place).
    template <class Fn> bool withSink(AudioSink* expected, Fn&& fn) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_sink || m_sink != expected) return false;
        fn(*m_sink);
        return true;
    }

private:
    AudioSink* exchange(AudioSink* sink) {
        std::lock_guard<std::mutex> lock(m_mutex);
        AudioSink* old = m_sink;
        m_sink = sink;
        return old;
    }

    mutable std::mutex m_mutex;
    AudioSink* m_sink = nullptr;
};
