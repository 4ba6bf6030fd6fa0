// Tags written by TAudioInformation2.WriteTags, read back with TagLib and with FFmpeg, for all
// four formats, with non-ASCII texts; the audio stays playable after tagging.
#include "AudioTestUtil.h"

#include "components/ComponentError.h"
#include "components/GenreList.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"
#include "tests/support/ChildRun.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include <taglib/asffile.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

using namespace audiotest;

namespace {

QString makeFile(const QString& path) {
    TAudioFile2LameEnc lame;
    lame.SetConstantBitRate(-1);
    lame.SetQuality(5);
    TAudioFile2 af;
    af.SetLameEncoder(&lame);
    const QString ext = path.section('.', -1);
    if (ext == "wav")
        af.SetWavFormat(44100, 2, 16);
    else if (ext == "mp3")
        af.SetMp3Format(44100, 128, 2);
    else if (ext == "ogg")
        af.SetOggFormat(44100, 2, 128, 0, 0, 599);
    else
        af.SetWmaFormat(15);
    af.CreateWrite(path, 0);
    EXPECT_EQ(af.GetLastError(), 0);
    writeBlocks(af, tone(44100, 2, 44100, 440.0), 2, 8820);
    af.Close();
    return path;
}

std::map<std::string, std::string> ffmpegTags(const QString& path) {
    std::map<std::string, std::string> out;
    AVFormatContext* f = nullptr;
    QByteArray p = QFile::encodeName(path);
    if (avformat_open_input(&f, p.constData(), nullptr, nullptr) < 0) return out;
    avformat_find_stream_info(f, nullptr);
    auto collect = [&out](AVDictionary* d) {
        const AVDictionaryEntry* e = nullptr;
        while ((e = av_dict_get(d, "", e, AV_DICT_IGNORE_SUFFIX)))
            out[QString::fromUtf8(e->key).toLower().toStdString()] = e->value;
    };
    collect(f->metadata);
    for (unsigned i = 0; i < f->nb_streams; ++i)
        collect(f->streams[i]->metadata);
    avformat_close_input(&f);
    return out;
}

std::string str(const TagLib::String& s) {
    return s.to8Bit(true);
}

const char* kTitle = "Sömé Tïtle – 日本語";
const char* kArtist = "Ärtist Ω";
const char* kAlbum = "Albüm ♫";
const char* kComment = "Cömment";
const char* kCopyright = "© 2024 Sømebody";
const char* kUrl = "https://example.org/ü";
const char* kEncodedBy = "Ëncoder";

void setAll(TAudioInformation2& ai) {
    ai.infoAlbum = QString::fromUtf8(kAlbum);
    ai.infoArtist = QString::fromUtf8(kArtist);
    ai.infoTitle = QString::fromUtf8(kTitle);
    ai.infoComments = QString::fromUtf8(kComment);
    ai.infoCopyright = QString::fromUtf8(kCopyright);
    ai.infoURL = QString::fromUtf8(kUrl);
    ai.infoEncodedBy = QString::fromUtf8(kEncodedBy);
    ai.SetGenre(17); // Rock
    ai.SetYear(1999);
}

} // namespace

TEST(Tags, GenreListHas148Names) {
    EXPECT_EQ(GenreName(0), "Blues");
    EXPECT_EQ(GenreName(17), "Rock");
    EXPECT_EQ(GenreName(147), "SynthPop");
    EXPECT_EQ(GenreName(148), "");
    EXPECT_EQ(GenreName(-1), "");
}

TEST(Tags, WrittenForEveryFormatAndReadBackByTagLibAndFfmpeg) {
    QTemporaryDir dir;
    for (const char* ext : {"mp3", "ogg", "wma", "wav"}) {
        SCOPED_TRACE(ext);
        QString path = makeFile(dir.filePath(QStringLiteral("t.%1").arg(QString::fromLatin1(ext))));
        TAudioInformation2 ai;
        ai.EnableWMA(-1);
        setAll(ai);
        ASSERT_NO_THROW(ai.WriteTags(path));

        {
            TagLib::FileRef ref(QFile::encodeName(path).constData());
            ASSERT_FALSE(ref.isNull());
            TagLib::Tag* t = ref.tag();
            EXPECT_EQ(str(t->title()), kTitle);
            EXPECT_EQ(str(t->artist()), kArtist);
            EXPECT_EQ(str(t->album()), kAlbum);
            EXPECT_EQ(str(t->comment()), kComment);
            EXPECT_EQ(str(t->genre()), "Rock");
            EXPECT_EQ(t->year(), 1999u);
            TagLib::PropertyMap p = ref.file()->properties();
            EXPECT_EQ(str(p["COPYRIGHT"].toString()), kCopyright);
            EXPECT_EQ(str(p["ENCODEDBY"].toString()), kEncodedBy);
        }
        if (QString::fromLatin1(ext) == "wma") {
            TagLib::ASF::File f(QFile::encodeName(path).constData());
            ASSERT_TRUE(f.tag()->contains("WM/AuthorURL"));
            EXPECT_EQ(str(f.tag()->attribute("WM/AuthorURL").front().toString()), kUrl);
        } else if (QString::fromLatin1(ext) == "wav") {
            TagLib::RIFF::WAV::File f(QFile::encodeName(path).constData());
            ASSERT_TRUE(f.hasID3v2Tag());
            ASSERT_TRUE(f.hasInfoTag());
            EXPECT_EQ(str(f.InfoTag()->fieldText("INAM")), kTitle);
            EXPECT_EQ(str(f.InfoTag()->fieldText("IPRD")), kAlbum);
            EXPECT_EQ(str(f.InfoTag()->fieldText("ICOP")), kCopyright);
            EXPECT_EQ(str(f.InfoTag()->fieldText("ITCH")), kEncodedBy);
            EXPECT_EQ(str(f.InfoTag()->fieldText("IGNR")), "Rock");
            EXPECT_EQ(str(f.ID3v2Tag()->properties()["URL"].toString()), kUrl);
        } else {
            TagLib::FileRef ref(QFile::encodeName(path).constData());
            EXPECT_EQ(str(ref.file()->properties()["URL"].toString()), kUrl);
        }

        auto tags = ffmpegTags(path);
        EXPECT_EQ(tags["title"], kTitle);
        EXPECT_EQ(tags["artist"], kArtist);
        EXPECT_EQ(tags["album"], kAlbum);
        EXPECT_EQ(tags["copyright"], kCopyright);
        EXPECT_EQ(tags["genre"], "Rock");

        // The audio is untouched.
        Decoded d = decodeAll(path);
        EXPECT_NEAR(double(d.frames()), 44100.0, 4096.0);
        EXPECT_NEAR(frequency(d.samples, 2, 44100), 440.0, 2.0);
    }
}

