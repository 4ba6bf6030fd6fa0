#pragma once

#include "components/AudioMixer.h"

#include <string>
#include <vector>

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

// The ALSA simple-mixer elements of one card, for one direction: capture lines are the elements
// with a capture volume or capture switch, playback lines those with a playback volume.
class AlsaMixer : public AudioMixer {
public:
    ~AlsaMixer() override;

    // Null when the control device cannot be opened, is not a sound card's (a sound server's
    // control) or has no line for that direction.
    static std::unique_ptr<AudioMixer> open(const std::string& controlName, bool capture);
    // The factory the components use by default.
    static std::unique_ptr<AudioMixer> forDevice(const AudioDeviceInfo& device, bool capture);

    int lineCount() const override { return static_cast<int>(m_lines.size()); }
    QString lineName(int line) const override;
    bool isMainPlaybackLine(int line) const override { return line == m_mainLine; }
    int volume(int line) const override;
    void setVolume(int line, int volume) override;
    void setMute(int line, bool mute) override;
    void setCaptureSource(int line) override;

private:
    AlsaMixer() = default;
    snd_mixer_t* m_mixer = nullptr;
    bool m_capture = false;
    std::vector<snd_mixer_elem_t*> m_lines;
    int m_mainLine = -1;
};
