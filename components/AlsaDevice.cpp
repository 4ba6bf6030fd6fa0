#include "components/AlsaDevice.h"

#include <QStringList>

#include <alsa/asoundlib.h>

#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

void quietHandler(const char*, int, const char*, int, const char*, ...) {}

QString describe(const char* desc, const std::string& pcm) {
    if (!desc || !*desc) return QString::fromStdString(pcm);
    const QStringList lines = QString::fromUtf8(desc).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList kept;
    for (const QString& l : lines)
        kept << l.trimmed();
    return kept.join(QStringLiteral(" - "));
}

// "sysdefault:CARD=PCH" -> "hw:CARD=PCH"; "hw:1,0" -> "hw:1"; "default" keeps its own control.
std::string mixerFor(const std::string& pcm) {
    if (pcm == "default") return "default";
    const auto card = pcm.find("CARD=");
    if (card != std::string::npos) {
        const auto end = pcm.find(',', card);
        return "hw:" + pcm.substr(card, end == std::string::npos ? std::string::npos : end - card);
    }
    for (const char* prefix : {"hw:", "plughw:"}) {
        const std::string p(prefix);
        if (pcm.compare(0, p.size(), p) == 0) {
            const std::string rest = pcm.substr(p.size());
            return "hw:" + rest.substr(0, rest.find(','));
        }
    }
    return {};
}

// Whether the device opens in that direction and takes 16-bit interleaved samples at a usual
// rate (converted where it must). A device busy with another program counts as one that opens.
bool probe(const std::string& pcm, bool capture) {
    snd_pcm_t* h = nullptr;
    int e = snd_pcm_open(&h, pcm.c_str(), capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK,
                         SND_PCM_NONBLOCK);
    if (e < 0) return e == -EBUSY;
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    unsigned rate = 44100, channels = 2;
    e = snd_pcm_hw_params_any(h, hw);
    if (e >= 0) snd_pcm_hw_params_set_rate_resample(h, hw, 1);
    if (e >= 0) e = snd_pcm_hw_params_set_access(h, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
    if (e >= 0) e = snd_pcm_hw_params_set_format(h, hw, SND_PCM_FORMAT_S16);
    if (e >= 0) e = snd_pcm_hw_params_set_channels_near(h, hw, &channels);
    if (e >= 0) e = snd_pcm_hw_params_set_rate_near(h, hw, &rate, nullptr);
    if (e >= 0) e = snd_pcm_hw_params(h, hw);
    snd_pcm_close(h);
    return e >= 0;
}

// The answers of probe(), kept for the process: a device that opened is not tried again, one
// that did not is tried again after a while (a sound server may have come up since). The key
// holds the configuration file in use, so a changed configuration starts afresh.
class ProbeCache {
public:
    std::vector<bool> opens(const std::vector<std::string>& names, bool capture) {
        const std::string config = qEnvironmentVariable("ALSA_CONFIG_PATH").toStdString();
        const auto now = std::chrono::steady_clock::now();
        std::vector<bool> result(names.size());
        std::vector<std::size_t> unknown;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (std::size_t i = 0; i < names.size(); ++i) {
                const auto it = m_answers.find(key(config, names[i], capture));
                if (it != m_answers.end() && (it->second.opens || now - it->second.when < kRetryAfter))
                    result[i] = it->second.opens;
                else
                    unknown.push_back(i);
            }
        }
        // Each try may wait for a server's answer: they run side by side, on the configuration
        // read once here.
        if (!unknown.empty()) snd_config_update();
        std::vector<std::thread> tries;
        std::vector<char> answers(names.size(), 0);
        for (std::size_t i : unknown)
            tries.emplace_back(
                [&answers, &names, i, capture] { answers[i] = probe(names[i], capture) ? 1 : 0; });
        for (std::thread& t : tries)
            t.join();
        std::lock_guard<std::mutex> lock(m_mutex);
        for (std::size_t i : unknown) {
            result[i] = answers[i] != 0;
            m_answers[key(config, names[i], capture)] = Answer{result[i], now};
        }
        return result;
    }

private:
    static constexpr std::chrono::seconds kRetryAfter{30};
    struct Answer {
        bool opens;
        std::chrono::steady_clock::time_point when;
    };
    static std::string key(const std::string& config, const std::string& name, bool capture) {
        return config + '\n' + name + (capture ? "\nc" : "\np");
    }
    std::mutex m_mutex;
    std::map<std::string, Answer> m_answers;
};

