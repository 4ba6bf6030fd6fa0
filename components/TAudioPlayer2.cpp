#include "components/TAudioPlayer2.h"

#include "components/ComponentError.h"
#include "platform/WindowMessages.h"

#include <algorithm>
#include <chrono>
#include <cmath>

TAudioPlayer2::TAudioPlayer2(QObject* parent) : QObject(parent), m_events(std::make_unique<QObject>()) {
    m_history.reset(m_channels);
}

TAudioPlayer2::~TAudioPlayer2() {
    Stop();
}

void TAudioPlayer2::SetMixerFactory(AudioMixerFactory factory) {
    m_lines.setMixerFactory(std::move(factory));
}

// ---- devices and mixer lines ----

int TAudioPlayer2::GetDeviceCount() {
    return m_lines.refresh();
}

void TAudioPlayer2::SetDevice(int index) {
    m_lines.selectDevice(index); // a running playback stays where it is; the next Play uses this one
}

int TAudioPlayer2::GetMixerLineCount() {
    m_lines.ensureMixer();
    return m_lines.lineCount();
}

void TAudioPlayer2::SelectMixerLine(int index) {
    m_lines.selectLine(index);
}

int TAudioPlayer2::IsPlaybackLine() const {
    return m_lines.isMainPlaybackLine() ? 1 : 0;
}

int TAudioPlayer2::GetVolume() const {
    return m_lines.volume();
}

void TAudioPlayer2::SetVolume(int volume) {
    m_lines.setVolume(volume);
}

void TAudioPlayer2::SetMute(int flag) {
    m_lines.setMute(flag != 0);
}

// ---- format, equaliser, positions ----

void TAudioPlayer2::SetFormat(int sampleRate, int channels) {
    Stop();
    m_rate = sampleRate;
    m_channels = channels;
}

int64_t TAudioPlayer2::MsToSamples(int64_t ms) const {
    return m_rate > 0 ? ms * m_rate / 1000 : 0;
}

int64_t TAudioPlayer2::SamplesToMs(int64_t samples) const {
    return m_rate > 0 ? samples * 1000 / m_rate : 0;
}

void TAudioPlayer2::SetEqualizer(const std::vector<float>& gains) {
    std::lock_guard<std::mutex> lock(m_eqMutex);
    m_eqGains = gains;
    m_eqVersion.fetch_add(1);
}

void TAudioPlayer2::SetEqualizerEnabled(int flag) {
    std::lock_guard<std::mutex> lock(m_eqMutex);
    m_eqEnabled = flag != 0;
    m_eqVersion.fetch_add(1);
}

AudioBlock TAudioPlayer2::GetDisplayArray(int count) const {
    return m_history.latest(count);
}

unsigned TAudioPlayer2::GetPlayedSamples() const {
    return static_cast<unsigned>(m_played.load());
}

void TAudioPlayer2::SetTimerInterval(int ms) {
    m_timerMs.store(std::max(1, ms));
}

// ---- queue ----

void TAudioPlayer2::LoadArray(const AudioBlock& block) {
    if (block.isEmpty() || m_channels < 1) return;
    AudioBlock copy = block;
    copy.channels = m_channels; // the samples are taken in the player's format
    copy.samples.resize(copy.samples.size() - copy.samples.size() % static_cast<std::size_t>(m_channels));
    if (copy.isEmpty()) return;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_queue.push_back(std::move(copy));
    }
    m_queueChanged.notify_all();
}

void TAudioPlayer2::ClearQueue() {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_queue.clear();
}

// ---- running ----

void TAudioPlayer2::post(uint64_t generation, std::function<void()> fn) {
    RunOnUiThread(m_events.get(), [this, generation, fn = std::move(fn)] {
        if (generation == m_generation.load()) fn();
    });
}

// The run's end: OnEndPlay, so that the windows run their stop handling, and after it, when the
// device stopped working, its error for the application's handler.
void TAudioPlayer2::postEnd(uint64_t generation) {
    post(generation, [this, reason = m_failure] {
        Q_EMIT OnEndPlay();
        if (!reason.isEmpty())
            throw ComponentError(QStringLiteral("Playback stopped: ") + reason + QLatin1Char('.'));
    });
}

void TAudioPlayer2::fail() {
    m_failure = m_pcm->failure();
    m_pcm.reset();
}

