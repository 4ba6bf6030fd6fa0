// Files that are missing, empty, misnamed, cut short, damaged or unreadable; the information
// component on good files; writing through the producer link from another thread.
#include "AudioTestUtil.h"

#include "components/AudioFileLink.h"
#include "components/ComponentError.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"
#include "tests/support/ChildRun.h"

#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace audiotest;

namespace {

QString makeFile(const QString& path, int seconds = 2) {
    TAudioFile2LameEnc lame;
    lame.SetConstantBitRate(-1);
    lame.SetQuality(7);
    TAudioFile2 af;
    af.SetLameEncoder(&lame);
    const QString ext = path.section('.', -1);
    if (ext == "wav")
        af.SetWavFormat(22050, 2, 16);
    else if (ext == "mp3")
        af.SetMp3Format(44100, 128, 2);
    else if (ext == "ogg")
        af.SetOggFormat(44100, 2, 128, 0, 0, 399);
    else
        af.SetWmaFormat(15);
    af.CreateWrite(path, 0);
    EXPECT_EQ(af.GetLastError(), 0);
    const int rate = af.GetSampleFormat1();
    writeBlocks(af, tone(rate, 2, int64_t(rate) * seconds, 440.0), 2, rate / 4);
    af.Close();
    return path;
}

// Opening fails cleanly everywhere.
void expectUnreadable(const QString& path) {
    SCOPED_TRACE(path.toStdString());
    TAudioFile2 af;
    af.EnableWMA(-1);
    af.OpenRead(path, 0, 1);
    EXPECT_NE(af.GetLastError(), 0);
    EXPECT_FALSE(af.GetLastErrorText().isEmpty());
    EXPECT_EQ(af.GetLength(), 0);
    EXPECT_EQ(af.ReadArray(1000).upperBound(), -1);
    EXPECT_EQ(af.Seek(1000, 3), 0);
    af.Close();
    af.Close();
    TAudioInformation2 ai;
    EXPECT_THROW(ai.SetFileName(path), ComponentError);
    EXPECT_EQ(ai.GetLength(), 0);
    EXPECT_EQ(ai.GetDuration(), 0);
}

// Whatever opens reads to an empty block without running away.
void readThrough(const QString& path, int64_t maxFrames) {
    TAudioFile2 af;
    af.OpenRead(path, 0, 1);
    if (af.GetLastError() != 0) return;
    int64_t total = 0;
    for (int i = 0; i < 10000; ++i) {
        AudioBlock b = af.ReadArray(8192);
        if (b.upperBound() < 0) break;
        total += int64_t(b.frames());
    }
    EXPECT_LE(total, maxFrames);
    EXPECT_EQ(af.ReadArray(8192).upperBound(), -1);
    af.Seek(af.GetLength() / 2, 3);
    af.ReadArray(8192);
}

} // namespace

TEST(BadInput, MissingEmptyMisnamedAndFolders) {
    QTemporaryDir dir;
    expectUnreadable(dir.filePath("missing.wav"));
    for (const char* ext : {"wav", "mp3", "ogg", "wma"}) {
        QString empty = dir.filePath(QStringLiteral("empty.%1").arg(QString::fromLatin1(ext)));
        ASSERT_TRUE(writeBytes(empty, {}));
        expectUnreadable(empty);
        QString text = dir.filePath(QStringLiteral("text.%1").arg(QString::fromLatin1(ext)));
        ASSERT_TRUE(writeBytes(text, "Dear diary,\nthis is a text file and no audio at all.\n"));
        expectUnreadable(text);
        QString junk = dir.filePath(QStringLiteral("junk.%1").arg(QString::fromLatin1(ext)));
        ASSERT_TRUE(writeBytes(junk, QByteArray(4096, '\xff')));
        readThrough(junk, 100000);
    }
    QDir(dir.path()).mkdir("folder.mp3");
    expectUnreadable(dir.filePath("folder.mp3"));
    // A pipe would block a reader for ever.
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath("pipe.ogg")).constData(), 0600), 0);
    expectUnreadable(dir.filePath("pipe.ogg"));
    TAudioInformation2 ai;
    EXPECT_THROW(ai.WriteTags(dir.filePath("pipe.ogg")), ComponentError);
}

