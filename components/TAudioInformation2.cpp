#include "components/TAudioInformation2.h"

#include "components/AudioDecoder.h"
#include "components/ComponentError.h"
#include "components/FfmpegUtil.h"
#include "components/GenreList.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>

#include <taglib/asffile.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/urllinkframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace {

TagLib::String tl(const QString& s) {
    return TagLib::String(s.toStdString(), TagLib::String::UTF8);
}

TagLib::FileName fileNameOf(const QByteArray& path) {
    return path.constData();
}

struct TagValues {
    QString album, artist, title, comments, copyright, url, encodedBy, genre, year;
};

void setTextFrame(TagLib::ID3v2::Tag* tag, const char* id, const QString& text) {
    tag->removeFrames(id);
    if (text.isEmpty()) return;
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF8);
    frame->setText(tl(text));
    tag->addFrame(frame);
}

void writeId3v2(TagLib::ID3v2::Tag* tag, const TagValues& v) {
    setTextFrame(tag, "TALB", v.album);
    setTextFrame(tag, "TPE1", v.artist);
    setTextFrame(tag, "TIT2", v.title);
    setTextFrame(tag, "TCOP", v.copyright);
    setTextFrame(tag, "TENC", v.encodedBy);
    setTextFrame(tag, "TCON", v.genre);
    setTextFrame(tag, "TDRC", v.year);
    tag->removeFrames("COMM");
    if (!v.comments.isEmpty()) {
        auto* frame = new TagLib::ID3v2::CommentsFrame(TagLib::String::UTF8);
        frame->setLanguage("eng");
        frame->setText(tl(v.comments));
        tag->addFrame(frame);
    }
    tag->removeFrames("WXXX");
    if (!v.url.isEmpty()) {
        auto* frame = new TagLib::ID3v2::UserUrlLinkFrame(TagLib::String::UTF8);
        frame->setUrl(tl(v.url));
        tag->addFrame(frame);
    }
}

void setXiph(TagLib::Ogg::XiphComment* c, const char* key, const QString& value) {
    c->removeFields(key);
    if (!value.isEmpty()) c->addField(key, tl(value), true);
}

void setAsf(TagLib::ASF::Tag* t, const char* key, const QString& value) {
    t->removeItem(key);
    if (!value.isEmpty()) t->setAttribute(key, TagLib::ASF::Attribute(tl(value)));
}

void setInfo(TagLib::RIFF::Info::Tag* t, const char* id, const QString& value) {
    if (value.isEmpty())
        t->removeField(id);
    else
        t->setFieldText(id, tl(value));
}

[[noreturn]] void tagError(const QString& fileName, const QString& why) {
    throw ComponentError(QStringLiteral("Cannot write the tags of \"%1\": %2").arg(fileName, why));
}

} // namespace

void TAudioInformation2::SetFileName(const QString& fileName) {
    m_length = 0;
    m_durationMs = 0;
    m_rate = 0;
    m_channels = 0;
    m_formatString.clear();
    AudioDecoder decoder(fileName); // raises ComponentError for a file that is not audio
    m_length = decoder.length();
    m_durationMs = decoder.durationMs();
    m_rate = decoder.sampleRate();
    m_channels = decoder.channels();
    m_formatString = decoder.formatString();
}

int TAudioInformation2::GetDuration() const {
    return int(std::min<int64_t>(m_durationMs, INT32_MAX));
}
int64_t TAudioInformation2::GetLength() const {
    return m_length;
}
QString TAudioInformation2::GetFormatString() const {
    return m_formatString;
}
int TAudioInformation2::GetSampleFormat1() const {
    return m_rate;
}
int TAudioInformation2::GetSampleFormat2() const {
    return m_channels;
}
void TAudioInformation2::EnableWMA(int flag) {
    m_wmaEnabled = flag != 0;
}
void TAudioInformation2::SetGenre(int index) {
    m_genre = index;
}
void TAudioInformation2::SetYear(int year) {
    m_year = year;
}

