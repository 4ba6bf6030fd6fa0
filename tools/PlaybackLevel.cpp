#include "tools/PlaybackLevel.h"

void TPlaybackLevel::SetVolume(int volume) {
    if (volume == m_volume) return;
    m_volume = volume;
    Q_EMIT VolumeChanged(volume);
}

void TPlaybackLevel::SetMuted(bool muted) {
    if (muted == m_muted) return;
    m_muted = muted;
    Q_EMIT MutedChanged(muted);
}
