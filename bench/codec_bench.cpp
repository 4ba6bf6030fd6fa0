// Encoding and decoding speed of the audio-file layer against the reference command-line tools on
// the same settings, and the peak memory of a long WAV-to-MP3 conversion.
//
// Prints one `name=value` line per figure:
//   mp3_cbr128_ratio   our throughput / `lame --cbr -b 128`
//   ogg_q6_ratio       our throughput / `oggenc -q 6`
//   wma_128_ratio      our throughput / `ffmpeg -c:a wmav2 -b:a 128k`
//   mp3_decode_ratio   our throughput / `ffmpeg -i x.mp3 -f null -`
//   peak_rss_mb_30min_wav_to_mp3   peak memory (MB) of a process converting a 30-minute WAV
//   peak_rss_mb_1min_wav_to_mp3    the same for one minute (the libraries' own share)
//   mp3_info_ms_30min  time TAudioInformation2.SetFileName takes on the 30-minute MP3
// A ratio of 1 means as fast as the reference tool. The reference tools come from the Debian
// packages lame, vorbis-tools and ffmpeg; a missing tool gives "unavailable".
//
// Usage: codec_bench [work folder]   (default: a temporary folder, removed afterwards)
//        codec_bench --convert <in.wav> <out.mp3>   (the conversion run in a child process)
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kRate = 44100;
constexpr int kBlockFrames = kRate * 4 / 10; // the recorder's 400 ms blocks

// Something like music: a few tones that move, and a little noise.
std::vector<int16_t> makeInput(int64_t frames, int64_t start = 0) {
    std::vector<int16_t> out(std::size_t(frames) * 2);
    uint32_t x = 777u + uint32_t(start);
    for (int64_t i = 0; i < frames; ++i) {
        double t = double(i + start) / kRate;
        double v = 0.3 * std::sin(2 * M_PI * (220 + 20 * std::sin(t)) * t) +
                   0.2 * std::sin(2 * M_PI * 1318.5 * t) +
                   0.1 * std::sin(2 * M_PI * 5000 * t * (1 + 0.01 * std::sin(3 * t)));
        x = x * 1664525u + 1013904223u;
        double n = (double((x >> 16) & 0xFFFF) / 65535.0 - 0.5) * 0.05;
        out[std::size_t(2 * i)] = int16_t(std::lround((v + n) * 26000));
        out[std::size_t(2 * i + 1)] = int16_t(std::lround((0.8 * v - n) * 26000));
    }
    return out;
}