TEST(BadInput, UnreadableFile) {
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther);
    QString path = makeFile(dir.filePath("locked.wav"));
    QFile::setPermissions(path, QFileDevice::Permissions());
    if (geteuid() != 0) {
        expectUnreadable(path);
        return;
    }
    // File permissions do not stop the superuser: check as an ordinary user in a child process.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        TAudioFile2 af;
        af.OpenRead(path, 0, 1);
        bool ok = af.GetLastError() != 0 && af.GetLength() == 0 && af.ReadArray(100).upperBound() == -1;
        TAudioInformation2 ai;
        try {
            ai.SetFileName(path);
            ok = false;
        } catch (const ComponentError&) {
        }
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(BadInput, FilesCutShortPlayWhatTheyHold) {
    QTemporaryDir dir;
    for (const char* ext : {"wav", "mp3", "ogg", "wma"}) {
        SCOPED_TRACE(ext);
        QString path = makeFile(dir.filePath(QStringLiteral("whole.%1").arg(QString::fromLatin1(ext))), 4);
        QByteArray bytes = readBytes(path);
        Decoded whole = decodeAll(path);
        // Cut at half: what the first half holds plays (the headers take a part of it: Vorbis's
        // are large), then the stream ends with an empty block.
        QString cut = dir.filePath(QStringLiteral("cut.%1").arg(QString::fromLatin1(ext)));
        ASSERT_TRUE(writeBytes(cut, bytes.left(bytes.size() / 2)));
        Decoded half = decodeAll(cut);
        ASSERT_GT(half.frames(), 0);
        EXPECT_LT(half.frames(), whole.frames() * 3 / 4);
        EXPECT_GT(half.frames(), whole.frames() / 5);
        // The length is what plays: exact for WAV and WMA (whose header still gives the whole
        // length), within a codec frame for MP3 and OGG.
        const QString e = QString::fromLatin1(ext);
        const double slack = e == "wav" || e == "wma" ? 0.0 : 1152.0;
        EXPECT_NEAR(double(half.length), double(half.frames()), slack);
        EXPECT_NEAR(frequency(half.samples, half.channels, half.rate), 440.0, 3.0);
        // Cuts everywhere, including inside the headers: nothing crashes.
        for (int i = 1; i < 40; ++i) {
            ASSERT_TRUE(writeBytes(cut, bytes.left(bytes.size() * i / 40 + i % 7)));
            readThrough(cut, whole.frames() + 8192);
            TAudioInformation2 ai;
            try {
                ai.SetFileName(cut);
                EXPECT_LE(ai.GetLength(), whole.length + 8192);
            } catch (const ComponentError&) {
            }
        }
    }
}

TEST(BadInput, DamagedFilesReadToTheEnd) {
    QTemporaryDir dir;
    for (const char* ext : {"wav", "mp3", "ogg", "wma"}) {
        SCOPED_TRACE(ext);
        QString path = makeFile(dir.filePath(QStringLiteral("d.%1").arg(QString::fromLatin1(ext))));
        Decoded whole = decodeAll(path);
        QByteArray bytes = readBytes(path);
        uint32_t x = 99;
        for (int round = 0; round < 5; ++round) {
            QByteArray damaged = bytes;
            // Overwrite a stretch in the middle, and a few bytes here and there.
            for (int i = damaged.size() / 3; i < damaged.size() / 3 + 2000 && i < damaged.size(); ++i) {
                x = x * 1664525u + 1013904223u;
                damaged[i] = char(x >> 24);
            }
            for (int k = 0; k < 20; ++k) {
                x = x * 1664525u + 1013904223u;
                damaged[int((x >> 8) % uint32_t(damaged.size()))] = char(x);
            }
            QString bad = dir.filePath(QStringLiteral("bad.%1").arg(QString::fromLatin1(ext)));
            ASSERT_TRUE(writeBytes(bad, damaged));
            readThrough(bad, whole.frames() * 2 + 100000);
        }
    }
}