void TAudioInformation2::WriteTags(const QString& fileName) {
    QFileInfo info(fileName);
    if (!info.exists()) tagError(fileName, QStringLiteral("the file does not exist"));
    if (!isRegularFile(fileName)) tagError(fileName, QStringLiteral("not a file"));
    if (!info.isWritable()) tagError(fileName, QStringLiteral("the file is read-only"));
    TagValues v{infoAlbum,     infoArtist,         infoTitle,
                infoComments,  infoCopyright,      infoURL,
                infoEncodedBy, GenreName(m_genre), m_year > 0 ? QString::number(m_year) : QString()};
    // A year is given per file: the ripper sets it only when its year field is filled, and a
    // cleared field must not bring back the year of an earlier rip.
    m_year = 0;
    const QByteArray path = QFile::encodeName(fileName);
    const QString ext = info.suffix().toLower();
    bool saved = false;
    if (ext == "mp3") {
        TagLib::MPEG::File f(fileNameOf(path), false);
        if (!f.isValid() || f.firstFrameOffset() < 0) tagError(fileName, QStringLiteral("not an MP3 file"));
        writeId3v2(f.ID3v2Tag(true), v);
        saved = f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4,
                       TagLib::File::DoNotDuplicate);
    } else if (ext == "ogg") {
        TagLib::Ogg::Vorbis::File f(fileNameOf(path), false);
        if (!f.isValid() || !f.tag()) tagError(fileName, QStringLiteral("not an Ogg Vorbis file"));
        TagLib::Ogg::XiphComment* c = f.tag();
        setXiph(c, "ALBUM", v.album);
        setXiph(c, "ARTIST", v.artist);
        setXiph(c, "TITLE", v.title);
        setXiph(c, "COMMENT", v.comments);
        setXiph(c, "COPYRIGHT", v.copyright);
        setXiph(c, "URL", v.url);
        setXiph(c, "ENCODEDBY", v.encodedBy);
        setXiph(c, "GENRE", v.genre);
        setXiph(c, "DATE", v.year);
        saved = f.save();
    } else if (ext == "wma" || ext == "asf") {
        TagLib::ASF::File f(fileNameOf(path), false);
        if (!f.isValid() || !f.tag()) tagError(fileName, QStringLiteral("not a WMA file"));
        TagLib::ASF::Tag* t = f.tag();
        t->setTitle(tl(v.title));
        t->setArtist(tl(v.artist));
        t->setCopyright(tl(v.copyright));
        t->setComment(tl(v.comments));
        setAsf(t, "WM/AlbumTitle", v.album);
        setAsf(t, "WM/AuthorURL", v.url);
        setAsf(t, "WM/EncodedBy", v.encodedBy);
        setAsf(t, "WM/Genre", v.genre);
        setAsf(t, "WM/Year", v.year);
        saved = f.save();
    } else if (ext == "wav") {
        TagLib::RIFF::WAV::File f(fileNameOf(path), false);
        if (!f.isValid()) tagError(fileName, QStringLiteral("not a WAV file"));
        writeId3v2(f.ID3v2Tag(), v);
        TagLib::RIFF::Info::Tag* i = f.InfoTag();
        setInfo(i, "IPRD", v.album);
        setInfo(i, "IART", v.artist);
        setInfo(i, "INAM", v.title);
        setInfo(i, "ICMT", v.comments);
        setInfo(i, "ICOP", v.copyright);
        setInfo(i, "ITCH", v.encodedBy);
        setInfo(i, "IGNR", v.genre);
        setInfo(i, "ICRD", v.year);
        saved = f.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripOthers, TagLib::ID3v2::v4);
    } else {
        TagLib::FileRef f(fileNameOf(path), false);
        if (f.isNull() || !f.file()->isValid())
            tagError(fileName, QStringLiteral("the file type has no tags"));
        TagLib::PropertyMap p = f.file()->properties();
        auto put = [&p](const char* key, const QString& value) {
            if (value.isEmpty())
                p.erase(key);
            else
                p.replace(key, TagLib::StringList(tl(value)));
        };
        put("ALBUM", v.album);
        put("ARTIST", v.artist);
        put("TITLE", v.title);
        put("COMMENT", v.comments);
        put("COPYRIGHT", v.copyright);
        put("URL", v.url);
        put("ENCODEDBY", v.encodedBy);
        put("GENRE", v.genre);
        put("DATE", v.year);
        f.file()->setProperties(p);
        saved = f.save();
    }
    if (!saved) tagError(fileName, QStringLiteral("the file could not be saved"));
}