ProbeCache& probeCache() {
    static ProbeCache cache;
    return cache;
}

int64_t steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void SilenceAlsaDiagnostics() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(quietHandler); });
}

std::vector<AudioDeviceInfo> ListAlsaDevices(bool capture) {
    SilenceAlsaDiagnostics();
    std::vector<AudioDeviceInfo> devices;
    bool haveDefault = false;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) == 0 && hints) {
        for (void** h = hints; *h; ++h) {
            char* name = snd_device_name_get_hint(*h, "NAME");
            char* desc = snd_device_name_get_hint(*h, "DESC");
            char* ioid = snd_device_name_get_hint(*h, "IOID");
            const bool wanted = !ioid || std::string(ioid) == (capture ? "Input" : "Output");
            if (name && wanted && std::string(name) != "null") {
                AudioDeviceInfo info{name, describe(desc, name), mixerFor(name)};
                if (info.pcmName == "default") {
                    devices.insert(devices.begin(), info);
                    haveDefault = true;
                } else {
                    devices.push_back(info);
                }
            }
            free(name);
            free(desc);
            free(ioid);
        }
        snd_device_name_free_hint(hints);
    }
    if (!haveDefault)
        devices.insert(devices.begin(), AudioDeviceInfo{"default", QStringLiteral("Default"), "default"});
    std::vector<std::string> names;
    for (const AudioDeviceInfo& d : devices)
        names.push_back(d.pcmName);
    const std::vector<bool> opens = probeCache().opens(names, capture);
    std::vector<AudioDeviceInfo> usable;
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (opens[i]) usable.push_back(std::move(devices[i]));
    return usable;
}

AlsaPcm::~AlsaPcm() {
    if (m_pcm) {
        snd_pcm_drop(m_pcm);
        snd_pcm_close(m_pcm);
    }
}