TEST(Information, DescribesEveryFormat) {
    QTemporaryDir dir;
    struct Case {
        const char* ext;
        const char* format;
    };
    for (Case c : {Case{"wav", "PCM, 22050 Hz, 16 bit, stereo"},
                   Case{"mp3", "MPEG Layer-3, 44100 Hz, 128 kbps, stereo"},
                   Case{"wma", "Windows Media Audio 2, 44100 Hz, 128 kbps, stereo"}}) {
        SCOPED_TRACE(c.ext);
        QString path = makeFile(dir.filePath(QStringLiteral("i.%1").arg(QString::fromLatin1(c.ext))), 3);
        TAudioInformation2 ai;
        ai.EnableWMA(-1);
        ai.SetFileName(path);
        EXPECT_EQ(ai.GetFormatString(), QString::fromLatin1(c.format));
        TAudioFile2 af;
        af.OpenRead(path, 0, 1);
        EXPECT_EQ(af.GetFormatString(), QString::fromLatin1(c.format));
        EXPECT_EQ(ai.GetLength(), af.GetLength());
        EXPECT_EQ(ai.GetSampleFormat1(), af.GetSampleFormat1());
        EXPECT_EQ(ai.GetSampleFormat2(), af.GetSampleFormat2());
        EXPECT_NEAR(ai.GetDuration(), 3000, 60);
        EXPECT_EQ(ai.GetDuration(), int(ai.GetLength() * 1000 / ai.GetSampleFormat1()));
    }
    QString ogg = makeFile(dir.filePath("i.ogg"), 3);
    TAudioInformation2 ai;
    ai.SetFileName(ogg);
    EXPECT_EQ(ai.GetDuration(), 3000);
    EXPECT_TRUE(ai.GetFormatString().startsWith("Ogg Vorbis, 44100 Hz, "));
    // A failed analysis leaves nothing of the previous file behind.
    EXPECT_THROW(ai.SetFileName(dir.filePath("nothing.ogg")), ComponentError);
    EXPECT_EQ(ai.GetFormatString(), "");
    EXPECT_EQ(ai.GetSampleFormat1(), 0);
}

TEST(Link, ProducerWritesThroughTheConnectedFileFromAnotherThread) {
    QTemporaryDir dir;
    TAudioFileLink link;
    {
        TAudioFile2 af;
        af.EnableWMA(0);
        af.SetWavFormat(22050, 1, 16);
        af.ConnectTo(&link);
        ASSERT_EQ(link.sink(), &af);
        QString path = dir.filePath("grab.wav");
        std::atomic<bool> done{false};
        std::thread producer([&] {
            AudioSink* sink = link.sink();
            sink->sinkSetInputFormat(44100, 2);
            sink->sinkCreateWrite(path);
            for (int i = 0; i < 20; ++i)
                sink->sinkWriteArray(AudioBlock(tone(44100, 2, 4410, 440.0, 0.5, int64_t(i) * 4410), 2));
            sink->sinkClose();
            done = true;
        });
        while (!done)
            EXPECT_TRUE(af.GetFormatString().startsWith("PCM, 22050 Hz"));
        producer.join();
        Decoded d = decodeAll(path);
        EXPECT_EQ(d.rate, 22050);
        EXPECT_EQ(d.channels, 1);
        EXPECT_NEAR(double(d.frames()), 44100.0, 64.0);
        EXPECT_NEAR(frequency(d.samples, 1, 22050), 440.0, 1.0);

        // A create that fails raises through the link and leaves no file.
        QString bad = dir.filePath("no-such-folder/grab.wav");
        EXPECT_THROW(link.sink()->sinkCreateWrite(bad), ComponentError);
        link.sink()->sinkClose();
        EXPECT_FALSE(QFile::exists(bad));
    }
    EXPECT_EQ(link.sink(), nullptr) << "a destroyed file object unbinds itself";

    TAudioFile2 a, b;
    a.ConnectTo(&link);
    b.ConnectTo(&link);
    EXPECT_EQ(link.sink(), &b);
    a.ConnectTo(nullptr);
    EXPECT_EQ(link.sink(), &b);
    b.ConnectTo(nullptr);
    EXPECT_EQ(link.sink(), nullptr);
}

TEST(Link, FileObjectsNeverTouchALinkThatIsGone) {
    // A window may destroy the grabber (and its link) before the file object bound to it, and a
    // file object that another one replaced on the link may outlive the link as well. The link
    // lives here in storage that is then reused; nothing may write to it after its end.
    static_assert(sizeof(TAudioFileLink) % sizeof(AudioSink*) == 0);
    alignas(TAudioFileLink) unsigned char storage[sizeof(TAudioFileLink)];
    constexpr std::size_t slots = sizeof(TAudioFileLink) / sizeof(AudioSink*);
    for (bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "replaced by another file object" : "still bound");
        auto* link = new (storage) TAudioFileLink;
        auto first = std::make_unique<TAudioFile2>();
        TAudioFile2 second;
        first->ConnectTo(link);
        if (replaced) {
            second.ConnectTo(link);
            ASSERT_EQ(link->sink(), &second);
        }
        link->~TAudioFileLink();
        // The storage now holds something else that happens to look like the first object's
        // address, in every slot; a stale disconnect would clear one of them.
        AudioSink* reused = first.get();
        for (std::size_t i = 0; i < slots; ++i)
            std::memcpy(storage + i * sizeof reused, &reused, sizeof reused);
        first.reset();
        for (std::size_t i = 0; i < slots; ++i) {
            AudioSink* after = nullptr;
            std::memcpy(&after, storage + i * sizeof after, sizeof after);
            EXPECT_EQ(after, reused) << "a destroyed file object wrote to a link that is gone";
        }
    }
}

