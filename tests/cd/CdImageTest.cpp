// Disc images as other rippers write them: multi-file CUE sheets (BINARY and WAVE), gaps, a data
// session, cdrdao TOC files, 99 tracks, and hostile sheets. Every track holds a signal of its own,
// so a track read from the wrong file or offset shows as wrong samples.
#include "components/CddbLookup.h"
#include "components/ComponentError.h"
#include "components/TAudioCDGrabber2.h"
#include "platform/UserMessages.h"
#include "tests/cd/CdTestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace cdtest;

namespace {

// A run of the disc: a signal of its own, silence (-1) or data sectors (-2). `cut` frames at the
// end are missing from the file (a WAVE file that ends inside its last sector): they read as zeros.
struct Piece {
    int signal;
    int sectors;
    int cut = 0;
};

// Data files hold raw 2352-byte sectors (Data; data pieces in an Le file too) or cdrdao's
// MODE2_FORM_MIX sectors of 2332 bytes (Mix: a raw sector without sync, header and its last 4 bytes).
enum class FileKind { Le, Be, Wave, Data, Mix };

struct DataFileSpec {
    const char* name;
    FileKind kind;
    std::vector<Piece> pieces;
};

struct Expected {
    int start;
    int sectors;
    int type;
    int session;
};

struct DiscCase {
    const char* name;
    std::vector<DataFileSpec> files;
    QByteArray sheet;
    bool toc;
    std::vector<Expected> tracks;
    int leadout;
    std::vector<Piece> disc; // the whole disc from sector 0, to check what each track grabs
};

std::vector<int16_t> pieceAudio(const Piece& p) {
    if (p.signal < 0) return std::vector<int16_t>(static_cast<size_t>(p.sectors) * 1176, 0);
    std::vector<int16_t> samples = trackAudio(p.signal, p.sectors);
    std::fill(samples.end() - p.cut * 2, samples.end(), int16_t{0});
    return samples;
}

class CdImageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    void writeFile(const DataFileSpec& spec) {
        QByteArray bytes;
        std::vector<int16_t> samples;
        for (const Piece& p : spec.pieces) {
            if (spec.kind == FileKind::Data || spec.kind == FileKind::Mix || p.signal == -2) {
                const auto data = dataSectors(TrackKind::Mode2Form1, p.sectors, 0);
                for (int sector = 0; sector < p.sectors; ++sector) {
                    const char* raw = reinterpret_cast<const char*>(data.data()) + sector * 2352;
                    bytes.append(spec.kind == FileKind::Mix ? QByteArray(raw + 16, 2332)
                                                            : QByteArray(raw, 2352));
                }
                continue;
            }
            std::vector<int16_t> audio = p.signal == -1 ? std::vector<int16_t>(size_t(p.sectors) * 1176, 0)
                                                        : trackAudio(p.signal, p.sectors);
            audio.resize(audio.size() - static_cast<size_t>(p.cut) * 2);
            if (spec.kind == FileKind::Wave)
                samples.insert(samples.end(), audio.begin(), audio.end());
            else
                bytes += pcmBytes(audio, spec.kind == FileKind::Be);
        }
        if (spec.kind == FileKind::Wave) bytes = waveFile(samples);
        write(QLatin1String(spec.name), bytes);
    }
    // Lists the sheets as images and returns the grabber's drive number of the first.
    int listImages(const QStringList& sheets) {
        writeDriveList(path(QStringLiteral("config")), sheets);
        grabber = std::make_unique<TAudioCDGrabber2>();
        grabber->Initialize();
        grabber->GetAudioFileLink()->connect(&sink);
        QObject::connect(grabber.get(), &TAudioCDGrabber2::OnOperationProgress,
                         [this](double p) { progress.push_back(p); });
        return grabber->GetDriveCount() - static_cast<int>(sheets.size()) + 1;
    }
    std::vector<int16_t> grab(int session, int track, const QString& file) {
        progress.clear();
        grabber->SetSession(session);
        grabber->SetTrack(track);
        grabber->StartGrab(file);
        EXPECT_TRUE(waitFor(
            [this] {
                return !grabber->IsGrabbing() && !progress.empty() &&
                       (progress.back() >= 100 || !script.Errors().isEmpty());
            },
            10000));
        return readWav(file);
    }

    QTemporaryDir dir;
    WavSink sink;
    std::unique_ptr<TAudioCDGrabber2> grabber;
    std::vector<double> progress;
    TScriptedMessages script;
};