void TAudioPlayer2::Play() {
    // A running playback ends with its queue; blocks handed over while idle are played.
    if (m_thread.joinable() || m_pcm) Stop();
    m_lastError = NoError;
    m_lastErrorText.clear();
    if (!ValidDeviceFormat(m_rate, m_channels)) {
        m_lastError = ErrorFormat;
        m_lastErrorText =
            QStringLiteral("No audio device plays %1 Hz in %2 channel(s).").arg(m_rate).arg(m_channels);
        return;
    }
    const AudioDeviceInfo* device = m_lines.device();
    if (!device) {
        m_lastError = ErrorNoDevice;
        m_lastErrorText = QStringLiteral("No playback device is selected.");
        return;
    }
    AlsaPcm::OpenResult result = AlsaPcm::OpenResult::Ok;
    const unsigned long period = static_cast<unsigned long>(std::max(64, m_rate / 40)); // 25 ms
    QString error;
    m_pcm =
        AlsaPcm::open(device->pcmName, false, static_cast<unsigned>(m_rate),
                      static_cast<unsigned>(m_channels), AlsaPcm::Sizes{period, period * 8}, &result, &error);
    if (!m_pcm) {
        m_lastError = result == AlsaPcm::OpenResult::BadFormat ? ErrorFormat : ErrorNoDevice;
        m_lastErrorText = error + QLatin1Char('.');
        return;
    }
    m_written.store(0);
    m_played.store(0);
    m_history.reset(m_channels);
    m_equalizer.setFormat(m_rate, m_channels);
    {
        std::lock_guard<std::mutex> lock(m_eqMutex);
        m_equalizer.setGains(m_eqGains);
        m_equalizer.setEnabled(m_eqEnabled);
        m_equalizer.reset();
    }
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_endConfirmed = false;
        m_waitingDry = 0;
    }
    m_stopRequested.store(false);
    m_failure.clear();
    const uint64_t generation = m_generation.fetch_add(1) + 1;
    // Two blocks ahead: one to play, one waiting, so the device never waits for the caller.
    for (int i = 0; i < 2; ++i)
        post(generation, [this] { Q_EMIT OnRequestOnLoadArray(); });
    m_thread = std::thread([this, generation] { playLoop(generation); });
}

void TAudioPlayer2::Stop() {
    if (m_thread.joinable()) {
        {
            // Under the queue's lock: a worker that has just found nothing to do and is about to
            // wait cannot miss this request (it would wait for ever, and this join with it).
            std::lock_guard<std::mutex> lock(m_queueMutex);
            m_stopRequested.store(true);
        }
        m_queueChanged.notify_all();
        m_thread.join();
    }
    if (m_pcm) {
        updatePlayed();
        m_pcm.reset();
    }
    m_generation.fetch_add(1); // no event of the stopped run arrives any more
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_queue.clear();
}

void TAudioPlayer2::updatePlayed() {
    const int64_t written = m_written.load();
    m_played.store(std::max<int64_t>(0, written - (m_pcm ? m_pcm->delay() : 0)));
}

void TAudioPlayer2::checkDry(uint64_t generation, uint64_t episode) {
    (void)generation;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        // Every event posted before this check has been handled and none of them fed a block.
        if (!m_queue.empty() || m_waitingDry != episode) return;
        m_endConfirmed = true;
    }
    m_queueChanged.notify_all();
}

void TAudioPlayer2::playLoop(uint64_t generation) {
    int64_t sinceTick = 0;
    m_levels.reset();
    for (;;) {
        AudioBlock block;
        {
            std::unique_lock<std::mutex> lock(m_queueMutex);
            if (m_queue.empty()) {
                const uint64_t episode = ++m_dryEpisode;
                m_waitingDry = episode;
                m_endConfirmed = false;
                post(generation, [this, generation, episode] { checkDry(generation, episode); });
                m_queueChanged.wait(
                    lock, [this] { return !m_queue.empty() || m_endConfirmed || m_stopRequested.load(); });
                m_waitingDry = 0;
                if (m_stopRequested.load()) return;
                if (m_queue.empty()) {
                    lock.unlock();
                    if (drain()) {
                        postEnd(generation);
                        return;
                    }
                    if (m_stopRequested.load()) return;
                    continue; // a block came after all
                }
            }
            block = std::move(m_queue.front());
            m_queue.pop_front();
        }
        writeBlock(block, generation, sinceTick);
        if (m_stopRequested.load()) return;
        if (!m_pcm) {
            // The device failed: playback is over.
            postEnd(generation);
            return;
        }
        post(generation, [this] { Q_EMIT OnEndArrayPlay(); });
    }
}

