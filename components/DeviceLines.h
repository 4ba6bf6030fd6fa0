#pragma once

#include "components/AlsaDevice.h"
#include "components/AudioMixer.h"

#include <QString>

#include <atomic>
#include <memory>
#include <vector>

// What capture and playback share about devices: the device list of one direction, the chosen
// device, its mixer and the chosen line. A device whose mixer offers no line of that direction
// (a sound server's device) gets one software line that scales only our own samples. Used on
// the user-interface thread; the audio worker reads only softwareGain().
class DeviceLines {
public:
    DeviceLines(bool capture, int firstDevice);

    // Where the mixers come from (ALSA by default; tests hand in a fake). A device already
    // chosen gets its mixer again from the new factory.
    void setMixerFactory(AudioMixerFactory factory);

    // Lists the devices afresh and returns how many there are.
    int refresh();
    // Chooses a device (any index; outside the list it is simply invalid) and opens its mixer.
    void selectDevice(int index);
    int selectedDevice() const { return m_device; }
    bool deviceValid() const;
    // The chosen device; null when the choice is invalid. Lists the devices if never listed.
    const AudioDeviceInfo* device();
    QString deviceName() const;

    // Lists the devices and opens the chosen device's mixer when that has not happened yet.
    void ensureMixer();
    int lineCount() const;
    void selectLine(int index) { m_line = index; }
    bool lineValid() const;
    QString lineName() const;
    bool isMainPlaybackLine() const;
    int volume() const;
    void setVolume(int volume);
    void setMute(bool mute);
    void setCaptureSource();

    // The factor the worker applies to the samples: 1 unless the line is a software line.
    float softwareGain() const { return m_softGain.load(); }

private:
    void openMixer();

    bool m_capture;
    AudioMixerFactory m_factory;
    std::vector<AudioDeviceInfo> m_devices;
    bool m_listed = false;
    int m_device;
    bool m_mixerOpen = false;
    std::unique_ptr<AudioMixer> m_mixer;
    SoftwareMixer* m_software = nullptr; // m_mixer when the device has no line of its own
    int m_line = -1;
    std::atomic<float> m_softGain{1.0f};
};