TEST(Information, NamesWithColonsAndNonAsciiCharacters) {
    QTemporaryDir dir;
    QString folder = dir.filePath("http: ünïcødé ♫");
    QDir().mkpath(folder);
    for (const char* ext : {"mp3", "ogg", "wma", "wav"}) {
        QString path = makeFile(folder + QStringLiteral("/a:b Ω.%1").arg(QString::fromLatin1(ext)), 1);
        ASSERT_TRUE(QFile::exists(path)) << ext;
        TAudioInformation2 ai;
        EXPECT_NO_THROW(ai.SetFileName(path)) << ext;
        EXPECT_GT(ai.GetLength(), 0) << ext;
        ai.infoTitle = "x";
        EXPECT_NO_THROW(ai.WriteTags(path)) << ext;
        EXPECT_GT(decodeAll(path).frames(), 0) << ext;
    }
}

TEST(Link, CloseFromTheWindowWhileTheProducerWrites) {
    QTemporaryDir dir;
    TAudioFileLink link;
    TAudioFile2 af;
    af.SetMp3Format(44100, 128, 2);
    af.ConnectTo(&link);
    QString path = dir.filePath("cancel.mp3");
    link.sink()->sinkSetInputFormat(44100, 2);
    link.sink()->sinkCreateWrite(path);
    std::atomic<int> written{0};
    std::atomic<bool> refused{false};
    std::thread producer([&] {
        try {
            for (int i = 0; i < 100000; ++i) {
                link.sink()->sinkWriteArray(AudioBlock(tone(44100, 2, 588, 440.0, 0.5, int64_t(i) * 588), 2));
                ++written;
            }
        } catch (const ComponentError&) {
            refused = true; // the file was closed under it: the producer learns it at once
        }
    });
    while (written < 200)
        std::this_thread::yield();
    af.Close();
    producer.join();
    EXPECT_TRUE(refused);
    Decoded d = decodeAll(path);
    EXPECT_GE(d.frames(), 200 * 588 - 2304);
    EXPECT_NEAR(frequency(d.samples, 2, 44100), 440.0, 2.0);
}

namespace {

// A PCM WAV header of 44 bytes (RIFF) or 80 bytes (RF64 with its ds64 chunk) for `dataSize`
// bytes of 16-bit stereo at `rate`.
QByteArray wavHeader(int rate, uint64_t dataSize, bool rf64) {
    QByteArray h;
    auto put32 = [&h](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h.append(char(v >> (8 * i)));
    };
    auto put64 = [&](uint64_t v) {
        put32(uint32_t(v));
        put32(uint32_t(v >> 32));
    };
    h.append(rf64 ? "RF64" : "RIFF");
    put32(rf64 ? 0xFFFFFFFFu : uint32_t(36 + dataSize));
    h.append("WAVE");
    if (rf64) {
        h.append("ds64");
        put32(28);
        put64(dataSize + 72);
        put64(dataSize);
        put64(dataSize / 4);
        put32(0);
    }
    h.append("fmt ");
    put32(16);
    h.append("\x01\x00\x02\x00", 4);
    put32(uint32_t(rate));
    put32(uint32_t(rate * 4));
    h.append("\x04\x00\x10\x00", 4);
    h.append("data");
    put32(rf64 ? 0xFFFFFFFFu : uint32_t(std::min<uint64_t>(dataSize, 0xFFFFFFFFu)));
    return h;
}

// The bytes this process has read so far (through every read call of all its threads).
int64_t bytesReadSoFar() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:")) return line.mid(6).trimmed().toLongLong();
    return -1;
}

} // namespace