void TAudioPlayer2::writeBlock(const AudioBlock& block, uint64_t generation, int64_t& sinceTick) {
    const int channels = m_channels;
    const std::size_t chunkFrames = m_pcm->periodFrames();
    const std::size_t frames = block.samples.size() / static_cast<std::size_t>(channels);
    std::vector<int16_t> work(chunkFrames * static_cast<std::size_t>(channels));
    uint64_t eqVersion = 0;
    for (std::size_t done = 0; done < frames && !m_stopRequested.load();) {
        const std::size_t n = std::min(chunkFrames, frames - done);
        const std::size_t elements = n * static_cast<std::size_t>(channels);
        std::copy_n(block.samples.data() + done * static_cast<std::size_t>(channels), elements, work.data());
        if (m_eqVersion.load() != eqVersion) {
            std::lock_guard<std::mutex> lock(m_eqMutex);
            eqVersion = m_eqVersion.load();
            m_equalizer.setGains(m_eqGains);
            m_equalizer.setEnabled(m_eqEnabled);
        }
        m_equalizer.process(work.data(), n);
        // Levels and the display show the audio itself, before any volume (software or card).
        m_history.append(work.data(), n);
        m_levels.add(work.data(), n, channels);
        const float gain = m_lines.softwareGain();
        if (gain != 1.0f)
            for (std::size_t i = 0; i < elements; ++i)
                work[i] = static_cast<int16_t>(std::lrint(work[i] * gain));

        std::size_t written = 0;
        while (written < n && !m_stopRequested.load()) {
            const long w =
                m_pcm->write(work.data() + written * static_cast<std::size_t>(channels), n - written, 100);
            if (w < 0) {
                fail();
                return;
            }
            written += static_cast<std::size_t>(w);
            m_written.fetch_add(w);
            updatePlayed();
        }
        done += n;

        sinceTick += static_cast<int64_t>(n);
        const int64_t tickFrames = std::max<int64_t>(1, int64_t(m_timerMs.load()) * m_rate / 1000);
        if (sinceTick >= tickFrames) {
            sinceTick %= tickFrames;
            const int position = static_cast<int>(m_played.load());
            const int left = m_levels.leftPercent(), right = m_levels.rightPercent();
            m_levels.reset();
            post(generation, [this, position, left, right] { Q_EMIT OnTimer(position, left, right); });
        }
    }
}

bool TAudioPlayer2::drain() {
    if (!m_pcm) return true;
    m_pcm->startIfPrepared();
    // The device plays out with silence behind the audio: a sound server's stream plays only
    // whole cycles and would keep the audio's last part back once nothing follows. The silence
    // follows the audio at once, two periods of it (more than a server's cycle) kept queued behind
    // the audio: a server whose reported delay holds its own latency never sees its stream run dry
    // with the audio's last part held back, and never stops it to wait for a refill while playing
    // silence of its own. When the device says the audio's last frame is on its way out, the device
    // is drained: the server plays what it still holds (the audio's end and a little silence)
    // before the end is told.
    using Clock = std::chrono::steady_clock;
    const int64_t end = m_written.load();
    const std::size_t period = m_pcm->periodFrames();
    const std::vector<int16_t> silence(period * static_cast<std::size_t>(m_channels), 0);
    int64_t padding = 0;
    const int rate = std::max(1, m_rate);
    // However the device behaves, the wait ends a second after the held audio should have played.
    const auto deadline = Clock::now() + std::chrono::milliseconds(1000 + m_pcm->delay() * 1000 / rate);
    while (!m_stopRequested.load()) {
        const long pending = m_pcm->delay();
        const int64_t audioLeft = std::max<int64_t>(0, pending - padding);
        m_played.store(end - audioLeft);
        if (audioLeft == 0 || Clock::now() >= deadline) break;
        if (padding < 2 * static_cast<int64_t>(period) || pending < 2 * static_cast<long>(period)) {
            const long w = m_pcm->write(silence.data(), period, 10);
            if (w < 0) {
                fail();
                return true;
            }
            padding += w;
        }
        std::unique_lock<std::mutex> lock(m_queueMutex);
        if (!m_queue.empty()) return false;
        const auto wait = std::chrono::milliseconds(std::clamp<long>(audioLeft * 1000 / rate, 1, 10));
        m_queueChanged.wait_for(lock, wait, [this] { return !m_queue.empty() || m_stopRequested.load(); });
        if (!m_queue.empty()) return false;
    }
    if (m_stopRequested.load()) return false;
    m_pcm->drain();
    m_played.store(end);
    return true;
}
