#include "components/TAudioInformation2.h"

#include "components/AudioDecoder.h"
#include "components/ComponentError.h"
#include "components/FfmpegUtil.h"
#include "components/GenreList.h"
#include "platform/FileNames.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <taglib/asffile.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tiostream.h>
#include <taglib/tpropertymap.h>
#include <taglib/urllinkframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace {

TagLib::String tl(const QString& s) {
    return TagLib::String(s.toStdString(), TagLib::String::UTF8);
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

QString systemError(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

bool readAt(int fd, int64_t offset, char* data, std::size_t size, std::size_t* got) {
    *got = 0;
    while (*got < size) {
        const ssize_t n = ::pread(fd, data + *got, size - *got, off_t(offset + int64_t(*got)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        *got += std::size_t(n);
    }
    return true;
}

bool writeAt(int fd, int64_t offset, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        offset += n;
        size -= std::size_t(n);
    }
    return true;
}

// TagLib's own file stream writes through buffered stdio and never learns that a write failed (a
// full disk): its save() then reports success for a damaged file. This stream writes through the
// system calls and remembers the first failure.
class CheckedStream : public TagLib::IOStream {
public:
    CheckedStream(int fd, QByteArray name) : m_fd(fd), m_name(std::move(name)) {}
    CheckedStream(const CheckedStream&) = delete;
    CheckedStream& operator=(const CheckedStream&) = delete;

    int error() const { return m_error; }

    TagLib::FileName name() const override { return m_name.constData(); }
    TagLib::ByteVector readBlock(unsigned long length) override {
        TagLib::ByteVector block(static_cast<unsigned int>(std::min<unsigned long>(length, kMaxRead)), '\0');
        std::size_t got = 0;
        if (!readAt(m_fd, m_pos, block.data(), block.size(), &got)) fail();
        block.resize(static_cast<unsigned int>(got));
        m_pos += int64_t(got);
        return block;
    }
    void writeBlock(const TagLib::ByteVector& data) override {
        if (!writeAt(m_fd, m_pos, data.data(), data.size())) fail();
        m_pos += data.size();
    }
    void insert(const TagLib::ByteVector& data, unsigned long start, unsigned long replace) override {
        const int64_t size = data.size();
        if (size <= int64_t(replace)) {
            seek(long(start), Beginning);
            writeBlock(data);
            if (size < int64_t(replace)) removeBlock(start + data.size(), replace - data.size());
            return;
        }
        // The rest of the file moves back by the difference, last chunk first.
        const int64_t delta = size - int64_t(replace);
        const int64_t tail = int64_t(start) + int64_t(replace);
        std::vector<char> buf(kChunk);
        for (int64_t end = length(); end > tail && !m_error;) {
            const int64_t from = std::max(tail, end - int64_t(kChunk));
            std::size_t got = 0;
            if (!readAt(m_fd, from, buf.data(), std::size_t(end - from), &got) ||
                got != std::size_t(end - from) || !writeAt(m_fd, from + delta, buf.data(), got))
                fail();
            end = from;
        }
        seek(long(start), Beginning);
        writeBlock(data);
        m_pos = length();
    }
    void removeBlock(unsigned long start, unsigned long length) override {
        const int64_t total = this->length();
        int64_t to = int64_t(start), from = int64_t(start) + int64_t(length);
        std::vector<char> buf(kChunk);
        while (from < total && !m_error) {
            std::size_t got = 0;
            if (!readAt(m_fd, from, buf.data(), std::size_t(std::min<int64_t>(kChunk, total - from)), &got) ||
                got == 0 || !writeAt(m_fd, to, buf.data(), got))
                fail();
            from += int64_t(got);
            to += int64_t(got);
        }
        truncate(long(std::max<int64_t>(int64_t(start), total - int64_t(length))));
    }
    bool readOnly() const override { return false; }
    bool isOpen() const override { return true; }
    void seek(long offset, Position p) override {
        if (p == Current)
            m_pos += offset;
        else if (p == End)
            m_pos = length() + offset;
        else
            m_pos = offset;
        m_pos = std::max<int64_t>(0, m_pos);
    }
    long tell() const override { return long(m_pos); }
    long length() override {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0) {
            fail();
            return 0;
        }
        return long(st.st_size);
    }
    void truncate(long length) override {
        if (::ftruncate(m_fd, off_t(length)) != 0) fail();
        m_pos = std::min<int64_t>(m_pos, length);
    }

private:
    static constexpr std::size_t kChunk = std::size_t(1) << 20;
    static constexpr unsigned long kMaxRead = 1ul << 30;

    void fail() {
        if (!m_error) m_error = errno ? errno : EIO;
    }

    int m_fd;
    QByteArray m_name;
    int64_t m_pos = 0;
    int m_error = 0;
};

// A file descriptor closed when it goes out of scope.
struct FdCloser {
    explicit FdCloser(int f = -1) : fd(f) {}
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
};

// Copies every byte of `from` into `to`: a clone where the file system shares the data, else the
// kernel's copy, else read and write.
bool copyFile(int from, int to, int64_t size) {
    if (::ioctl(to, FICLONE, from) == 0) return true;
    int64_t done = 0;
    while (done < size) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, std::size_t(size - done), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n > 0) {
            done += n;
            continue;
        }
        if (n == 0 || (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)) {
            if (n == 0) errno = EIO;
            return false;
        }
        std::vector<char> buf(std::size_t(1) << 20);
        while (done < size) {
            std::size_t got = 0;
            if (!readAt(from, done, buf.data(),
                        std::size_t(std::min<int64_t>(int64_t(buf.size()), size - done)), &got))
                return false;
            if (got == 0) {
                errno = EIO;
                return false;
            }
            if (!writeAt(to, done, buf.data(), got)) return false;
            done += int64_t(got);
        }
    }
    return true;
}