double seconds(const std::function<void()>& fn) {
    auto t0 = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The best of three runs: the figure least disturbed by whatever else the machine does.
double best(const std::function<void()>& fn) {
    double b = 1e30;
    for (int i = 0; i < 3; ++i)
        b = std::min(b, seconds(fn));
    return b;
}

int run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    int r = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (r != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool haveTool(const char* name) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

void encode(TAudioFile2& af, const QString& out, const std::vector<int16_t>& pcm) {
    af.CreateWrite(out, 0);
    if (af.GetLastError() != 0) {
        std::fprintf(stderr, "%s\n", af.GetLastErrorText().toUtf8().constData());
        std::exit(1);
    }
    for (std::size_t i = 0; i < pcm.size(); i += std::size_t(kBlockFrames) * 2) {
        std::size_t n = std::min(pcm.size() - i, std::size_t(kBlockFrames) * 2);
        af.WriteArray(AudioBlock(
            std::vector<int16_t>(pcm.begin() + std::ptrdiff_t(i), pcm.begin() + std::ptrdiff_t(i + n)), 2));
    }
    af.Close();
}

void printRatio(const char* name, double ours, double reference, bool available) {
    std::fprintf(stderr, "# %s: ours %.3f s, reference %.3f s\n", name, ours, reference);
    if (!available || reference <= 0)
        std::printf("%s=unavailable\n", name);
    else
        std::printf("%s=%.3f\n", name, reference / ours);
    std::fflush(stdout);
}

// The conversion loop of the player's converter: blocks of GetSampleFormat1 x GetSampleFormat2.
int convert(const QString& in, const QString& out) {
    TAudioFile2 src, dst;
    TAudioFile2LameEnc lame;
    lame.SetConstantBitRate(-1);
    lame.SetQuality(5);
    dst.SetLameEncoder(&lame);
    dst.SetMp3Format(kRate, 128, 2);
    src.OpenRead(in, 0, 1);
    if (src.GetLastError() != 0) return 1;
    dst.CreateWrite(out, 0);
    if (dst.GetLastError() != 0) return 1;
    dst.SetInputFormat(src.GetSampleFormat1(), src.GetSampleFormat2());
    const int n = src.GetSampleFormat1() * src.GetSampleFormat2();
    for (;;) {
        AudioBlock b = src.ReadArray(n);
        if (b.upperBound() < 0) break;
        dst.WriteArray(b);
    }
    dst.Close();
    src.Close();
    return 0;
}

// Runs the conversion in a process of its own and gives its peak resident memory in MB.
std::string peakRss(const std::string& in, const std::string& out) {
    std::string self = QCoreApplication::applicationFilePath().toLocal8Bit().toStdString();
    std::vector<std::string> args{self, "--convert", in, out};
    std::vector<char*> cargs;
    for (auto& a : args)
        cargs.push_back(a.data());
    cargs.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, cargs.data(), environ) != 0) return "failed";
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "failed";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", usage.ru_maxrss / 1024.0);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--convert")
        return convert(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));

    QTemporaryDir temp;
    QString work = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    QDir().mkpath(work);
    auto path = [&work](const char* name) { return QDir(work).filePath(QString::fromLatin1(name)); };
    auto local = [](const QString& s) { return s.toLocal8Bit().toStdString(); };

    // 60 s of stereo input, in memory and as a WAV file for the reference tools.
    const std::vector<int16_t> input = makeInput(int64_t(kRate) * 60);
    {
        TAudioFile2 wav;
        wav.SetWavFormat(kRate, 2, 16);
        encode(wav, path("input.wav"), input);
    }
    const std::string wavIn = local(path("input.wav"));

    // MP3, constant 128 kbps. LAME's own default algorithm quality is 3: the same here.
    {
        TAudioFile2LameEnc lame;
        lame.SetConstantBitRate(-1);
        lame.SetQuality(3);
        TAudioFile2 af;
        af.SetLameEncoder(&lame);
        af.SetMp3Format(kRate, 128, 2);
        double ours = best([&] { encode(af, path("ours.mp3"), input); });
        bool ok = haveTool("lame");
        double ref = ok ? best([&] {
            run({"lame", "--quiet", "--cbr", "-b", "128", "-q", "3", wavIn, local(path("ref.mp3"))});
        })
                        : 0;
        printRatio("mp3_cbr128_ratio", ours, ref, ok);
    }
    // OGG Vorbis, quality 6 (settings list index 6).
    {
        TAudioFile2 af;
        af.SetOggFormat(kRate, 2, 128, 0, 0, 699);
        double ours = best([&] { encode(af, path("ours.ogg"), input); });
        bool ok = haveTool("oggenc");
        double ref = ok ? best([&] {
            run({"oggenc", "-Q", "-q", "6", "-o", local(path("ref.ogg")), wavIn});
        })
                        : 0;
        printRatio("ogg_q6_ratio", ours, ref, ok);
    }
    // WMA, 44.1 kHz stereo 128 kbps (profile 15).
    {
        TAudioFile2 af;
        af.SetWmaFormat(15);
        double ours = best([&] { encode(af, path("ours.wma"), input); });
        bool ok = haveTool("ffmpeg");
        double ref = ok ? best([&] {
            run({"ffmpeg", "-nostdin", "-v", "quiet", "-y", "-i", wavIn, "-c:a", "wmav2", "-b:a", "128k",
                 local(path("ref.wma"))});
        })
                        : 0;
        printRatio("wma_128_ratio", ours, ref, ok);
    }
    // MP3 decoding of the file encoded above.
    {
        const QString mp3 = path("ours.mp3");
        double ours = best([&] {
            TAudioFile2 af;
            af.OpenRead(mp3, 0, 1);
            const int n = af.GetSampleFormat1() * af.GetSampleFormat2();
            while (af.ReadArray(n).upperBound() >= 0) {
            }
            af.Close();
        });
        bool ok = haveTool("ffmpeg");
        double ref = ok ? best([&] {
            run({"ffmpeg", "-nostdin", "-v", "quiet", "-i", local(mp3), "-f", "null", "-"});
        })
                        : 0;
        printRatio("mp3_decode_ratio", ours, ref, ok);
    }
    // Peak memory of converting a 30-minute WAV to MP3, in a process of its own.
    {
        {
            TAudioFile2 wav;
            wav.SetWavFormat(kRate, 2, 16);
            wav.CreateWrite(path("long.wav"), 0);
            for (int64_t at = 0; at < int64_t(kRate) * 1800; at += kRate * 10)
                wav.WriteArray(AudioBlock(makeInput(kRate * 10, at), 2));
            wav.Close();
        }
        // The same conversion of one minute: the same peak means memory does not grow with length.
        std::printf("peak_rss_mb_30min_wav_to_mp3=%s\n",
                    peakRss(local(path("long.wav")), local(path("long.mp3"))).c_str());
        std::printf("peak_rss_mb_1min_wav_to_mp3=%s\n", peakRss(wavIn, local(path("short.mp3"))).c_str());
        QFile::remove(path("long.wav"));
        double info = seconds([&] {
            TAudioInformation2 ai;
            ai.SetFileName(path("long.mp3"));
        });
        std::printf("mp3_info_ms_30min=%.0f\n", info * 1000);
    }
    return 0;
}
