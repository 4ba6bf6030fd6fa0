#include "components/TAudioRecord2.h"

#include "components/ComponentError.h"
#include "platform/WindowMessages.h"

#include <algorithm>
#include <cmath>

TAudioRecord2::TAudioRecord2(QObject* parent) : QObject(parent), m_events(std::make_unique<QObject>()) {
    m_history.reset(m_channels);
    m_filters.setFormat(m_rate, m_channels);
}

TAudioRecord2::~TAudioRecord2() {
    stopWorker();
}

void TAudioRecord2::SetMixerFactory(AudioMixerFactory factory) {
    m_lines.setMixerFactory(std::move(factory));
}

// ---- devices and lines ----

int TAudioRecord2::GetDeviceCount() {
    return m_lines.refresh();
}

void TAudioRecord2::SelectDevice(int index) {
    // A running capture stays on the device it opened; the choice counts from the next start.
    m_lines.selectDevice(index);
}

int TAudioRecord2::IsDeviceValid() const {
    return m_lines.deviceValid() ? -1 : 0;
}

QString TAudioRecord2::GetDeviceName() const {
    return m_lines.deviceName();
}

int TAudioRecord2::GetLineCount() const {
    return m_lines.lineCount();
}

void TAudioRecord2::SelectLine(int index) {
    m_lines.selectLine(index);
}

int TAudioRecord2::IsLineValid() const {
    return m_lines.lineValid() ? -1 : 0;
}

QString TAudioRecord2::GetLineName() const {
    return m_lines.lineName();
}

int TAudioRecord2::GetLineVolume() const {
    return m_lines.volume();
}

void TAudioRecord2::SetLineVolume(int volume) {
    m_lines.setVolume(volume);
}

void TAudioRecord2::SetRecordSource(int flag) {
    if (flag) m_lines.setCaptureSource();
}

// ---- format and settings ----

void TAudioRecord2::SetFormat(int sampleRate, int channels) {
    if (!ValidDeviceFormat(sampleRate, channels))
        throw ComponentError(
            QStringLiteral("Unsupported capture format: %1 Hz, %2 channel(s)").arg(sampleRate).arg(channels));
    Stop();
    if (sampleRate != m_rate || channels != m_channels) m_pcm.reset();
    m_rate = sampleRate;
    m_channels = channels;
    {
        // A new stream: nothing of an earlier one (left by a hand-over that failed) goes into it.
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_finished.clear();
    }
    m_partial.clear();
    m_position.store(0);
    m_lost.store(0);
    m_history.reset(channels);
    m_filters.setFormat(sampleRate, channels);
}

int64_t TAudioRecord2::MsToSamples(int64_t ms) const {
    return ms * m_rate / 1000;
}

void TAudioRecord2::SetBlockSize(int samples) {
    m_blockFrames.store(std::max(1, samples));
}

void TAudioRecord2::SetTimerInterval(int ms) {
    m_timerMs.store(std::max(1, ms));
}

void TAudioRecord2::setFilters(const std::function<void(NoiseFilterSettings&)>& change) {
    std::lock_guard<std::mutex> lock(m_filterMutex);
    change(m_filterSettings);
    m_filterVersion.fetch_add(1);
}

void TAudioRecord2::SetFilterLowEnabled(int flag) {
    setFilters([flag](NoiseFilterSettings& s) { s.lowEnabled = flag != 0; });
}
void TAudioRecord2::SetFilterLowValue(float hz) {
    setFilters([hz](NoiseFilterSettings& s) { s.lowValue = hz; });
}
void TAudioRecord2::SetFilterHighEnabled(int flag) {
    setFilters([flag](NoiseFilterSettings& s) { s.highEnabled = flag != 0; });
}
void TAudioRecord2::SetFilterHighValue(float hz) {
    setFilters([hz](NoiseFilterSettings& s) { s.highValue = hz; });
}
void TAudioRecord2::SetFilterExtraEnabled(int flag) {
    setFilters([flag](NoiseFilterSettings& s) { s.extraEnabled = flag != 0; });
}
void TAudioRecord2::SetFilterExtraValue(float db) {
    setFilters([db](NoiseFilterSettings& s) { s.extraValue = db; });
}

