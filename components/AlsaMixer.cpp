#include "components/AlsaMixer.h"

#include "components/AlsaDevice.h"

#include <alsa/asoundlib.h>

AlsaMixer::~AlsaMixer() {
    if (m_mixer) snd_mixer_close(m_mixer);
}

std::unique_ptr<AudioMixer> AlsaMixer::forDevice(const AudioDeviceInfo& device, bool capture) {
    if (device.mixerName.empty()) return nullptr;
    return open(device.mixerName, capture);
}

// Whether the control device is a sound card's own. A sound server's control ("default" routed to
// PipeWire or PulseAudio) is the server's volume of a whole sink or source, shared by every
// program: our sliders never move it.
static bool isCardControl(const std::string& controlName) {
    snd_ctl_t* ctl = nullptr;
    if (snd_ctl_open(&ctl, controlName.c_str(), SND_CTL_NONBLOCK) < 0) return false;
    const bool card = snd_ctl_type(ctl) == SND_CTL_TYPE_HW;
    snd_ctl_close(ctl);
    return card;
}

std::unique_ptr<AudioMixer> AlsaMixer::open(const std::string& controlName, bool capture) {
    SilenceAlsaDiagnostics();
    if (!isCardControl(controlName)) return nullptr;
    std::unique_ptr<AlsaMixer> m(new AlsaMixer);
    m->m_capture = capture;
    if (snd_mixer_open(&m->m_mixer, 0) < 0) {
        m->m_mixer = nullptr;
        return nullptr;
    }
    if (snd_mixer_attach(m->m_mixer, controlName.c_str()) < 0 ||
        snd_mixer_selem_register(m->m_mixer, nullptr, nullptr) < 0 || snd_mixer_load(m->m_mixer) < 0)
        return nullptr;
    int pcmLine = -1;
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(m->m_mixer); e; e = snd_mixer_elem_next(e)) {
        if (!snd_mixer_selem_is_active(e)) continue;
        const bool wanted =
            capture ? (snd_mixer_selem_has_capture_volume(e) || snd_mixer_selem_has_capture_switch(e))
                    : snd_mixer_selem_has_playback_volume(e);
        if (!wanted) continue;
        const QString name = QString::fromUtf8(snd_mixer_selem_get_name(e));
        const int index = static_cast<int>(m->m_lines.size());
        if (!capture && m->m_mainLine < 0 && name.compare(QLatin1String("Master"), Qt::CaseInsensitive) == 0)
            m->m_mainLine = index;
        if (!capture && pcmLine < 0 && name.compare(QLatin1String("PCM"), Qt::CaseInsensitive) == 0)
            pcmLine = index;
        m->m_lines.push_back(e);
    }
    if (m->m_lines.empty()) return nullptr;
    if (!capture && m->m_mainLine < 0) m->m_mainLine = pcmLine >= 0 ? pcmLine : 0;
    return m;
}

QString AlsaMixer::lineName(int line) const {
    return QString::fromUtf8(snd_mixer_selem_get_name(m_lines[static_cast<size_t>(line)]));
}

int AlsaMixer::volume(int line) const {
    snd_mixer_handle_events(m_mixer); // take in changes other programs made
    snd_mixer_elem_t* e = m_lines[static_cast<size_t>(line)];
    long min = 0, max = 0, value = 0;
    if (m_capture) {
        if (!snd_mixer_selem_has_capture_volume(e)) return snd_mixer_selem_has_capture_switch(e) ? 65535 : 0;
        snd_mixer_selem_get_capture_volume_range(e, &min, &max);
        snd_mixer_selem_get_capture_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &value);
    } else {
        snd_mixer_selem_get_playback_volume_range(e, &min, &max);
        snd_mixer_selem_get_playback_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &value);
    }
    return ScaleFromRange(value, min, max);
}

void AlsaMixer::setVolume(int line, int volume) {
    snd_mixer_elem_t* e = m_lines[static_cast<size_t>(line)];
    long min = 0, max = 0;
    if (m_capture) {
        if (!snd_mixer_selem_has_capture_volume(e)) return;
        snd_mixer_selem_get_capture_volume_range(e, &min, &max);
        snd_mixer_selem_set_capture_volume_all(e, ScaleToRange(volume, min, max));
    } else {
        snd_mixer_selem_get_playback_volume_range(e, &min, &max);
        snd_mixer_selem_set_playback_volume_all(e, ScaleToRange(volume, min, max));
    }
}

void AlsaMixer::setMute(int line, bool mute) {
    snd_mixer_elem_t* e = m_lines[static_cast<size_t>(line)];
    if (m_capture) {
        if (snd_mixer_selem_has_capture_switch(e)) snd_mixer_selem_set_capture_switch_all(e, mute ? 0 : 1);
    } else if (snd_mixer_selem_has_playback_switch(e)) {
        snd_mixer_selem_set_playback_switch_all(e, mute ? 0 : 1);
    }
}

void AlsaMixer::setCaptureSource(int line) {
    snd_mixer_elem_t* e = m_lines[static_cast<size_t>(line)];
    if (snd_mixer_selem_has_capture_switch(e)) snd_mixer_selem_set_capture_switch_all(e, 1);
}
