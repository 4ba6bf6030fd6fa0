// Time and peak memory of opening, measuring and reading audio files that hold far less audio than
// their size or header suggests: ten seconds of audio followed by a 4 GB run of zeros (sparse
// files, so they take no disk space), and a WAV whose header claims 4 GB of data it does not hold.
//
// Prints one `name=value` line per figure:
//   <case>_info_ms       TAudioInformation2.SetFileName
//   <case>_open_ms       TAudioFile2.OpenRead
//   <case>_read_ms       OpenRead and ReadArray to the end of the stream
//   <case>_peak_rss_mb   peak memory of the process doing all three
//   <case>_length        the length reported (frames; the audio holds 441000) and the format
// Each case runs in a child process of its own, stopped after 120 s ("timeout").
//
// Usage: hostile_file_bench [work folder]   (default: a temporary folder, removed afterwards)
#include "components/ComponentError.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kRate = 44100;
constexpr int64_t kFrames = kRate * 10;
constexpr int64_t kZeros = int64_t(4) << 30;

double msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void writeTone(const QString& path, void (*format)(TAudioFile2&)) {
    TAudioFile2LameEnc lame;
    lame.SetConstantBitRate(-1);
    TAudioFile2 af;
    af.SetLameEncoder(&lame);
    format(af);
    af.CreateWrite(path, 0);
    std::vector<int16_t> pcm(std::size_t(kFrames) * 2);
    for (int64_t i = 0; i < kFrames; ++i)
        pcm[std::size_t(2 * i)] = pcm[std::size_t(2 * i + 1)] =
            int16_t(std::lround(16000 * std::sin(2 * M_PI * 440.0 * double(i) / kRate)));
    af.WriteArray(AudioBlock(std::move(pcm), 2));
    af.Close();
}

bool appendZeros(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.resize(f.size() + kZeros);
}

// Runs the three operations on `path` in a child and prints its figures.
void measure(const char* name, const QString& path) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        std::string out;
        auto t0 = std::chrono::steady_clock::now();
        try {
            TAudioInformation2 ai;
            ai.SetFileName(path);
            out += std::string(name) + "_info_ms=" + std::to_string(msSince(t0)) + "\n";
            out += std::string(name) + "_length=" + std::to_string(ai.GetLength()) + " (" +
                   ai.GetFormatString().toStdString() + ")\n";
        } catch (const ComponentError& e) {
            out += std::string(name) + "_info_ms=" + std::to_string(msSince(t0)) +
                   " (refused: " + e.message().toStdString() + ")\n";
        }
        (void)!write(fds[1], out.data(), out.size());
        out.clear();
        TAudioFile2 af;
        t0 = std::chrono::steady_clock::now();
        af.OpenRead(path, 0, 1);
        out += std::string(name) + "_open_ms=" + std::to_string(msSince(t0)) + "\n";
        (void)!write(fds[1], out.data(), out.size());
        out.clear();
        int64_t frames = 0;
        for (;;) {
            AudioBlock b = af.ReadArray(kRate);
            if (b.upperBound() < 0) break;
            frames += int64_t(b.samples.size()) / 2;
        }
        out += std::string(name) + "_read_ms=" + std::to_string(msSince(t0)) + " (" + std::to_string(frames) +
               " frames)\n";
        (void)!write(fds[1], out.data(), out.size());
        _exit(0);
    }
    close(fds[1]);
    auto t0 = std::chrono::steady_clock::now();
    std::string text;
    bool timedOut = false;
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        int left = 120000 - int(msSince(t0));
        if (left <= 0) {
            timedOut = true;
            break;
        }
        if (poll(&p, 1, left) <= 0) continue;
        char buf[512];
        ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        text.append(buf, std::size_t(n));
    }
    if (timedOut) kill(child, SIGKILL);
    close(fds[0]);
    int status = 0;
    rusage ru{};
    wait4(child, &status, 0, &ru);
    std::printf("%s", text.c_str());
    if (timedOut) std::printf("%s_timeout=after 120 s\n", name);
    std::printf("%s_peak_rss_mb=%ld\n", name, ru.ru_maxrss / 1024);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir tmp;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    QDir().mkpath(dir);
    struct Case {
        const char* name;
        void (*format)(TAudioFile2&);
        const char* ext;
    };
    const Case cases[] = {
        {"mp3_zeros", [](TAudioFile2& af) { af.SetMp3Format(kRate, 128, 2); }, "mp3"},
        {"wav_zeros", [](TAudioFile2& af) { af.SetWavFormat(kRate, 2, 16); }, "wav"},
        {"ogg_zeros", [](TAudioFile2& af) { af.SetOggFormat(kRate, 2, 128, 0, 0, 599); }, "ogg"},
        {"wma_zeros", [](TAudioFile2& af) { af.SetWmaFormat(15); }, "wma"},
    };
    for (const Case& c : cases) {
        const QString path = dir + QStringLiteral("/%1.%2").arg(QString::fromLatin1(c.name), c.ext);
        writeTone(path, c.format);
        if (!appendZeros(path)) return 1;
        measure(c.name, path);
        QFile::remove(path);
    }
    // A WAV whose data size says 0xFFFFFFFF bytes.
    const QString claim = dir + QStringLiteral("/wav_claims_4gb.wav");
    writeTone(claim, [](TAudioFile2& af) { af.SetWavFormat(kRate, 2, 16); });
    QFile f(claim);
    if (!f.open(QIODevice::ReadWrite) || !f.seek(40) || f.write("\xff\xff\xff\xff", 4) != 4) return 1;
    f.close();
    measure("wav_claims_4gb", claim);
    QFile::remove(claim);
    return 0;
}