// The table of contents a drive would report for each sheet, its disc id, and the samples each
// audio track grabs to.
TEST_F(CdImageTest, EverySheetFormGivesTheDrivesTableOfContentsAndTheRightSamples) {
    const int gap = 11400;
    const std::vector<DataFileSpec> sessionFiles = {{"e.bin", FileKind::Le, {{8, 20}, {9, 15}}},
                                                    {"e2.bin", FileKind::Data, {{-2, 30}}}};
    const std::vector<Expected> sessionToc = {{0, 20, 0, 0}, {20, 15, 0, 0}, {35 + gap, 30, 21, 1}};
    const std::vector<Piece> sessionDisc = {{8, 20}, {9, 15}};
    std::vector<DiscCase> cases = {
        {"multi-file BINARY with PREGAP, INDEX 00 and POSTGAP, a Latin-1 file name",
         {{"a.bin", FileKind::Le, {{1, 10}}},
          {"b.bin", FileKind::Le, {{2, 8}, {3, 20}}},
          {"\xe7.bin", FileKind::Le, {{4, 12}}}},
         "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n    POSTGAP 00:00:05\n"
         "FILE \"b.bin\" BINARY\n  TRACK 02 AUDIO\n    PREGAP 00:00:07\n    INDEX 00 00:00:00\n    INDEX 01 "
         "00:00:08\n"
         "FILE \"\xe7.bin\" BINARY\n  TRACK 03 AUDIO\n    INDEX 01 00:00:00\n",
         false,
         {{0, 30, 0, 0}, {30, 20, 0, 0}, {50, 12, 0, 0}},
         62,
         {{1, 10}, {-1, 12}, {2, 8}, {3, 20}, {4, 12}}},
        {"multi-file WAVE with the gaps in the previous file, a partial last sector, CR LF lines",
         {{"1.wav", FileKind::Wave, {{5, 10}, {6, 4}}}, {"2.wav", FileKind::Wave, {{7, 9, 100}}}},
         "REM GENRE Rock\r\nPERFORMER \"Someone\"\r\nFILE \"1.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE "
         "\"A\"\r\n"
         "    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    FLAGS DCP\r\n    INDEX 00 00:00:10\r\nFILE "
         "\"2.wav\" WAVE\r\n"
         "    INDEX 01 00:00:00\r\n",
         false,
         {{0, 14, 0, 0}, {14, 9, 0, 0}},
         23,
         {{5, 10}, {6, 4}, {7, 9, 100}}},
        {"a data session whose gap is written as PREGAP 02:32:00", sessionFiles,
         "REM SESSION 01\nFILE \"e.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
         "    INDEX 01 00:00:20\nREM SESSION 02\nFILE \"e2.bin\" BINARY\n  TRACK 03 MODE2/2352\n    PREGAP "
         "02:32:00\n"
         "    INDEX 01 00:00:00\n",
         false, sessionToc, 35 + gap + 30, sessionDisc},
        {"a data session without its gap in the sheet", sessionFiles,
         "FILE \"e.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 "
         "00:00:20\n"
         "REM SESSION 02\nFILE \"e2.bin\" BINARY\n  TRACK 03 MODE2/2352\n    INDEX 01 00:00:00\n",
         false, sessionToc, 35 + gap + 30, sessionDisc},
        {"an enhanced CD without session marks", sessionFiles,
         "FILE \"e.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 "
         "00:00:20\n"
         "FILE \"e2.bin\" BINARY\n  TRACK 03 MODE2/2352\n    INDEX 01 00:00:00\n",
         false, sessionToc, 35 + gap + 30, sessionDisc},
        {"cdrdao TOC: CD-TEXT, SILENCE before track 1, ZERO and START, big-endian data, a second data file",
         {{"d.raw", FileKind::Be, {{10, 20}, {11, 15}}}, {"data_3", FileKind::Data, {{-2, 25}}}},
         "CD_ROM_XA\nCATALOG \"0000000000000\"\nCD_TEXT {\n  LANGUAGE_MAP { 0 : EN }\n  LANGUAGE 0 {\n"
         "    TITLE \"Disc { with braces }\"\n    SIZE_INFO { 0, 1, 2, 0, 0, 0, 0, 0, 3, 0, 0, 0,\n"
         "                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }\n  }\n}\n\n// Track 1\nTRACK AUDIO\nNO COPY\n"
         "NO PRE_EMPHASIS\nTWO_CHANNEL_AUDIO\nCD_TEXT { LANGUAGE 0 { TITLE \"One\" } }\nSILENCE 00:00:06\n"
         "FILE \"d.raw\" 0 00:00:20\nSTART 00:00:06\n\nTRACK AUDIO\nISRC \"XXA000000001\"\nZERO 00:00:04\n"
         "START\nFILE \"d.raw\" #0 00:00:20 00:00:15\nINDEX 00:00:02\n\nTRACK MODE2_RAW\nDATAFILE "
         "\"data_3\"\n",
         true,
         {{6, 24, 0, 0}, {30, 15, 0, 0}, {45, 25, 21, 0}},
         45 + 25,
         {{-1, 6}, {10, 20}, {-1, 4}, {11, 15}}},
        {"cdrdao TOC of an enhanced CD (audio, then MODE2_FORM_MIX data): one session, as laid out",
         {{"x.raw", FileKind::Be, {{17, 20}, {18, 15}}}, {"x_3.bin", FileKind::Mix, {{-2, 30}}}},
         "CD_ROM_XA\n\n// Track 1\nTRACK AUDIO\nNO COPY\nFILE \"x.raw\" 0 00:00:20\n\n// Track 2\nTRACK "
         "AUDIO\nFILE \"x.raw\" 00:00:20 00:00:15\n\n// Track 3\nTRACK MODE2_FORM_MIX\nNO COPY\nDATAFILE "
         "\"x_3.bin\" 00:00:30 // length in bytes: 69960\n",
         true,
         {{0, 20, 0, 0}, {20, 15, 0, 0}, {35, 30, 21, 0}},
         65,
         {{17, 20}, {18, 15}}},
        {"a second session whose gap lies in the one data file",
         {{"s.bin", FileKind::Le, {{19, 20}, {20, 15}, {-1, gap}, {-2, 30}}}},
         "REM SESSION 01\nFILE \"s.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
         "    INDEX 01 00:00:20\nREM SESSION 02\n  TRACK 03 MODE2/2352\n    INDEX 01 02:32:35\n",
         false,
         {{0, 20, 0, 0}, {20, 15, 0, 0}, {35 + gap, 30, 21, 1}},
         35 + gap + 30,
         {{19, 20}, {20, 15}}},
        {"cdrdao TOC: WAVE file, positions in samples, SWAP, PREGAP, START in the last track",
         {{"w.wav", FileKind::Wave, {{12, 10}, {13, 5}}}, {"w.le", FileKind::Le, {{14, 7}}}},
         "CD_DA\nTRACK AUDIO\nAUDIOFILE \"w.wav\" 0 5880\nTRACK AUDIO\nPREGAP 00:00:03\nFILE \"w.wav\" 5880 "
         "00:00:05\n"
         "TRACK AUDIO\nFILE \"w.le\" SWAP 0\nSTART 00:00:02\n",
         true,
         {{0, 13, 0, 0}, {13, 7, 0, 0}, {20, 5, 0, 0}},
         25,
         {{12, 10}, {-1, 3}, {13, 5}, {14, 7}}},
        {"keywords in lower case, as several tools write them; names and texts keep their case",
         {{"Lower Case.bin", FileKind::Le, {{21, 10}, {22, 12}}}, {"Two.wav", FileKind::Wave, {{23, 8}}}},
         "rem genre Rock\nperformer \"some one\"\nfile \"Lower Case.bin\" binary\n  track 01 audio\n"
         "    title \"index 01 audio\"\n    flags dcp pre\n    index 01 00:00:00\n  Track 02 Audio\n"
         "    pregap 00:00:02\n    index 01 00:00:10\nfile Two.wav wave\n  track 03 audio\n"
         "    index 00 00:00:00\n    index 01 00:00:03\n",
         false,
         {{0, 12, 0, 0}, {12, 15, 0, 0}, {27, 5, 0, 0}},
         32,
         {{21, 10}, {-1, 2}, {22, 12}, {23, 8}}},
    };
    // 99 tracks in one file.
    {
        DiscCase many{
            "99 tracks", {{"many.bin", FileKind::Le, {}}}, "FILE \"many.bin\" BINARY\n", false, {}, 99 * 3,
            {}};
        for (int t = 0; t < 99; ++t) {
            many.files[0].pieces.push_back({20 + t, 3});
            many.disc.push_back({20 + t, 3});
            many.tracks.push_back({t * 3, 3, 0, 0});
            many.sheet += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 00:%2:%3\n")
                              .arg(t + 1, 2, 10, QLatin1Char('0'))
                              .arg(t * 3 / 75, 2, 10, QLatin1Char('0'))
                              .arg(t * 3 % 75, 2, 10, QLatin1Char('0'))
                              .toUtf8();
        }
        cases.push_back(many);
    }

    QStringList sheets;
    for (size_t c = 0; c < cases.size(); ++c) {
        for (const DataFileSpec& f : cases[c].files)
            writeFile(f);
        const QString sheet = QStringLiteral("case%1.%2")
                                  .arg(c)
                                  .arg(cases[c].toc ? QStringLiteral("toc") : QStringLiteral("cue"));
        write(sheet, cases[c].sheet);
        sheets << path(sheet);
    }
    const int first = listImages(sheets);
    for (size_t c = 0; c < cases.size(); ++c) {
        const DiscCase& dc = cases[c];
        SCOPED_TRACE(dc.name);
        grabber->SelectDrive(first + static_cast<int>(c));
        ASSERT_NO_THROW(grabber->RefreshMedia());
        ASSERT_EQ(grabber->GetMediaState(), 1);
        CdToc expected;
        expected.leadout = dc.leadout;
        for (size_t t = 0; t < dc.tracks.size(); ++t) {
            const Expected& e = dc.tracks[t];
            expected.tracks.push_back({static_cast<int>(t) + 1, e.session, e.start, e.sectors, e.type});
            expected.sessionCount = std::max(expected.sessionCount, e.session + 1);
        }
        EXPECT_EQ(grabber->GetSessionCount(), expected.sessionCount);
        EXPECT_EQ(static_cast<uint32_t>(grabber->GetCddbId()), CddbLookup::libcddbDiscId(expected));

        std::vector<int16_t> disc;
        for (const Piece& p : dc.disc) {
            const auto audio = pieceAudio(p);
            disc.insert(disc.end(), audio.begin(), audio.end());
        }
        std::vector<int> inSession(expected.sessionCount, 0);
        for (size_t t = 0; t < dc.tracks.size(); ++t) {
            const Expected& e = dc.tracks[t];
            grabber->SetSession(e.session);
            grabber->SetTrack(inSession[e.session]++);
            EXPECT_EQ(grabber->GetTrackBlocks(), e.sectors) << "track " << t + 1;
            EXPECT_EQ(grabber->GetTrackType(), e.type) << "track " << t + 1;
            if (e.type != 0) continue;
            const auto samples = grab(e.session, inSession[e.session] - 1,
                                      path(QStringLiteral("grab%1-%2.wav").arg(c).arg(t)));
            ASSERT_GE(disc.size(), static_cast<size_t>(e.start + e.sectors) * 1176) << "track " << t + 1;
            const std::vector<int16_t> want(disc.begin() + e.start * 1176,
                                            disc.begin() + (e.start + e.sectors) * 1176);
            EXPECT_TRUE(samples == want) << "track " << t + 1 << " grabs other samples";
        }
        EXPECT_TRUE(script.Errors().isEmpty()) << script.Errors().join(QLatin1Char('\n')).toStdString();
        // The preview reads the same samples as the grab.
        const Expected& e = dc.tracks.front();
        grabber->SetSession(0);
        grabber->SetTrack(0);
        grabber->StartRead();
        grabber->SeekBlock(e.sectors - 1, 1);
        const AudioBlock tail = grabber->ReadBlocks(4);
        grabber->StopRead();
        ASSERT_EQ(tail.samples.size(), 1176u);
        EXPECT_TRUE(std::equal(tail.samples.begin(), tail.samples.end(),
                               disc.begin() + (e.start + e.sectors - 1) * 1176));
    }
}

