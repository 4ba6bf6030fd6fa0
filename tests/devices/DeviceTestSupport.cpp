#include "DeviceTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <alsa/asoundlib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace devtest {

AlsaSandbox::AlsaSandbox() {
    useConfig(QString());
}

void AlsaSandbox::useConfig(const QString& text) {
    const QString file = path(QStringLiteral("asound.conf"));
    QFile f(file);
    // The file devices stand on ALSA's "null" device, which a configuration of our own must name.
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write("pcm.null { type null }\n" + text.toUtf8() + "\n");
    f.close();
    qputenv("ALSA_CONFIG_PATH", file.toUtf8());
    snd_config_update_free_global();
}

QString AlsaSandbox::captureDevice(const QString& name, const QString& rawFile, const QString& description) {
    // The device opens only when its input exists (devices that do not open are not listed).
    if (!QFile::exists(rawFile)) writeRaw(rawFile, {});
    return QStringLiteral(
               "pcm.%1 {\n type file\n slave.pcm null\n file \"/dev/null\"\n infile \"%2\"\n format \"raw\"\n"
               " hint { show on description \"%3\" }\n}\n")
        .arg(name, rawFile, description);
}

QString AlsaSandbox::playbackDevice(const QString& name, const QString& rawFile, const QString& description) {
    return QStringLiteral("pcm.%1 {\n type file\n slave.pcm null\n file \"%2\"\n format \"raw\"\n"
                          " hint { show on description \"%3\" }\n}\n")
        .arg(name, rawFile, description);
}

std::vector<int16_t> sine(int rate, int channels, double seconds, const std::vector<double>& freqs,
                          const std::vector<double>& amplitudes) {
    const std::size_t frames = static_cast<std::size_t>(rate * seconds);
    std::vector<int16_t> out(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const double f = freqs[static_cast<std::size_t>(c) % freqs.size()];
            const double a = amplitudes[static_cast<std::size_t>(c) % amplitudes.size()];
            out[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] = static_cast<int16_t>(
                std::lrint(a * 32767.0 * std::sin(2.0 * M_PI * f * static_cast<double>(i) / rate)));
        }
    return out;
}

void writeRaw(const QString& file, const std::vector<int16_t>& samples) {
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    f.write(reinterpret_cast<const char*>(samples.data()),
            static_cast<qint64>(samples.size() * sizeof(int16_t)));
}

std::vector<int16_t> readRaw(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = f.readAll();
    std::vector<int16_t> out(static_cast<std::size_t>(data.size()) / sizeof(int16_t));
    std::memcpy(out.data(), data.constData(), out.size() * sizeof(int16_t));
    return out;
}

double rms(const std::vector<int16_t>& samples, int channels, int channel, std::size_t from) {
    double sum = 0.0;
    std::size_t n = 0;
    for (std::size_t i = from * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel);
         i < samples.size(); i += static_cast<std::size_t>(channels), ++n)
        sum += static_cast<double>(samples[i]) * samples[i];
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

bool waitFor(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace devtest
