#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <memory>

struct AudioDeviceInfo;

// The volume controls of one device, in one direction (capture or playback). Lines are numbered
// from 0; an index outside 0..lineCount()-1 is never passed in (the components check first).
// Volumes run 0..65535 whatever the control's own range is.
class AudioMixer {
public:
    virtual ~AudioMixer();

    virtual int lineCount() const = 0;
    virtual QString lineName(int line) const = 0;
    // The line a player window controls: the master line, else the PCM line.
    virtual bool isMainPlaybackLine(int line) const = 0;
    virtual int volume(int line) const = 0;
    virtual void setVolume(int line, int volume) = 0;
    virtual void setMute(int line, bool mute) = 0;
    // Makes the line the one that is recorded (its capture switch on).
    virtual void setCaptureSource(int line) = 0;
};

// Opens the mixer of a device, or returns null when the device has none worth showing.
using AudioMixerFactory =
    std::function<std::unique_ptr<AudioMixer>(const AudioDeviceInfo& device, bool capture)>;

// A device without a mixer of its own (a sound server's default device) still offers one line,
// named "Capture" or "Master". Its volume and mute act on the samples themselves: the component
// reads gain() on its audio thread.
class SoftwareMixer : public AudioMixer {
public:
    explicit SoftwareMixer(bool capture);

    int lineCount() const override { return 1; }
    QString lineName(int) const override;
    bool isMainPlaybackLine(int) const override { return !m_capture; }
    int volume(int) const override { return m_volume.load(); }
    void setVolume(int, int volume) override;
    void setMute(int, bool mute) override { m_mute.store(mute); }
    void setCaptureSource(int) override {}

    // 1.0 at full volume: then the samples pass untouched.
    float gain() const;

private:
    bool m_capture;
    std::atomic<int> m_volume{65535};
    std::atomic<bool> m_mute{false};
};

// Scales 0..65535 onto [min, max] and back, rounding to the nearest step.
long ScaleToRange(int volume, long min, long max);
int ScaleFromRange(long value, long min, long max);