// ---- running ----

void TAudioRecord2::Start() {
    if (m_thread.joinable()) {
        if (m_workerRunning.load()) return;
        Stop(); // the capture ended by itself (the device failed): hand over what it left
    }
    const AudioDeviceInfo* device = m_lines.device();
    if (!device) throw ComponentError(QStringLiteral("No capture device is selected"));
    // The device kept open since the last Stop goes on with its stream, unless it broke meanwhile
    // (pulled out, its sound server gone): then it is opened afresh, and one that is still gone
    // says so here, before anything is recorded.
    if (m_pcm && !m_pcm->stillUsable()) m_pcm.reset();
    if (!m_pcm || m_openPcm != device->pcmName) {
        m_pcm.reset();
        QString error;
        // Long periods (100 ms) and a 2 s buffer: a sound server's capture stream asks the
        // server for its period as latency, and a period shorter than the server's cycle makes
        // the server shorten its cycle as the stream starts, which drops a cycle of audio. The
        // worker still wakes every 25 ms, so blocks and levels come as steadily as before.
        const auto rate = static_cast<unsigned long>(m_rate);
        m_pcm = AlsaPcm::open(
            device->pcmName, true, static_cast<unsigned>(m_rate), static_cast<unsigned>(m_channels),
            AlsaPcm::Sizes{std::max(256ul, rate / 10), rate * 2, std::max(64ul, rate / 40)}, nullptr, &error);
        if (!m_pcm) throw ComponentError(error);
        m_openPcm = device->pcmName;
    }
    m_stopRequested.store(false);
    m_workerRunning.store(true);
    const uint64_t generation = m_generation.fetch_add(1) + 1;
    m_thread = std::thread([this, generation] {
        captureLoop(generation);
        m_workerRunning.store(false);
    });
}

void TAudioRecord2::stopWorker() {
    if (!m_thread.joinable()) return;
    {
        // Under the queue's lock: a worker about to wait for room in the queue cannot miss this
        // request (the user-interface thread, which makes the room, is held in the join below).
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_stopRequested.store(true);
    }
    m_queueSpace.notify_all();
    m_thread.join();
    m_generation.fetch_add(1); // what this run posted and is still on its way is void now
}

void TAudioRecord2::Stop() {
    if (!m_thread.joinable()) return;
    stopWorker();
    if (m_pcm) m_pcm->dropAndPrepare();
    // Hand over everything captured, the part-block last, so that a pause loses nothing.
    for (;;) {
        AudioBlock block;
        {
            std::lock_guard<std::mutex> lock(m_queueMutex);
            if (m_finished.empty()) break;
            block = std::move(m_finished.front());
            m_finished.pop_front();
        }
        deliver(std::move(block));
    }
    if (!m_partial.empty()) {
        AudioBlock tail(std::move(m_partial), m_channels);
        m_partial.clear();
        deliver(std::move(tail));
    }
}

AudioBlock TAudioRecord2::GetRecordedArray() {
    AudioBlock b = std::move(m_current);
    m_current = AudioBlock(std::vector<int16_t>(), m_channels);
    return b;
}

AudioBlock TAudioRecord2::GetDisplayArray(int count) const {
    return m_history.latest(count);
}

void TAudioRecord2::deliver(AudioBlock block) {
    // A stop inside the handler delivers nested blocks; a handler that throws (a failed write)
    // still leaves the outer block in place.
    struct Restore {
        AudioBlock& current;
        AudioBlock outer;
        ~Restore() { current = std::move(outer); }
    } restore{m_current, std::move(m_current)};
    m_current = std::move(block);
    Q_EMIT OnEndArrayRecord();
}

void TAudioRecord2::deliverNext(uint64_t generation) {
    if (generation != m_generation.load()) return;
    AudioBlock block;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (m_finished.empty()) return;
        block = std::move(m_finished.front());
        m_finished.pop_front();
    }
    m_queueSpace.notify_all();
    deliver(std::move(block));
}

void TAudioRecord2::endFailed(uint64_t generation, const QString& reason) {
    // Every block of the run was posted before this; a Stop since has handed over the rest.
    if (generation != m_generation.load()) return;
    Stop();
    Q_EMIT OnRecordFailed(reason);
}

