#pragma once

#include <QObject>

// The playback volume and mute a main window and its player window keep in step. Each window hands
// on what its own controls chose and follows what the signals report. A change is reported only when
// the value changes, so a window that follows a change and hands the same value back sends nothing
// further: no echo, and no flag that could stay set.
class TPlaybackLevel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // 0..65535, loudest at 65535.
    int Volume() const { return m_volume; }
    bool Muted() const { return m_muted; }
    void SetVolume(int volume);
    void SetMuted(bool muted);

Q_SIGNALS:
    void VolumeChanged(int volume);
    void MutedChanged(bool muted);

private:
    int m_volume = -1; // none handed on yet: the first value is reported whatever it is
    bool m_muted = false;
};
