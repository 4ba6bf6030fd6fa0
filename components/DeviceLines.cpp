#include "components/DeviceLines.h"

#include "components/AlsaMixer.h"

#include <algorithm>

DeviceLines::DeviceLines(bool capture, int firstDevice)
    : m_capture(capture), m_factory(&AlsaMixer::forDevice), m_device(firstDevice) {}

void DeviceLines::setMixerFactory(AudioMixerFactory factory) {
    m_factory = std::move(factory);
    if (m_mixerOpen) openMixer();
}

int DeviceLines::refresh() {
    m_devices = ListAlsaDevices(m_capture);
    m_listed = true;
    return static_cast<int>(m_devices.size());
}

void DeviceLines::selectDevice(int index) {
    if (!m_listed) refresh();
    m_device = index;
    openMixer();
}

bool DeviceLines::deviceValid() const {
    return m_device >= 0 && m_device < static_cast<int>(m_devices.size());
}

const AudioDeviceInfo* DeviceLines::device() {
    if (!m_listed) refresh();
    return deviceValid() ? &m_devices[static_cast<std::size_t>(m_device)] : nullptr;
}

QString DeviceLines::deviceName() const {
    return deviceValid() ? m_devices[static_cast<std::size_t>(m_device)].displayName : QString();
}

void DeviceLines::openMixer() {
    m_mixer.reset();
    m_software = nullptr;
    m_line = -1;
    m_mixerOpen = true;
    m_softGain.store(1.0f);
    if (!deviceValid()) return;
    if (m_factory) m_mixer = m_factory(m_devices[static_cast<std::size_t>(m_device)], m_capture);
    if (!m_mixer || m_mixer->lineCount() < 1) {
        auto soft = std::make_unique<SoftwareMixer>(m_capture);
        m_software = soft.get();
        m_mixer = std::move(soft);
        m_softGain.store(m_software->gain());
    }
    m_line = 0;
}

void DeviceLines::ensureMixer() {
    if (!m_listed) refresh();
    if (!m_mixerOpen) openMixer();
}

int DeviceLines::lineCount() const {
    return deviceValid() && m_mixer ? m_mixer->lineCount() : 0;
}

bool DeviceLines::lineValid() const {
    return deviceValid() && m_mixer && m_line >= 0 && m_line < m_mixer->lineCount();
}

QString DeviceLines::lineName() const {
    return lineValid() ? m_mixer->lineName(m_line) : QString();
}

bool DeviceLines::isMainPlaybackLine() const {
    return lineValid() && m_mixer->isMainPlaybackLine(m_line);
}

int DeviceLines::volume() const {
    return lineValid() ? m_mixer->volume(m_line) : 0;
}

void DeviceLines::setVolume(int volume) {
    if (!lineValid()) return;
    m_mixer->setVolume(m_line, std::clamp(volume, 0, 65535));
    if (m_software) m_softGain.store(m_software->gain());
}

void DeviceLines::setMute(bool mute) {
    if (!lineValid()) return;
    m_mixer->setMute(m_line, mute);
    if (m_software) m_softGain.store(m_software->gain());
}

void DeviceLines::setCaptureSource() {
    if (lineValid()) m_mixer->setCaptureSource(m_line);
}