std::unique_ptr<AlsaPcm> AlsaPcm::open(const std::string& pcmName, bool capture, unsigned rate,
                                       unsigned channels, Sizes sizes, OpenResult* result, QString* error) {
    SilenceAlsaDiagnostics();
    auto fail = [&](OpenResult r, const QString& text) -> std::unique_ptr<AlsaPcm> {
        if (result) *result = r;
        if (error) *error = text;
        return nullptr;
    };
    std::unique_ptr<AlsaPcm> pcm(new AlsaPcm);
    pcm->m_capture = capture;
    pcm->m_name = pcmName;
    pcm->m_channels = channels;
    pcm->m_rate = rate;
    int e = snd_pcm_open(&pcm->m_pcm, pcmName.c_str(),
                         capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (e < 0) {
        pcm->m_pcm = nullptr;
        return fail(OpenResult::NoDevice,
                    QStringLiteral("Unable to open the audio device \"%1\": %2")
                        .arg(QString::fromStdString(pcmName), QString::fromUtf8(snd_strerror(e))));
    }
    snd_pcm_t* h = pcm->m_pcm;
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    const QString formatText = QStringLiteral("%1 Hz, %2 channel(s), 16 bit").arg(rate).arg(channels);
    auto badFormat = [&](int code) {
        return fail(OpenResult::BadFormat, QStringLiteral("The audio device \"%1\" does not take %2: %3")
                                               .arg(QString::fromStdString(pcmName), formatText,
                                                    QString::fromUtf8(snd_strerror(code))));
    };
    if ((e = snd_pcm_hw_params_any(h, hw)) < 0) return badFormat(e);
    snd_pcm_hw_params_set_rate_resample(h, hw, 1);
    if ((e = snd_pcm_hw_params_set_access(h, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0) return badFormat(e);
    if ((e = snd_pcm_hw_params_set_format(h, hw, SND_PCM_FORMAT_S16)) < 0) return badFormat(e);
    if ((e = snd_pcm_hw_params_set_channels(h, hw, channels)) < 0) return badFormat(e);
    if ((e = snd_pcm_hw_params_set_rate(h, hw, rate, 0)) < 0) return badFormat(e);
    snd_pcm_uframes_t period = sizes.period;
    snd_pcm_uframes_t buffer = sizes.buffer;
    int dir = 0;
    snd_pcm_hw_params_set_period_size_near(h, hw, &period, &dir);
    snd_pcm_hw_params_set_buffer_size_near(h, hw, &buffer);
    if ((e = snd_pcm_hw_params(h, hw)) < 0) return badFormat(e);
    snd_pcm_hw_params_get_period_size(hw, &period, &dir);
    snd_pcm_hw_params_get_buffer_size(hw, &buffer);
    pcm->m_period = period ? period : sizes.period;
    pcm->m_buffer = buffer ? buffer : sizes.buffer;
    const snd_pcm_uframes_t wake =
        sizes.wake ? std::min<snd_pcm_uframes_t>(sizes.wake, pcm->m_period) : pcm->m_period;

    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    if (snd_pcm_sw_params_current(h, sw) == 0) {
        snd_pcm_sw_params_set_avail_min(h, sw, wake);
        // Capture runs from the first read; playback once half the buffer is filled (the drain at
        // the end starts a stream that never got that far).
        snd_pcm_sw_params_set_start_threshold(h, sw,
                                              capture ? 1 : std::max<snd_pcm_uframes_t>(1, buffer / 2));
        snd_pcm_sw_params(h, sw);
    }
    if ((e = snd_pcm_prepare(h)) < 0) return badFormat(e);
    if (result) *result = OpenResult::Ok;
    return pcm;
}

// Overruns or underruns in a row, with not one frame moved between them, after which the device
// counts as stopped: an ordinary overrun or underrun is mended by one restart, while a stream whose
// sound server has gone (or whose pipe has lost its reader) reports the next one at once after
// every restart, for ever.
constexpr int kXrunsWithoutProgress = 4;

// One read or write with the device's recovery rules: wait once when it has nothing to give or
// take, restart after an overrun or underrun, and give up (-1) when the device cannot recover:
// an error that no restart mends (-ENODEV of a device pulled out, -EIO, -EBADFD, the error a wait
// reports), or overruns and underruns that come back at once. `overrun` is called when a capture
// overran.
long AlsaPcm::transfer(int timeoutMs, const std::function<long()>& move,
                       const std::function<void()>& overrun) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        long n = move();
        if (n > 0) {
            m_xrunsInRow = 0;
            return n;
        }
        if (n == 0 || n == -EAGAIN) {
            if (attempt > 0) return 0;
            const int waited = snd_pcm_wait(m_pcm, timeoutMs);
            if (waited >= 0) continue;
            n = waited; // what went wrong while waiting is mended (or not) as the transfer's own failure
        }
        if (n == -EPIPE || n == -ESTRPIPE) {
            if (++m_xrunsInRow >= kXrunsWithoutProgress) {
                m_failure = static_cast<int>(n);
                return -1;
            }
            if (m_capture && n == -EPIPE) overrun();
        }
        if (snd_pcm_recover(m_pcm, static_cast<int>(n), 1) < 0) {
            m_failure = static_cast<int>(n);
            return -1;
        }
        if (m_capture && snd_pcm_state(m_pcm) == SND_PCM_STATE_PREPARED) snd_pcm_start(m_pcm);
    }
    return 0;
}

QString AlsaPcm::failure() const {
    if (m_failure == 0) return {};
    const QString why = m_failure == -EPIPE || m_failure == -ESTRPIPE
                            ? QStringLiteral("its stream broke off and does not start again")
                            : QString::fromUtf8(snd_strerror(m_failure));
    return QStringLiteral("the audio device \"%1\" stopped working (%2)")
        .arg(QString::fromStdString(m_name), why);
}

long AlsaPcm::read(int16_t* buffer, unsigned long frames, int timeoutMs) {
    if (m_lastReadNs == 0) {
        m_lastReadNs = steadyNs();
        m_heldAfterRead = 0;
    }
    auto framesSinceRead = [this] {
        return (steadyNs() - m_lastReadNs) * static_cast<int64_t>(m_rate) / 1000000000;
    };
    // A full buffer means the device has had to drop what came on top (some server plugins do
    // that without reporting an overrun): what arrived since the last read and is not held.
    const snd_pcm_sframes_t ready = snd_pcm_avail_update(m_pcm);
    if (ready >= static_cast<snd_pcm_sframes_t>(m_buffer)) {
        const int64_t dropped = framesSinceRead() - (ready - m_heldAfterRead);
        if (dropped > static_cast<int64_t>(m_period)) m_lost += dropped;
    }
    const long n = transfer(
        timeoutMs, [&] { return static_cast<long>(snd_pcm_readi(m_pcm, buffer, frames)); },
        [&] {
            // Restarting drops what the buffer held too: everything since the last read is lost.
            m_lost += std::max<int64_t>(1, framesSinceRead());
            m_heldAfterRead = 0;
        });
    if (n > 0) {
        m_lastReadNs = steadyNs();
        const snd_pcm_sframes_t left = snd_pcm_avail_update(m_pcm);
        m_heldAfterRead = left > 0 ? left : 0;
    }
    return n;
}

long AlsaPcm::held() {
    const snd_pcm_sframes_t n = snd_pcm_avail(m_pcm);
    if (n <= 0 || m_lastReadNs == 0) return 0;
    const int64_t sinceRead = (steadyNs() - m_lastReadNs) * static_cast<int64_t>(m_rate) / 1000000000;
    return static_cast<long>(std::min<int64_t>(n, sinceRead));
}

long AlsaPcm::readHeld(int16_t* buffer, unsigned long frames) {
    const snd_pcm_sframes_t n = snd_pcm_readi(m_pcm, buffer, frames);
    return n > 0 ? static_cast<long>(n) : 0;
}

int64_t AlsaPcm::takeLostFrames() {
    const int64_t lost = m_lost;
    m_lost = 0;
    return lost;
}

long AlsaPcm::write(const int16_t* buffer, unsigned long frames, int timeoutMs) {
    return transfer(
        timeoutMs, [&] { return static_cast<long>(snd_pcm_writei(m_pcm, buffer, frames)); }, [] {});
}

long AlsaPcm::delay() {
    snd_pcm_sframes_t d = 0;
    if (snd_pcm_delay(m_pcm, &d) < 0 || d < 0) return 0;
    return static_cast<long>(d);
}

void AlsaPcm::startIfPrepared() {
    if (snd_pcm_state(m_pcm) == SND_PCM_STATE_PREPARED) snd_pcm_start(m_pcm);
}

void AlsaPcm::drain() {
    snd_pcm_nonblock(m_pcm, 0);
    snd_pcm_drain(m_pcm);
    snd_pcm_nonblock(m_pcm, 1);
    snd_pcm_prepare(m_pcm);
}

void AlsaPcm::dropAndPrepare() {
    snd_pcm_drop(m_pcm);
    snd_pcm_prepare(m_pcm);
    m_lastReadNs = 0;
}

bool AlsaPcm::stillUsable() {
    // A sound server's stream that lost its server reads as overrun once asked for what it holds
    // (its state is brought up to date only then); a device pulled out reads as disconnected. The
    // stream is not prepared a second time: that would drop what a file-fed capture has read ahead,
    // and a new file started at the time limit must go on without a gap.
    if (snd_pcm_avail(m_pcm) < 0) return false;
    return snd_pcm_state(m_pcm) == SND_PCM_STATE_PREPARED;
}

bool ValidDeviceFormat(int rate, int channels) {
    return rate >= 8000 && rate <= 192000 && channels >= 1 && channels <= 8;
}