TEST(BadInput, ZerosAfterTheAudioAreNotReadToTheirEnd) {
    // Two seconds of audio, then a 4 GB run of zeros (a sparse file: no disk space): analysing,
    // opening and reading it to the end read a few megabytes of it, not the zeros, take little
    // memory, and give the audio the file holds.
    QTemporaryDir dir;
    for (const char* ext : {"mp3", "wav", "ogg", "wma"}) {
        SCOPED_TRACE(ext);
        const QString path = makeFile(dir.filePath(QStringLiteral("z.%1").arg(QString::fromLatin1(ext))));
        const Decoded clean = decodeAll(path);
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.resize(f.size() + (int64_t(4) << 30)));
        }
        const ChildResult r = runInChild(20, [&]() -> std::string {
            std::string failures;
            const int64_t before = bytesReadSoFar();
            if (before < 0) return "cannot read /proc/self/io";
            TAudioInformation2 ai;
            ai.SetFileName(path);
            // Exact for WAV and WMA. The zeros hide OGG's last page and the end of MP3's audio
            // (FFmpeg then keeps LAME's padding): the packets give the length within a codec frame,
            // and the length is still what plays.
            const QString e = QString::fromLatin1(ext);
            const int64_t slack = e == "ogg" || e == "mp3" ? 1152 : 0;
            if (std::abs(ai.GetLength() - clean.length) > slack)
                failures += "length " + std::to_string(ai.GetLength()) + "; ";
            const Decoded d = decodeAll(path);
            if (std::abs(d.frames() - clean.frames()) > slack || d.length != ai.GetLength())
                failures += "read " + std::to_string(d.frames()) + " frames; ";
            const int64_t read = bytesReadSoFar() - before;
            if (read > (int64_t(64) << 20)) failures += "read " + std::to_string(read) + " bytes; ";
            return failures;
        });
        EXPECT_EQ(r.failure, "");
        EXPECT_LT(r.peakGrowthMb, 100);
    }
}

TEST(BadInput, WavHeadersClaimingMoreThanTheFileHoldsAreMeasuredFromTheFile) {
    // One second of audio under a RIFF header claiming 0xFFFFFFFF bytes and an RF64 header
    // claiming 2^62 bytes: the length is the second the file holds, the duration too.
    QTemporaryDir dir;
    const int rate = 22050;
    std::vector<int16_t> pcm = tone(rate, 2, rate, 440.0);
    const QByteArray samples(reinterpret_cast<const char*>(pcm.data()), qsizetype(pcm.size() * 2));
    for (bool rf64 : {false, true}) {
        SCOPED_TRACE(rf64 ? "RF64, 2^62 bytes" : "RIFF, 0xFFFFFFFF bytes");
        const QString path = dir.filePath(rf64 ? "rf64.wav" : "riff.wav");
        ASSERT_TRUE(
            writeBytes(path, wavHeader(rate, rf64 ? uint64_t(1) << 62 : 0xFFFFFFFFu, rf64) + samples));
        const ChildResult r = runInChild(20, [&]() -> std::string {
            TAudioInformation2 ai;
            ai.SetFileName(path);
            std::string failures;
            if (ai.GetLength() != rate) failures += "length " + std::to_string(ai.GetLength()) + "; ";
            if (ai.GetDuration() != 1000) failures += "duration " + std::to_string(ai.GetDuration()) + "; ";
            const Decoded d = decodeAll(path);
            if (d.frames() != rate || d.length != rate)
                failures += "read " + std::to_string(d.frames()) + "; ";
            return failures;
        });
        EXPECT_EQ(r.failure, "");
    }
    // A file that really holds 2^62 bytes (sparse, on a tmpfs, which allows such a size): its
    // duration in milliseconds is right, although length x 1000 does not fit in 64 bits.
    const QString folder = dir.filePath("disk");
    QDir().mkdir(folder);
    const ChildResult r = runOnSmallDisk(folder, 1 << 20, [&](const QString& folder) -> std::string {
        const QString path = folder + "/huge.wav";
        const uint64_t bytes = uint64_t(1) << 62;
        if (!writeBytes(path, wavHeader(rate, bytes, true) + samples)) return "the file cannot be written";
        QFile f(path);
        if (!f.open(QIODevice::ReadWrite) || !f.resize(qint64(80 + bytes)))
            return "no sparse file of 2^62 bytes";
        f.close();
        TAudioInformation2 ai;
        ai.SetFileName(path);
        const int64_t frames = int64_t(bytes / 4);
        std::string failures;
        if (ai.GetLength() != frames) failures += "length " + std::to_string(ai.GetLength()) + "; ";
        if (ai.GetDuration() != INT32_MAX) failures += "duration " + std::to_string(ai.GetDuration()) + "; ";
        TAudioFile2 af;
        af.OpenRead(path, 0, 1);
        if (af.GetLength() != frames) failures += "file length " + std::to_string(af.GetLength()) + "; ";
        if (af.Seek(frames - 10, 3) != frames - 10 || af.ReadArray(100).frames() != 10)
            failures += "seek to the end; ";
        return failures;
    });
    if (!r.ran) GTEST_SKIP() << r.failure;
    EXPECT_EQ(r.failure, "");
}
