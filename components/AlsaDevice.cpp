#include "components/AlsaDevice.h"

#include <QStringList>

#include <alsa/asoundlib.h>

#include <cerrno>
#include <mutex>

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

bool canOpen(const std::string& pcm, bool capture) {
    snd_pcm_t* h = nullptr;
    const int e = snd_pcm_open(&h, pcm.c_str(), capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK,
                               SND_PCM_NONBLOCK);
    if (e < 0) return e == -EBUSY; // a busy device exists all the same
    snd_pcm_close(h);
    return true;
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
    if (!haveDefault && canOpen("default", capture))
        devices.insert(devices.begin(), AudioDeviceInfo{"default", QStringLiteral("Default"), "default"});
    return devices;
}

AlsaPcm::~AlsaPcm() {
    if (m_pcm) {
        snd_pcm_drop(m_pcm);
        snd_pcm_close(m_pcm);
    }
}

std::unique_ptr<AlsaPcm> AlsaPcm::open(const std::string& pcmName, bool capture, unsigned rate,
                                       unsigned channels, unsigned long periodFrames,
                                       unsigned long bufferFrames, OpenResult* result, QString* error) {
    SilenceAlsaDiagnostics();
    auto fail = [&](OpenResult r, const QString& text) -> std::unique_ptr<AlsaPcm> {
        if (result) *result = r;
        if (error) *error = text;
        return nullptr;
    };
    std::unique_ptr<AlsaPcm> pcm(new AlsaPcm);
    pcm->m_capture = capture;
    pcm->m_channels = channels;
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
    snd_pcm_uframes_t period = periodFrames;
    snd_pcm_uframes_t buffer = bufferFrames;
    int dir = 0;
    snd_pcm_hw_params_set_period_size_near(h, hw, &period, &dir);
    snd_pcm_hw_params_set_buffer_size_near(h, hw, &buffer);
    if ((e = snd_pcm_hw_params(h, hw)) < 0) return badFormat(e);
    snd_pcm_hw_params_get_period_size(hw, &period, &dir);
    snd_pcm_hw_params_get_buffer_size(hw, &buffer);
    pcm->m_period = period ? period : periodFrames;

    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    if (snd_pcm_sw_params_current(h, sw) == 0) {
        snd_pcm_sw_params_set_avail_min(h, sw, pcm->m_period);
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

// One read or write with the device's recovery rules: wait once when it has nothing to give or
// take, restart after an overrun or underrun, and give up (-1) when the device cannot recover.
template <class Transfer>
static long transferFrames(snd_pcm_t* pcm, int timeoutMs, bool startAfterRecover, Transfer transfer) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const snd_pcm_sframes_t n = transfer();
        if (n > 0) return n;
        if (n == 0 || n == -EAGAIN) {
            if (attempt == 0 && snd_pcm_wait(pcm, timeoutMs) >= 0) continue;
            if (attempt == 0 && snd_pcm_state(pcm) == SND_PCM_STATE_XRUN) {
                snd_pcm_prepare(pcm);
                continue;
            }
            return 0;
        }
        if (snd_pcm_recover(pcm, static_cast<int>(n), 1) < 0) return -1;
        if (startAfterRecover && snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED) snd_pcm_start(pcm);
    }
    return 0;
}

long AlsaPcm::read(int16_t* buffer, unsigned long frames, int timeoutMs) {
    return transferFrames(m_pcm, timeoutMs, true, [&] { return snd_pcm_readi(m_pcm, buffer, frames); });
}

long AlsaPcm::write(const int16_t* buffer, unsigned long frames, int timeoutMs) {
    return transferFrames(m_pcm, timeoutMs, false, [&] { return snd_pcm_writei(m_pcm, buffer, frames); });
}

long AlsaPcm::delay() {
    snd_pcm_sframes_t d = 0;
    if (snd_pcm_delay(m_pcm, &d) < 0 || d < 0) return 0;
    return static_cast<long>(d);
}

void AlsaPcm::startIfPrepared() {
    if (snd_pcm_state(m_pcm) == SND_PCM_STATE_PREPARED) snd_pcm_start(m_pcm);
}

void AlsaPcm::dropAndPrepare() {
    snd_pcm_drop(m_pcm);
    snd_pcm_prepare(m_pcm);
}