void TAudioRecord2::captureLoop(uint64_t generation) {
    const unsigned long chunk = m_pcm->periodFrames();
    std::vector<int16_t> buffer(chunk * static_cast<unsigned long>(m_channels));
    int64_t sinceTick = 0;
    m_levels.reset();
    m_appliedFilterVersion = 0;
    m_partial.reserve(static_cast<std::size_t>(m_blockFrames.load()) * static_cast<std::size_t>(m_channels));
    while (!m_stopRequested.load()) {
        const long n = m_pcm->read(buffer.data(), chunk, 100);
        if (const int64_t lost = m_pcm->takeLostFrames()) {
            m_lost.fetch_add(lost);
            qWarning("Capture fell behind: about %lld frames lost", static_cast<long long>(lost));
        }
        if (n < 0) {
            // The device went away; a later Start opens it again.
            const QString reason = m_pcm->failure();
            m_pcm.reset();
            RunOnUiThread(m_events.get(), [this, generation, reason] { endFailed(generation, reason); });
            return;
        }
        if (n > 0) takeFrames(buffer.data(), static_cast<std::size_t>(n), generation, sinceTick);
    }
    // Stopping: what the device already holds belongs to the recording too.
    for (long left = m_pcm->held(), n; left > 0; left -= n) {
        n = m_pcm->readHeld(buffer.data(), std::min<unsigned long>(chunk, static_cast<unsigned long>(left)));
        if (n <= 0) break;
        takeFrames(buffer.data(), static_cast<std::size_t>(n), generation, sinceTick);
    }
}

void TAudioRecord2::takeFrames(int16_t* data, std::size_t frames, uint64_t generation, int64_t& sinceTick) {
    const int channels = m_channels;
    const std::size_t elements = frames * static_cast<std::size_t>(channels);
    const std::size_t blockElements =
        static_cast<std::size_t>(m_blockFrames.load()) * static_cast<std::size_t>(channels);

    const float gain = m_lines.softwareGain();
    if (gain != 1.0f)
        for (std::size_t i = 0; i < elements; ++i)
            data[i] = static_cast<int16_t>(std::lrint(data[i] * gain));
    if (m_filterVersion.load() != m_appliedFilterVersion) {
        std::lock_guard<std::mutex> lock(m_filterMutex);
        m_appliedFilterVersion = m_filterVersion.load();
        m_filters.apply(m_filterSettings);
    }
    m_filters.process(data, frames);
    m_history.append(data, frames);
    m_levels.add(data, frames, channels);
    m_position.fetch_add(static_cast<int64_t>(frames));

    std::size_t used = 0;
    while (used < elements) {
        const std::size_t take = std::min(elements - used, blockElements - m_partial.size());
        m_partial.insert(m_partial.end(), data + used, data + used + take);
        used += take;
        if (m_partial.size() < blockElements) break;
        AudioBlock block(std::move(m_partial), channels);
        m_partial = std::vector<int16_t>();
        m_partial.reserve(blockElements);
        {
            // When the user-interface thread falls behind (or the device runs faster than
            // real time) the capture waits rather than heaping up blocks.
            std::unique_lock<std::mutex> lock(m_queueMutex);
            m_queueSpace.wait(
                lock, [this] { return m_finished.size() < kMaxQueuedBlocks || m_stopRequested.load(); });
            m_finished.push_back(std::move(block));
        }
        RunOnUiThread(m_events.get(), [this, generation] { deliverNext(generation); });
    }

    sinceTick += static_cast<int64_t>(frames);
    const int64_t tickFrames = std::max<int64_t>(1, int64_t(m_timerMs.load()) * m_rate / 1000);
    if (sinceTick >= tickFrames) {
        sinceTick %= tickFrames;
        const int position = static_cast<int>(m_position.load());
        const int left = m_levels.leftPercent(), right = m_levels.rightPercent();
        m_levels.reset();
        RunOnUiThread(m_events.get(), [this, generation, position, left, right] {
            if (generation == m_generation.load()) Q_EMIT OnTimer(position, left, right);
        });
    }
}