TEST(Tags, EmptyValuesRemoveTagsAndBadFilesRaise) {
    QTemporaryDir dir;
    QString path = makeFile(dir.filePath("r.mp3"));
    TAudioInformation2 ai;
    setAll(ai);
    ai.WriteTags(path);
    ai.infoComments.clear();
    ai.SetGenre(-1);
    ai.SetYear(0);
    ai.infoTitle = "Only";
    ai.WriteTags(path);
    TagLib::FileRef ref(QFile::encodeName(path).constData());
    EXPECT_EQ(str(ref.tag()->title()), "Only");
    EXPECT_EQ(str(ref.tag()->comment()), "");
    EXPECT_EQ(str(ref.tag()->genre()), "");
    EXPECT_EQ(ref.tag()->year(), 0u);
    EXPECT_EQ(str(ref.tag()->artist()), kArtist);

    // The ripper gives a year only when its year field is filled: a later file tagged without
    // SetYear gets no year, not the one given for an earlier file.
    ai.SetYear(2001);
    ai.WriteTags(path);
    QString next = makeFile(dir.filePath("next.ogg"));
    ai.WriteTags(next);
    TagLib::FileRef nextRef(QFile::encodeName(next).constData());
    EXPECT_EQ(str(nextRef.tag()->title()), "Only");
    EXPECT_EQ(nextRef.tag()->year(), 0u);
    EXPECT_EQ(TagLib::FileRef(QFile::encodeName(path).constData()).tag()->year(), 2001u);

    EXPECT_THROW(ai.WriteTags(dir.filePath("missing.mp3")), ComponentError);
    QFile text(dir.filePath("text.mp3"));
    text.open(QIODevice::WriteOnly);
    text.write("this is not audio at all\n");
    text.close();
    EXPECT_THROW(ai.WriteTags(dir.filePath("text.mp3")), ComponentError);
}

TEST(Tags, AFullDiskNeverDamagesTheAudio) {
    // A long title on a disk with 8 KB free (the copy does not fit), and with room for the copy but
    // not for the larger tags: the write fails, the file keeps every byte, no copy is left behind;
    // once there is room, the same write works and the audio plays as before.
    QTemporaryDir dir;
    const QString folder = dir.filePath("disk");
    QDir().mkdir(folder);
    const ChildResult r = runOnSmallDisk(folder, 1 << 20, [](const QString& folder) -> std::string {
        std::string failures;
        for (const char* ext : {"mp3", "ogg", "wma", "wav"}) {
            const QString path = makeFile(folder + "/track." + ext);
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            const QByteArray before = f.readAll();
            f.close();
            for (qint64 room : {qint64(8192), before.size() + 8192}) {
                const std::string what = std::string(ext) + " with " + std::to_string(room) + " bytes free: ";
                const QByteArray filler = QFile::encodeName(folder + "/filler");
                struct statvfs vfs {};
                statvfs(QFile::encodeName(folder).constData(), &vfs);
                const qint64 free = qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
                const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT, 0600);
                if (fd < 0 || posix_fallocate(fd, 0, free - room) != 0) return what + "no filler";
                ::close(fd);
                TAudioInformation2 ai;
                setAll(ai);
                ai.infoTitle = QString(20000, u'T');
                try {
                    ai.WriteTags(path);
                    failures += what + "no error; ";
                } catch (const ComponentError&) {
                }
                f.open(QIODevice::ReadOnly);
                if (f.readAll() != before) failures += what + "the file changed; ";
                f.close();
                if (QDir(folder).entryList(QDir::Files | QDir::Hidden).size() != 2)
                    failures += what + "a copy was left behind; ";
                ::unlink(filler.constData());
            }
            TAudioInformation2 ai;
            setAll(ai);
            ai.infoTitle = QString(20000, u'T');
            try {
                ai.WriteTags(path);
            } catch (const ComponentError& e) {
                failures += std::string(ext) + " with room: " + e.message().toStdString() + "; ";
            }
            const Decoded d = decodeAll(path);
            if (std::abs(d.frames() - 44100) > 2048 || std::abs(frequency(d.samples, 2, 44100) - 440.0) > 2.0)
                failures += std::string(ext) + ": the tagged file does not play; ";
            if (TagLib::FileRef(QFile::encodeName(path).constData()).tag()->title().size() != 20000)
                failures += std::string(ext) + ": the title was not written; ";
            QFile::remove(path);
        }
        return failures;
    });
    if (!r.ran) GTEST_SKIP() << r.failure;
    EXPECT_EQ(r.failure, "");
}
