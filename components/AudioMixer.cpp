#include "components/AudioMixer.h"

#include <algorithm>
#include <cmath>

AudioMixer::~AudioMixer() = default;

SoftwareMixer::SoftwareMixer(bool capture) : m_capture(capture) {}

QString SoftwareMixer::lineName(int) const {
    return m_capture ? QStringLiteral("Capture") : QStringLiteral("Master");
}

void SoftwareMixer::setVolume(int, int volume) {
    m_volume.store(std::clamp(volume, 0, 65535));
}

float SoftwareMixer::gain() const {
    if (m_mute.load()) return 0.0f;
    return static_cast<float>(m_volume.load()) / 65535.0f;
}

long ScaleToRange(int volume, long min, long max) {
    if (max <= min) return min;
    const long long v = std::clamp(volume, 0, 65535);
    return min + static_cast<long>((v * (max - min) + 32767) / 65535);
}

int ScaleFromRange(long value, long min, long max) {
    if (max <= min) return 0;
    const long long v = std::clamp(value, min, max) - min;
    return static_cast<int>((v * 65535 + (max - min) / 2) / (max - min));
}