// Sheets that do not describe a disc are refused at once, with the line and what is wrong there.
TEST_F(CdImageTest, HostileSheetsAreRefusedNamingTheLine) {
    write(QStringLiteral("h.bin"), pcmBytes(trackAudio(0, 8), false));
    write(QStringLiteral("mono.wav"), waveFile(trackAudio(0, 8), 1));
    QByteArray manyLines;
    for (int i = 0; i < 10000; ++i)
        manyLines += "REM COMMENT \"padding\"\n";
    QByteArray fileLoop;
    for (int i = 0; i < 1000; ++i)
        fileLoop += "FILE \"h.bin\" BINARY\n";
    const QByteArray head = "FILE \"h.bin\" BINARY\n  TRACK 01 AUDIO\n";
    struct Hostile {
        QByteArray sheet;
        bool toc;
        const char* line;
        const char* why;
    };
    const std::vector<Hostile> cases = {
        {head + "    INDEX 01 -00:00:01\n", false, "line 3", "is not a time"},
        {head + "    INDEX 01 00:00:09\n", false, "line 3", "lies past the end of h.bin"},
        {head + "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 10:00:00\n", false, "line 5",
         "lies past the end"},
        {head + "    INDEX 01 00:00:04\n  TRACK 02 AUDIO\n    INDEX 01 00:00:02\n", false, "line 5",
         "is not after"},
        {head + "    INDEX 01 00:00:04\n  TRACK 02 AUDIO\n    INDEX 01 00:00:04\n", false, "line 5",
         "is not after"},
        {fileLoop + "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", false, "line 1", "no track uses"},
        {head + "    INDEX 01 00:00:00\nFILE \"h.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:04\n",
         false, "line 4", "named a second time"},
        {manyLines + head + "    INDEX 01 00:00:00\n", false, "", "a sheet has at most"},
        {"FILE \"h.bin\" BINARY\n  TRACK 99 AUDIO\n    INDEX 01 00:00:00\n  TRACK 01 AUDIO\n    INDEX 01 "
         "00:00:04\n",
         false, "line 4", "track 1 follows track 99"},
        {"FILE \"h.bin\" BINARY\n  TRACK 100 AUDIO\n    INDEX 01 00:00:00\n", false, "line 2",
         "is not a track number"},
        {head + "    INDEX 00 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:00:04\n", false, "line 2",
         "track 1 has no INDEX 01"},
        {head + "    INDEX 02 00:00:00\n", false, "line 3", "starts with INDEX 00 or INDEX 01"},
        {"FILE \"h.bin\" BINARY\r  TRACK 01 AUDIO\r    INDEX 01 00:00:00\r", false, "line 1",
         "carriage return"},
        {"FILE \"h.aiff\" AIFF\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", false, "line 1",
         "AIFF files cannot be read"},
        {"FILE \"mono.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", false, "line 1",
         "not 16-bit stereo"},
        {"FILE \"none.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", false, "line 1",
         "does not exist"},
        {head + "    PREGAP 80:00:00\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    PREGAP 80:00:00\n"
                "    INDEX 01 00:00:04\n",
         false, "line 5", "longer than a CD can be"},
        {"  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", false, "line 1", "before any FILE line"},
        {head + "    INDEX 01 00:00:00\nBANANA 1\n", false, "line 4", "is not a CUE sheet command"},
        {"CD_DA\nTRACK AUDIO\nFILE \"h.bin\" 0 00:00:04\nSTART 00:00:04\n", true, "line 2",
         "START of track 1"},
        {"CD_DA\nCD_TEXT {\n  LANGUAGE_MAP { 0 : EN }\n", true, "line 3", "ends in the middle"},
        {"CD_DA\nTRACK AUDIO\nFIFO \"x\" 00:00:04\n", true, "line 3", "FIFO"},
        {"CD_DA\nTRACK AUDIO\nFILE \"h.bin\" 00:00:09\n", true, "line 3", "past the end of h.bin"},
        {"CD_DA\nTRACK AUDIO\nFILE \"h.bin\" 0 00:00:20\n", true, "line 3", "ends before"},
        {"CD_DA\nTRACK AUDIO\nFILE \"h.bin\" 0 100\n", true, "line 3", "not a whole number of sectors"},
        {"CD_DA\nTRACK AUDIO\nSILENCE 00:00:04\nTRACK MODE7\n", true, "line 4", "is not a track mode"},
        {"FILE \"h.bin\" BINARY\n  TRACK 01 CDG\n    INDEX 01 00:00:00\n", false, "line 2",
         "is not a track mode"},
    };
    QStringList sheets;
    for (size_t i = 0; i < cases.size(); ++i) {
        const QString name = QStringLiteral("hostile%1.%2")
                                 .arg(i)
                                 .arg(cases[i].toc ? QStringLiteral("toc") : QStringLiteral("cue"));
        write(name, cases[i].sheet);
        sheets << path(name);
    }
    const int first = listImages(sheets);
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].sheet.left(200).toStdString());
        grabber->SelectDrive(first + static_cast<int>(i));
        QElapsedTimer timer;
        timer.start();
        QString message;
        try {
            grabber->RefreshMedia();
        } catch (const ComponentError& e) {
            message = e.message();
        }
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_EQ(grabber->GetMediaState(), 2);
        EXPECT_TRUE(message.contains(QStringLiteral("disc image"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String(cases[i].line))) << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String(cases[i].why))) << message.toStdString();
        EXPECT_THROW(grabber->SetSession(0), ComponentError);
    }
}

} // namespace