// Writes the tags through `stream`; false when the tag library could not save them.
bool writeTagsTo(TagLib::IOStream* stream, const QString& ext, const TagValues& v, const QString& fileName) {
    if (ext == "mp3") {
        TagLib::MPEG::File f(stream, TagLib::ID3v2::FrameFactory::instance(), false);
        if (!f.isValid() || f.firstFrameOffset() < 0) tagError(fileName, QStringLiteral("not an MP3 file"));
        writeId3v2(f.ID3v2Tag(true), v);
        return f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4,
                      TagLib::File::DoNotDuplicate);
    }
    if (ext == "ogg") {
        TagLib::Ogg::Vorbis::File f(stream, false);
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
        return f.save();
    }
    if (ext == "wma" || ext == "asf") {
        TagLib::ASF::File f(stream, false);
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
        return f.save();
    }
    if (ext == "wav") {
        TagLib::RIFF::WAV::File f(stream, false);
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
        return f.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripOthers, TagLib::ID3v2::v4);
    }
    {
        TagLib::FileRef f(stream, false);
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
        return f.save();
    }
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

// The tags are written into a copy beside the file, which replaces the file (a rename in the same
// folder) only once every byte of it was written and has reached the disk: a full disk or any other
// failure leaves the file as it was.
void TAudioInformation2::WriteTags(const QString& fileName, const QString& finalName) {
    const QString& shown = finalName.isEmpty() ? fileName : finalName;
    QFileInfo info(fileName);
    if (!info.exists()) tagError(shown, QStringLiteral("the file does not exist"));
    if (!isRegularFile(fileName)) tagError(shown, QStringLiteral("not a file"));
    if (!info.isWritable()) tagError(shown, QStringLiteral("the file is read-only"));
    TagValues v{infoAlbum,     infoArtist,         infoTitle,
                infoComments,  infoCopyright,      infoURL,
                infoEncodedBy, GenreName(m_genre), m_year > 0 ? QString::number(m_year) : QString()};
    // A year is given per file: the ripper sets it only when its year field is filled, and a
    // cleared field must not bring back the year of an earlier rip.
    m_year = 0;
    const QString ext = QFileInfo(shown).suffix().toLower();
    // A symbolic link stays; the file it points to gets the tags.
    const QString target = info.isSymLink() ? info.symLinkTarget() : fileName;
    const QByteArray path = FileNameBytes(target);

    FdCloser original{::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat st {};
    if (original.fd < 0 || ::fstat(original.fd, &st) != 0)
        tagError(shown, systemError(original.fd < 0 ? errno : EIO));
    if (!S_ISREG(st.st_mode)) tagError(shown, QStringLiteral("not a file"));

    const QString folderName = QFileInfo(target).absolutePath();
    const QByteArray folder = FileNameBytes(folderName);
    QByteArray copyPath;
    FdCloser copy;
    for (int attempt = 0; attempt < 100 && copy.fd < 0; ++attempt) {
        copyPath = FileNameBytes(
            HiddenNameBeside(folderName + QLatin1Char('/'), QFileInfo(target).fileName(),
                             QLatin1Char('.') + QString::number(QRandomGenerator::global()->generate(), 36)));
        copy.fd = ::open(copyPath.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (copy.fd < 0 && errno != EEXIST) break;
    }
    if (copy.fd < 0)
        tagError(shown, QStringLiteral("no file can be created in its folder (%1)").arg(systemError(errno)));
    struct RemoveCopy {
        const QByteArray& path;
        bool keep = false;
        ~RemoveCopy() {
            if (!keep) ::unlink(path.constData());
        }
    } removeCopy{copyPath};

    // The copy keeps the file's permissions (and owner, where that is allowed).
    (void)!::fchown(copy.fd, st.st_uid, st.st_gid);
    ::fchmod(copy.fd, st.st_mode & 07777);
    if (!copyFile(original.fd, copy.fd, int64_t(st.st_size))) tagError(shown, systemError(errno));
    bool saved = false;
    int error = 0;
    {
        CheckedStream stream(copy.fd, path);
        saved = writeTagsTo(&stream, ext, v, shown);
        error = stream.error();
    }
    if (error) tagError(shown, systemError(error));
    if (!saved) tagError(shown, QStringLiteral("the file could not be saved"));
    if (::fsync(copy.fd) != 0) tagError(shown, systemError(errno));
    const int fd = copy.fd;
    copy.fd = -1;
    if (::close(fd) != 0 || ::rename(copyPath.constData(), path.constData()) != 0)
        tagError(shown, systemError(errno));
    removeCopy.keep = true;
    FdCloser dir{::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd >= 0) ::fsync(dir.fd);
}
