#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

typedef struct _snd_pcm snd_pcm_t;

// One capture or playback device as ALSA offers it.
struct AudioDeviceInfo {
    std::string pcmName;   // what snd_pcm_open takes ("default", "sysdefault:CARD=PCH", ...)
    QString displayName;   // what the user sees
    std::string mixerName; // the control device of its card ("hw:CARD=PCH"), empty when none is known
};

// The devices of one direction: the desktop's default device first, then every device the ALSA
// configuration announces for that direction (the "null" device is left out: it records silence
// and plays nothing). Only devices that open in that direction and take 16-bit samples are
// listed: each is tried once (the answers are kept for the process, a refusal for half a
// minute), so the many plugin entries of a desktop's configuration that lead nowhere (rate
// converters, JACK, OSS, up- and down-mixers without their server or card) stay out. The list
// is read afresh at each call.
std::vector<AudioDeviceInfo> ListAlsaDevices(bool capture);

// The formats capture and playback take: 8 to 192 kHz, 1 to 8 channels.
bool ValidDeviceFormat(int rate, int channels);

// ALSA writes its own diagnostics to stderr; the components report failures themselves, so those
// lines are silenced once per process.
void SilenceAlsaDiagnostics();

// An open PCM in interleaved signed 16-bit frames, non-blocking underneath: reads and writes wait
// at most the given time, so a worker thread can notice a stop request.
class AlsaPcm {
public:
    enum class OpenResult { Ok, NoDevice, BadFormat };

    ~AlsaPcm();
    AlsaPcm(const AlsaPcm&) = delete;
    AlsaPcm& operator=(const AlsaPcm&) = delete;

    // The sizes asked of the device, in frames: period and buffer are wishes (the device
    // decides); a read or write waits until `wake` frames can be moved (0: one period).
    struct Sizes {
        unsigned long period;
        unsigned long buffer;
        unsigned long wake = 0;
    };
    // On failure *error says why.
    static std::unique_ptr<AlsaPcm> open(const std::string& pcmName, bool capture, unsigned rate,
                                         unsigned channels, Sizes sizes, OpenResult* result, QString* error);

    unsigned long periodFrames() const { return m_period; }
    unsigned long bufferFrames() const { return m_buffer; }
    unsigned channels() const { return m_channels; }

    // Frames read (> 0), 0 when nothing arrived within timeoutMs, -1 on a failure that recovery
    // could not mend (failure() then says what it was). After an overrun the capture starts again at once;
    // takeLostFrames() then says how many frames the device dropped (an estimate from the time the reads
    // stayed away).
    long read(int16_t* buffer, unsigned long frames, int timeoutMs);
    // Frames a capture holds ready to read right now that the device captured since the last
    // read (a device that runs faster than real time holds a full buffer at any moment).
    long held();
    // Reads without waiting (at most `frames`, which held() said are there); 0 when nothing.
    long readHeld(int16_t* buffer, unsigned long frames);
    // Frames lost to overruns so far; taking the count resets it.
    int64_t takeLostFrames();
    // Frames written (>= 0, 0 when the device had no room within timeoutMs), -1 on a failure that
    // recovery could not mend.
    long write(const int16_t* buffer, unsigned long frames, int timeoutMs);
    // Frames handed over but not yet heard; 0 when the device cannot tell.
    long delay();
    // Starts a playback stream that holds data but has not reached its start threshold.
    void startIfPrepared();
    // Waits until the device has played everything it holds, then makes it ready to run again.
    void drain();
    // Drops what the device holds and makes it ready to run again.
    void dropAndPrepare();
    // Whether a stream left ready to run (by dropAndPrepare) can still run: false once the device
    // was pulled out or its sound server went away meanwhile.
    bool stillUsable();
    // After a read or write gave -1: why the device stopped, as a clause for a message ("the audio
    // device "default" stopped working (No such device)"); empty while it works.
    QString failure() const;

private:
    AlsaPcm() = default;
    long transfer(int timeoutMs, const std::function<long()>& move, const std::function<void()>& overrun);

    snd_pcm_t* m_pcm = nullptr;
    std::string m_name;
    unsigned long m_period = 0;
    unsigned long m_buffer = 0;
    unsigned m_rate = 0;
    unsigned m_channels = 0;
    bool m_capture = false;
    int m_xrunsInRow = 0; // overruns or underruns with no frame moved since the first of them
    int m_failure = 0;    // the error the device stopped with
    int64_t m_lost = 0;
    int64_t m_lastReadNs = 0;    // steady clock of the last read that brought frames
    int64_t m_heldAfterRead = 0; // what the capture still held after it
};
