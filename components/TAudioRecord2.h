#pragma once

#include "components/AlsaDevice.h"
#include "components/AudioBlock.h"
#include "components/AudioMixer.h"
#include "components/AudioTap.h"
#include "components/DeviceLines.h"
#include "components/NoiseFilters.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Capture from an ALSA device, block by block. The format is (sample rate, channels) in 16-bit
// samples; sizes and positions count sample frames. Capture runs on a worker thread; the events
// are raised on the thread that created the object (the user-interface thread), in order:
// OnEndArrayRecord once per finished block (GetRecordedArray inside it hands the block over) and
// OnTimer every timer interval of captured audio with the position and the two peak levels.
// Stop then Start pauses and resumes into the same stream: the device stays open, Stop hands over
// everything captured so far (the last part-block included) before it returns.
// A device that stops working while capturing (pulled out, its sound server gone, a failure no
// restart mends) ends the capture: everything captured up to then is handed over as at a Stop,
// then OnRecordFailed says why; a later Start opens the device afresh.
class TAudioRecord2 : public QObject {
    Q_OBJECT

public:
    explicit TAudioRecord2(QObject* parent = nullptr);
    ~TAudioRecord2() override;
    TAudioRecord2(const TAudioRecord2&) = delete;
    TAudioRecord2& operator=(const TAudioRecord2&) = delete;

    // Devices: indexes 0..count-1; any other index is simply an invalid device.
    int GetDeviceCount();
    void SelectDevice(int index);
    int IsDeviceValid() const;
    QString GetDeviceName() const;

    // Lines of the selected device (its capture mixer elements, or one "Capture" line).
    int GetLineCount() const;
    void SelectLine(int index);
    int IsLineValid() const;
    QString GetLineName() const;
    int GetLineVolume() const;
    void SetLineVolume(int volume);
    void SetRecordSource(int flag);

    void SetFormat(int sampleRate, int channels);
    int64_t MsToSamples(int64_t ms) const;
    void SetBlockSize(int samples);
    void SetTimerInterval(int ms);

    void SetFilterLowEnabled(int flag);
    void SetFilterLowValue(float hz);
    void SetFilterHighEnabled(int flag);
    void SetFilterHighValue(float hz);
    void SetFilterExtraEnabled(int flag);
    void SetFilterExtraValue(float dbBelowFullScale);

    void Start();
    void Stop();

    // Inside OnEndArrayRecord: the block just finished (an empty block anywhere else).
    AudioBlock GetRecordedArray();
    // The most recent `count` samples (elements) captured.
    AudioBlock GetDisplayArray(int count) const;

    // Frames the device lost since SetFormat because the capture did not keep up (an overrun);
    // 0 when nothing was lost. Each loss is also logged as a warning.
    int64_t GetLostSamples() const { return m_lost.load(); }

    // Where the mixers come from (ALSA by default; tests hand in a fake).
    void SetMixerFactory(AudioMixerFactory factory);

Q_SIGNALS:
    void OnEndArrayRecord();
    void OnTimer(int CurrentSamples, int LevelLeft, int LevelRight);
    // The capture ended because the device stopped working; Reason is a clause for a message
    // ("the audio device "default" stopped working (No such device)").
    void OnRecordFailed(const QString& Reason);

private:
    static constexpr std::size_t kMaxQueuedBlocks = 32;

    void setFilters(const std::function<void(NoiseFilterSettings&)>& change);
    void captureLoop(uint64_t generation);
    void takeFrames(int16_t* data, std::size_t frames, uint64_t generation, int64_t& sinceTick);
    void deliverNext(uint64_t generation);
    void endFailed(uint64_t generation, const QString& reason);
    void deliver(AudioBlock block);
    void stopWorker();

    std::unique_ptr<QObject> m_events;
    DeviceLines m_lines{true, -1};

    int m_rate = 44100;
    int m_channels = 2;
    std::atomic<int> m_blockFrames{17640};
    std::atomic<int> m_timerMs{50};

    std::mutex m_filterMutex;
    NoiseFilterSettings m_filterSettings;
    std::atomic<uint64_t> m_filterVersion{1};
    NoiseFilters m_filters;              // the worker's
    uint64_t m_appliedFilterVersion = 0; // the worker's

    std::unique_ptr<AlsaPcm> m_pcm;
    std::string m_openPcm;
    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_workerRunning{false};
    std::atomic<uint64_t> m_generation{0};
    std::atomic<int64_t> m_position{0};
    std::atomic<int64_t> m_lost{0};

    std::mutex m_queueMutex;
    std::condition_variable m_queueSpace;
    std::deque<AudioBlock> m_finished;
    std::vector<int16_t> m_partial; // the worker's while it runs, ours after Stop
    AudioBlock m_current;

    SampleHistory m_history;
    PeakLevels m_levels; // the worker's
};
