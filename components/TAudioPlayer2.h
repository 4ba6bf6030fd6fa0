#pragma once

#include "components/AlsaDevice.h"
#include "components/AudioBlock.h"
#include "components/AudioMixer.h"
#include "components/AudioTap.h"
#include "components/DeviceLines.h"
#include "components/Equalizer.h"

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

// Playback of blocks through an ALSA device. The format is (sample rate, channels) in 16-bit
// samples, 44.1 kHz stereo until SetFormat says otherwise; positions count sample frames.
// Play opens the device and asks for two blocks (OnRequestOnLoadArray); each block written to the
// device raises OnEndArrayPlay, which the caller answers with the next block. When every handler
// has run and no block is left, the caller has stopped feeding: the device plays out what it holds
// and OnEndPlay follows. OnTimer reports the played position and the peak levels every timer
// interval of played audio. All events come on the thread that created the object; none comes
// after Stop. A device that stops working while playing (its sound server gone, a pipe without
// reader, a failure no restart mends) ends the playback: OnEndPlay comes, and then the component
// error that says why reaches the application's error handler, once.
class TAudioPlayer2 : public QObject {
    Q_OBJECT

public:
    enum Error { NoError = 0, ErrorNoDevice = 1, ErrorFormat = 2 };

    explicit TAudioPlayer2(QObject* parent = nullptr);
    ~TAudioPlayer2() override;
    TAudioPlayer2(const TAudioPlayer2&) = delete;
    TAudioPlayer2& operator=(const TAudioPlayer2&) = delete;

    void Play();
    void Stop();
    void LoadArray(const AudioBlock& block);
    void ClearQueue();
    void SetFormat(int sampleRate, int channels);
    int64_t MsToSamples(int64_t ms) const;
    int64_t SamplesToMs(int64_t samples) const;
    // 12 gains in dB: bands 1..11 (31 Hz .. 16 kHz), then the preamp.
    void SetEqualizer(const std::vector<float>& gains);
    void SetEqualizerEnabled(int flag);
    AudioBlock GetDisplayArray(int count) const;
    unsigned GetPlayedSamples() const;
    void SetTimerInterval(int ms);
    int GetLastError() const { return m_lastError; }
    // Why the last Play could not start, as a sentence for the user; empty when it started.
    QString GetLastErrorText() const { return m_lastErrorText; }

    int GetDeviceCount();
    int GetDevice() const { return m_lines.selectedDevice(); }
    void SetDevice(int index);

    int GetMixerLineCount();
    void SelectMixerLine(int index);
    int IsPlaybackLine() const;
    int GetVolume() const;
    void SetVolume(int volume);
    void SetMute(int flag);

    // Where the mixers come from (ALSA by default; tests hand in a fake).
    void SetMixerFactory(AudioMixerFactory factory);

Q_SIGNALS:
    void OnEndArrayPlay();
    void OnRequestOnLoadArray();
    void OnEndPlay();
    void OnTimer(int CurrentSamples, int LevelLeft, int LevelRight);

private:
    void playLoop(uint64_t generation);
    void writeBlock(const AudioBlock& block, uint64_t generation, int64_t& sinceTick);
    bool drain();
    void post(uint64_t generation, std::function<void()> fn);
    void postEnd(uint64_t generation);
    void fail();
    void checkDry(uint64_t generation, uint64_t episode);
    void updatePlayed();

    std::unique_ptr<QObject> m_events;
    DeviceLines m_lines{false, 0};

    int m_rate = 44100;
    int m_channels = 2;
    std::atomic<int> m_timerMs{50};
    int m_lastError = NoError;
    QString m_lastErrorText;

    std::mutex m_eqMutex;
    std::vector<float> m_eqGains;
    bool m_eqEnabled = true;
    std::atomic<uint64_t> m_eqVersion{1};
    Equalizer m_equalizer; // the worker's

    std::unique_ptr<AlsaPcm> m_pcm;
    QString m_failure; // the worker's: why the device stopped, empty while it works
    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<uint64_t> m_generation{0};

    std::mutex m_queueMutex;
    std::condition_variable m_queueChanged;
    std::deque<AudioBlock> m_queue;
    uint64_t m_dryEpisode = 0;   // raised each time the worker finds the queue empty
    uint64_t m_waitingDry = 0;   // the episode the worker is waiting in, 0 while it plays
    bool m_endConfirmed = false; // every handler ran and none fed: play out and end

    std::atomic<int64_t> m_written{0};
    std::atomic<int64_t> m_played{0};
    SampleHistory m_history;
    PeakLevels m_levels; // the worker's
};
