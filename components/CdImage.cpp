#include "components/CdImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>

#include <libcue.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

namespace CdImage {

namespace {

// A CUE sheet or TOC file is a few kilobytes; a sheet of 99 tracks with all its texts has well
// under a thousand lines.
constexpr qint64 kMaxSheetBytes = 1 << 20;
constexpr int kMaxSheetLines = 4000;
// A CD holds at most 99 tracks and (overburnt) less than 100 minutes.
constexpr int kMaxTracks = 99;
constexpr int32_t kMaxDiscSectors = 100 * 60 * 75;
// Between the last track of a session and the first of the next lie the session's lead-out
// (6750 sectors), the next lead-in (4500) and the first track's pregap (150).
constexpr int32_t kSessionGap = 11400;
constexpr int kAudioSectorBytes = 2352;

struct Failure {
    QString text;
};

[[noreturn]] void fail(int line, const QString& what) {
    throw Failure{line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(what) : what};
}

QString msfText(int64_t sectors) {
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / (75 * 60), 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

// "mm:ss:ff" with ss < 60 and ff < 75; nullopt for anything else.
std::optional<int32_t> parseMsf(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3) return std::nullopt;
    int values[3];
    for (int i = 0; i < 3; ++i) {
        const QString& p = parts[i];
        if (p.isEmpty() || p.size() > 4) return std::nullopt;
        for (QChar c : p)
            if (!c.isDigit()) return std::nullopt;
        values[i] = p.toInt();
    }
    if (values[1] >= 60 || values[2] >= 75) return std::nullopt;
    const int64_t sectors = (static_cast<int64_t>(values[0]) * 60 + values[1]) * 75 + values[2];
    if (sectors > kMaxDiscSectors) return std::nullopt;
    return static_cast<int32_t>(sectors);
}

std::optional<int64_t> parseCount(const QString& text) {
    if (text.isEmpty() || text.size() > 12) return std::nullopt;
    for (QChar c : text)
        if (!c.isDigit()) return std::nullopt;
    return text.toLongLong();
}

// The text of a sheet as lines, refused when it cannot be one.
QStringList sheetLines(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) fail(0, QStringLiteral("it is not a plain file"));
    if (info.size() > kMaxSheetBytes) fail(0, QStringLiteral("it is too large for a CUE sheet or TOC file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) fail(0, file.errorString());
    const QByteArray bytes = file.read(kMaxSheetBytes + 1);
    if (bytes.contains('\0')) fail(0, QStringLiteral("it is not a text file"));
    for (qsizetype i = bytes.indexOf('\r'); i >= 0; i = bytes.indexOf('\r', i + 1)) {
        if (i + 1 >= bytes.size() || bytes[i + 1] != '\n')
            fail(static_cast<int>(bytes.left(i).count('\n')) + 1,
                 QStringLiteral(
                     "the line ends with a carriage return alone; lines must end with LF or CR LF"));
    }
    // Sheets are UTF-8, or in the writer's 8-bit code page: taken as Latin-1 then.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xfeff))) text.remove(0, 1);
    text.remove(QLatin1Char('\r'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > kMaxSheetLines)
        fail(0,
             QStringLiteral("it has %1 lines; a sheet has at most %2").arg(lines.size()).arg(kMaxSheetLines));
    return lines;
}

// Words of a sheet line; a quoted word may hold blanks. `complete` turns false when a quote is
// not closed.
QStringList words(const QString& line, bool* complete) {
    QStringList result;
    *complete = true;
    int i = 0;
    const int n = static_cast<int>(line.size());
    while (i < n) {
        while (i < n && line[i].isSpace())
            ++i;
        if (i >= n) break;
        QString word;
        if (line[i] == QLatin1Char('"')) {
            const int end = static_cast<int>(line.indexOf(QLatin1Char('"'), i + 1));
            if (end < 0) {
                *complete = false;
                return result;
            }
            word = line.mid(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < n && !line[i].isSpace())
                word += line[i++];
        }
        result << word;
    }
    return result;
}

// ---- data files ---------------------------------------------------------------------------------

struct FileTable {
    QDir folder;
    std::vector<DataFile> files;
    std::map<QString, int> byPath;

    // Adds (or finds) the data file `name` of the sheet; `wave` when it is a WAVE file (unset:
    // when it starts as one).
    int add(const QString& name, int line, std::optional<bool> wave, bool mayRepeat) {
        if (name.isEmpty()) fail(line, QStringLiteral("the data file has no name"));
        const QString path = QDir::cleanPath(folder.absoluteFilePath(name));
        if (auto it = byPath.find(path); it != byPath.end()) {
            if (!mayRepeat) fail(line, QStringLiteral("the data file %1 is named a second time").arg(name));
            return it->second;
        }
        const QFileInfo info(path);
        if (!info.exists()) fail(line, QStringLiteral("the data file %1 does not exist").arg(path));
        // A FIFO or a device would block the reader or never end.
        if (!info.isFile()) fail(line, QStringLiteral("%1 is not a plain file").arg(path));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            fail(line, QStringLiteral("%1: %2").arg(path, file.errorString()));
        DataFile data;
        data.path = path;
        const QByteArray head = file.read(12);
        const bool riff = head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
        data.wave = wave.value_or(riff);
        if (data.wave) {
            if (!riff) fail(line, QStringLiteral("%1 is not a WAVE file").arg(name));
            readWaveHeader(file, name, line, &data);
        } else {
            data.dataBytes = file.size();
        }
        if (data.dataBytes / kAudioSectorBytes > kMaxDiscSectors)
            fail(line, QStringLiteral("%1 is larger than a CD can hold").arg(name));
        byPath[path] = static_cast<int>(files.size());
        files.push_back(data);
        return static_cast<int>(files.size()) - 1;
    }

    // The samples of a WAVE file must be those of a CD: 16-bit stereo PCM at 44.1 kHz.
    static void readWaveHeader(QFile& file, const QString& name, int line, DataFile* data) {
        bool format = false;
        qint64 pos = 12;
        for (int chunks = 0; chunks < 64; ++chunks) {
            file.seek(pos);
            const QByteArray header = file.read(8);
            if (header.size() < 8) break;
            const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
            const QByteArray id = header.left(4);
            if (id == "fmt ") {
                const QByteArray fmt = file.read(std::min<quint32>(size, 40));
                if (fmt.size() < 16) break;
                quint16 tag = qFromLittleEndian<quint16>(fmt.constData());
                if (tag == 0xfffe && fmt.size() >= 26) tag = qFromLittleEndian<quint16>(fmt.constData() + 24);
                const quint16 channels = qFromLittleEndian<quint16>(fmt.constData() + 2);
                const quint32 rate = qFromLittleEndian<quint32>(fmt.constData() + 4);
                const quint16 bits = qFromLittleEndian<quint16>(fmt.constData() + 14);
                if (tag != 1 || channels != 2 || rate != 44100 || bits != 16)
                    fail(line, QStringLiteral("%1 is not 16-bit stereo PCM at 44100 Hz as a CD's audio is")
                                   .arg(name));
                format = true;
            } else if (id == "data") {
                if (!format) break;
                data->dataOffset = pos + 8;
                // A size left at its maximum (a file written as a stream) runs to the end.
                data->dataBytes = std::min<qint64>(size, file.size() - data->dataOffset);
                return;
            }
            pos += 8 + size + (size & 1);
        }
        fail(line, QStringLiteral("%1 is not a readable WAVE file").arg(name));
    }

    qint64 sectorsOf(int file, qint64 fromByte, int stride) const {
        const qint64 bytes = files[file].dataBytes - fromByte;
        return bytes <= 0 ? 0 : (bytes + stride - 1) / stride;
    }
};

// ---- building the layout ------------------------------------------------------------------------

struct Builder {
    Layout layout;
    int32_t position = 0; // the next sector of the disc

    void silence(int64_t sectors, int line) {
        if (sectors <= 0) return;
        check(sectors, line);
        layout.extents.push_back({position, static_cast<int32_t>(sectors), -1, 0, kAudioSectorBytes, false});
        position += static_cast<int32_t>(sectors);
    }
    void data(int file, qint64 offset, int64_t sectors, int stride, bool bigEndian, int line) {
        if (sectors <= 0) return;
        check(sectors, line);
        layout.extents.push_back({position, static_cast<int32_t>(sectors), file, offset, stride, bigEndian});
        position += static_cast<int32_t>(sectors);
    }
    void check(int64_t sectors, int line) const {
        if (position + sectors > kMaxDiscSectors)
            fail(line, QStringLiteral("the disc would be longer than a CD can be (%1)")
                           .arg(msfText(kMaxDiscSectors)));
    }
    // Makes the gap between the sessions as long as on a disc: silence is inserted at `at`
    // (an index into the extents that starts at sector `from`) so that `to` lies kSessionGap on.
    void widenSessionGap(size_t at, int32_t from, int32_t* to, int line) {
        const int32_t missing = kSessionGap - (*to - from);
        if (missing <= 0) return;
        check(missing, line);
        for (size_t i = at; i < layout.extents.size(); ++i)
            layout.extents[i].start += missing;
        layout.extents.insert(layout.extents.begin() + static_cast<std::ptrdiff_t>(at),
                              Extent{from, missing, -1, 0, kAudioSectorBytes, false});
        position += missing;
        *to += missing;
    }
};

// What the sheet says about one track, before the disc positions are known.
struct SheetTrack {
    int number = 0;
    int line = 0;
    bool audio = true;
    int type = 0;       // as CdTrackInfo::type; 2 = decided from the first sector's subheader
    int stride = 2352;  // bytes per sector in the data file
    int submodeAt = -1; // where the XA submode byte lies in the stored sector, -1: not XA
    int session = 0;
};

// The kind of a mode 2 track from the submode byte of its first sector: form 2 or form 1.
void decideXaTypes(const std::shared_ptr<Layout>& layout, const std::vector<SheetTrack>& sheet) {
    Reader reader(layout);
    QString ignored;
    if (!reader.open(&ignored)) return;
    for (size_t i = 0; i < sheet.size(); ++i) {
        if (sheet[i].submodeAt < 0) continue;
        uint8_t buffer[32] = {};
        CdTrackInfo& t = layout->toc.tracks[i];
        if (reader.readRaw(t.start, buffer, sheet[i].submodeAt + 1))
            t.type = (buffer[sheet[i].submodeAt] & 0x20) ? 22 : 21;
    }
}

// Fills the table of contents from the track starts: lengths run to the next track of the same
// session, or to the end of the session's data (the gap between sessions belongs to no track).
void finishToc(Layout& layout, const std::vector<SheetTrack>& sheet, const std::vector<int32_t>& starts,
               const std::vector<int32_t>& sessionEnds) {
    CdToc& toc = layout.toc;
    toc.leadout = layout.extents.empty() ? 0 : layout.extents.back().start + layout.extents.back().sectors;
    int sessions = 0;
    for (size_t i = 0; i < sheet.size(); ++i) {
        CdTrackInfo t;
        t.number = sheet[i].number;
        t.session = sheet[i].session;
        t.start = starts[i];
        t.type = sheet[i].type;
        const int32_t end = i + 1 == sheet.size()                      ? toc.leadout
                            : sheet[i + 1].session != sheet[i].session ? sessionEnds[i]
                                                                       : starts[i + 1];
        t.sectors = end - t.start;
        if (t.sectors <= 0)
            fail(sheet[i].line, QStringLiteral("track %1 has no %2 (it ends where it starts)")
                                    .arg(t.number)
                                    .arg(sheet[i].audio ? QStringLiteral("audio") : QStringLiteral("data")));
        sessions = std::max(sessions, t.session + 1);
        toc.tracks.push_back(t);
    }
    toc.sessionCount = sessions;
    toc.discType = 0;
}

// A sheet without session marks whose data tracks all follow its audio tracks stands for an
// enhanced CD: the data is the second session.
void enhancedCdSessions(std::vector<SheetTrack>& sheet) {
    size_t firstData = sheet.size();
    while (firstData > 0 && !sheet[firstData - 1].audio)
        --firstData;
    if (firstData == 0 || firstData == sheet.size()) return;
    for (size_t i = firstData; i < sheet.size(); ++i)
        sheet[i].session = 1;
}

// A track mode as a sheet names it: what kind of track it is and how its sectors are stored.
struct TrackMode {
    const char* name;
    bool audio;
    int type;
    int stride;
    int submodeAt;
};

template <size_t N> const TrackMode* findMode(const TrackMode (&modes)[N], const QString& name) {
    for (const TrackMode& m : modes)
        if (name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0) return &m;
    return nullptr;
}

SheetTrack sheetTrack(const TrackMode& mode, int number, int line) {
    SheetTrack t;
    t.number = number;
    t.line = line;
    t.audio = mode.audio;
    t.type = mode.type;
    t.stride = mode.stride;
    t.submodeAt = mode.submodeAt;
    return t;
}

// ---- CUE sheets ---------------------------------------------------------------------------------

// The modes libcue reads (it refuses CDG and CD-i tracks).
const TrackMode kCueModes[] = {
    {"AUDIO", true, 0, 2352, -1},       {"MODE1/2048", false, 1, 2048, -1},
    {"MODE1/2352", false, 1, 2352, -1}, {"MODE2/2048", false, 21, 2048, -1},
    {"MODE2/2336", false, 2, 2336, 2},  {"MODE2/2352", false, 2, 2352, 18},
};

struct CueIndex {
    int number;
    int32_t position; // sectors into its file
    int file;
    int line;
};

struct CueTrack {
    SheetTrack sheet;
    int64_t pregap = 0;
    int64_t postgap = 0;
    std::vector<CueIndex> indexes;
    const CueIndex* first() const { return &indexes.front(); }
    const CueIndex* index1() const {
        for (const CueIndex& i : indexes)
            if (i.number == 1) return &i;
        return nullptr;
    }
};

const QStringList kCueTextCommands = {
    QStringLiteral("CATALOG"),   QStringLiteral("CDTEXTFILE"), QStringLiteral("TITLE"),
    QStringLiteral("PERFORMER"), QStringLiteral("SONGWRITER"), QStringLiteral("COMPOSER"),
    QStringLiteral("ARRANGER"),  QStringLiteral("MESSAGE"),    QStringLiteral("DISC_ID"),
    QStringLiteral("GENRE"),     QStringLiteral("TOC_INFO1"),  QStringLiteral("TOC_INFO2"),
    QStringLiteral("UPC_EAN"),   QStringLiteral("ISRC"),       QStringLiteral("SIZE_INFO"),
    QStringLiteral("FLAGS"),
};

// Checks every line of a CUE sheet; what libcue is then given is known to be a sane sheet.
std::vector<CueTrack> scanCue(const QStringList& lines, FileTable& files, std::vector<bool>& motorola,
                              bool* sessionsMarked) {
    std::vector<CueTrack> tracks;
    int file = -1;
    int fileLine = 0;
    bool fileUsed = true;
    int session = 1;
    *sessionsMarked = false;
    for (int n = 0; n < lines.size(); ++n) {
        const int line = n + 1;
        bool complete = true;
        const QStringList w = words(lines[n], &complete);
        if (!complete) fail(line, QStringLiteral("a quotation mark is not closed"));
        if (w.isEmpty()) continue;
        const QString command = w[0].toUpper();
        CueTrack* track = tracks.empty() ? nullptr : &tracks.back();
        auto needArgs = [&](int count, const char* form) {
            if (w.size() != count + 1)
                fail(line, QStringLiteral("%1 must be written \"%2\"").arg(command, QLatin1String(form)));
        };
        if (command == QStringLiteral("REM")) {
            if (w.size() >= 2 && w[1].toUpper() == QStringLiteral("SESSION")) {
                const auto value = w.size() == 3 ? parseCount(w[2]) : std::nullopt;
                if (!value || *value < 1 || *value > 99 || *value < session)
                    fail(line,
                         QStringLiteral("REM SESSION needs a session number from %1 to 99").arg(session));
                session = static_cast<int>(*value);
                *sessionsMarked = true;
            }
        } else if (kCueTextCommands.contains(command)) {
            // texts and flags: no part of the table of contents
        } else if (command == QStringLiteral("FILE")) {
            needArgs(2, "FILE \"name\" BINARY|MOTOROLA|WAVE");
            if (!fileUsed) fail(fileLine, QStringLiteral("no track uses the data file of this FILE line"));
            const QString type = w[2].toUpper();
            if (type != QStringLiteral("BINARY") && type != QStringLiteral("MOTOROLA") &&
                type != QStringLiteral("WAVE"))
                fail(
                    line,
                    QStringLiteral("%1 files cannot be read; BINARY, MOTOROLA and WAVE files can").arg(w[2]));
            file = files.add(w[1], line, type == QStringLiteral("WAVE"), false);
            motorola.push_back(type == QStringLiteral("MOTOROLA"));
            fileLine = line;
            fileUsed = false;
        } else if (command == QStringLiteral("TRACK")) {
            needArgs(2, "TRACK nn mode");
            if (file < 0) fail(line, QStringLiteral("TRACK comes before any FILE line"));
            if (track && !track->index1())
                fail(track->sheet.line, QStringLiteral("track %1 has no INDEX 01").arg(track->sheet.number));
            const auto number = parseCount(w[1]);
            if (!number || *number < 1 || *number > kMaxTracks)
                fail(line, QStringLiteral("%1 is not a track number (1 to 99)").arg(w[1]));
            if (track && *number != track->sheet.number + 1)
                fail(line,
                     QStringLiteral("track %1 follows track %2; tracks are numbered one after the other")
                         .arg(*number)
                         .arg(track->sheet.number));
            const TrackMode* mode = findMode(kCueModes, w[2]);
            if (!mode)
                fail(line,
                     QStringLiteral("%1 is not a track mode that can be read (AUDIO, MODE1/2048, MODE1/2352, "
                                    "MODE2/2048, MODE2/2336 or MODE2/2352)")
                         .arg(w[2]));
            CueTrack t;
            t.sheet = sheetTrack(*mode, static_cast<int>(*number), line);
            t.sheet.session = session - 1;
            tracks.push_back(t);
        } else if (command == QStringLiteral("INDEX")) {
            needArgs(2, "INDEX nn mm:ss:ff");
            if (!track) fail(line, QStringLiteral("INDEX comes before any TRACK line"));
            const auto number = parseCount(w[1]);
            if (!number || *number > 99)
                fail(line, QStringLiteral("%1 is not an index number (0 to 99)").arg(w[1]));
            const auto position = parseMsf(w[2]);
            if (!position) fail(line, QStringLiteral("%1 is not a time (mm:ss:ff)").arg(w[2]));
            const int expected =
                track->indexes.empty() ? (*number == 0 ? 0 : 1) : track->indexes.back().number + 1;
            if (*number != expected)
                fail(line, track->indexes.empty() ? QStringLiteral("a track starts with INDEX 00 or INDEX 01")
                                                  : QStringLiteral("INDEX %1 follows INDEX %2")
                                                        .arg(*number)
                                                        .arg(track->indexes.back().number));
            // Positions grow within a file; a new file starts a new count.
            const CueIndex* before = nullptr;
            for (auto t = tracks.rbegin(); t != tracks.rend() && !before; ++t)
                if (!t->indexes.empty()) before = &t->indexes.back();
            if (before && before->file == file && *position <= before->position)
                fail(line, QStringLiteral("INDEX %1 at %2 is not after the INDEX before it (%3)")
                               .arg(w[1], w[2], msfText(before->position)));
            track->indexes.push_back({static_cast<int>(*number), *position, file, line});
            fileUsed = true;
        } else if (command == QStringLiteral("PREGAP") || command == QStringLiteral("POSTGAP")) {
            needArgs(1, "PREGAP mm:ss:ff");
            if (!track) fail(line, QStringLiteral("%1 comes before any TRACK line").arg(command));
            const auto length = parseMsf(w[1]);
            if (!length) fail(line, QStringLiteral("%1 is not a time (mm:ss:ff)").arg(w[1]));
            if (command == QStringLiteral("PREGAP")) {
                if (!track->indexes.empty()) fail(line, QStringLiteral("PREGAP comes after an INDEX line"));
                track->pregap = *length;
            } else {
                if (!track->index1()) fail(line, QStringLiteral("POSTGAP comes before INDEX 01"));
                track->postgap = *length;
            }
        } else {
            fail(line, QStringLiteral("%1 is not a CUE sheet command").arg(w[0]));
        }
    }
    if (tracks.empty()) fail(0, QStringLiteral("it has no tracks"));
    if (!tracks.back().index1())
        fail(tracks.back().sheet.line,
             QStringLiteral("track %1 has no INDEX 01").arg(tracks.back().sheet.number));
    if (!fileUsed) fail(fileLine, QStringLiteral("no track uses the data file of this FILE line"));
    return tracks;
}

// The line as libcue reads it: its keywords in upper case (the command, the type of a FILE line,
// the mode of a TRACK line, the flags of a FLAGS line). Sheets with keywords in lower case exist
// (several tools write them) and the check above takes them; libcue knows only the upper-case
// forms. Quoted texts, file names and everything else stay as written.
QString keywordsInUpperCase(const QString& line) {
    QString out = line;
    std::vector<std::pair<int, int>> bare; // start and end of each word outside quotation marks
    std::vector<bool> isBare;
    const int n = static_cast<int>(line.size());
    for (int i = 0; i < n;) {
        while (i < n && line[i].isSpace())
            ++i;
        if (i >= n) break;
        if (line[i] == QLatin1Char('"')) {
            const int end = static_cast<int>(line.indexOf(QLatin1Char('"'), i + 1));
            if (end < 0) break;
            bare.emplace_back(i, end + 1);
            isBare.push_back(false);
            i = end + 1;
        } else {
            const int start = i;
            while (i < n && !line[i].isSpace())
                ++i;
            bare.emplace_back(start, i);
            isBare.push_back(true);
        }
    }
    // ASCII letters only: a keyword is ASCII, and the line keeps its length.
    auto upper = [&](size_t word) {
        if (word >= bare.size() || !isBare[word]) return;
        for (int i = bare[word].first; i < bare[word].second; ++i)
            if (out[i] >= QLatin1Char('a') && out[i] <= QLatin1Char('z'))
                out[i] = QChar(out[i].unicode() - 'a' + 'A');
    };
    if (bare.empty()) return out;
    upper(0);
    const QString command = out.mid(bare[0].first, bare[0].second - bare[0].first);
    if (command == QStringLiteral("TRACK")) {
        upper(2);
    } else if (command == QStringLiteral("FILE")) {
        if (bare.size() >= 3) upper(bare.size() - 1);
    } else if (command == QStringLiteral("FLAGS")) {
        for (size_t word = 1; word < bare.size(); ++word)
            upper(word);
    }
    return out;
}

struct CueDeleter {
    void operator()(Cd* cd) const { cd_delete(cd); }
};

// libcue reads the checked sheet; its track modes and index positions must be ours. (libcue
// keeps one file per track and counts PREGAP and INDEX 00 as one gap, so which file each index
// lies in and the PREGAP lengths come from the check above.)
void crossCheckWithLibcue(const QStringList& lines, const std::vector<CueTrack>& tracks) {
    QStringList forLibcue;
    for (const QString& line : lines)
        forLibcue << keywordsInUpperCase(line);
    const QByteArray text = forLibcue.join(QLatin1Char('\n')).toUtf8() + '\n';
    std::unique_ptr<Cd, CueDeleter> cd(cue_parse_string(text.constData()));
    if (!cd) fail(0, QStringLiteral("libcue cannot read it"));
    if (cd_get_ntrack(cd.get()) != static_cast<int>(tracks.size()))
        fail(0, QStringLiteral("libcue reads %1 tracks in it, not %2")
                    .arg(cd_get_ntrack(cd.get()))
                    .arg(tracks.size()));
    for (size_t i = 0; i < tracks.size(); ++i) {
        const Track* t = cd_get_track(cd.get(), static_cast<int>(i) + 1);
        const CueTrack& ours = tracks[i];
        const bool audio = t && track_get_mode(t) == MODE_AUDIO;
        if (!t || audio != ours.sheet.audio || track_get_index(t, 1) != ours.index1()->position)
            fail(ours.sheet.line, QStringLiteral("libcue reads track %1 differently").arg(ours.sheet.number));
    }
}

std::shared_ptr<Layout> layoutFromCue(const QString& path) {
    const QStringList lines = sheetLines(path);
    FileTable files{QFileInfo(path).absoluteDir(), {}, {}};
    bool sessionsMarked = false;
    std::vector<bool> motorola; // MOTOROLA files hold big-endian samples
    std::vector<CueTrack> tracks = scanCue(lines, files, motorola, &sessionsMarked);
    crossCheckWithLibcue(lines, tracks);
    if (!sessionsMarked) {
        std::vector<SheetTrack> sheet;
        for (const CueTrack& t : tracks)
            sheet.push_back(t.sheet);
        enhancedCdSessions(sheet);
        for (size_t i = 0; i < tracks.size(); ++i)
            tracks[i].sheet.session = sheet[i].session;
    }

    Builder b;
    b.layout.files = files.files;
    int file = 0;       // the file being laid out
    int32_t cursor = 0; // sectors of it laid out so far
    qint64 cursorBytes = 0;
    // Lays out the sectors of the current file up to `position` (or its end) as `stride` sectors.
    auto upTo = [&](std::optional<int32_t> position, int stride, int line) {
        const qint64 available = files.sectorsOf(file, cursorBytes, stride);
        if (position) {
            const int64_t wanted = *position - cursor;
            if (wanted > available)
                fail(line, QStringLiteral("%1 lies past the end of %2 (its data ends at %3)")
                               .arg(msfText(*position), QFileInfo(files.files[file].path).fileName(),
                                    msfText(cursor + available)));
        }
        const int64_t count = position ? *position - cursor : available;
        b.data(file, files.files[file].dataOffset + cursorBytes, count, stride, motorola[file], line);
        cursor += static_cast<int32_t>(count);
        cursorBytes += count * stride;
    };
    // Lays out everything before the index `to`, across file changes, as sectors of `stride`.
    auto reach = [&](const CueIndex& to, int stride) {
        while (file < to.file) {
            upTo(std::nullopt, stride, to.line);
            ++file;
            cursor = 0;
            cursorBytes = 0;
        }
        upTo(to.position, stride, to.line);
    };

    std::vector<int32_t> starts, sessionEnds(tracks.size(), 0);
    std::vector<SheetTrack> sheet;
    for (size_t i = 0; i < tracks.size(); ++i) {
        const CueTrack& t = tracks[i];
        const int previousStride = i > 0 ? tracks[i - 1].sheet.stride : t.sheet.stride;
        reach(*t.first(), previousStride); // the rest of the previous track
        if (i > 0) b.silence(tracks[i - 1].postgap, t.sheet.line);
        const size_t gapAt = b.layout.extents.size();
        int32_t sessionEnd = b.position;
        if (i > 0) sessionEnds[i - 1] = sessionEnd;
        b.silence(t.pregap, t.sheet.line);
        reach(*t.index1(), t.sheet.stride); // INDEX 00 .. INDEX 01: the track's pregap
        int32_t start = b.position;
        if (i > 0 && tracks[i - 1].sheet.session != t.sheet.session) {
            // A marked session in the data file of the last one (an image read sector by sector
            // across the sessions) holds the gap between them: the last session ends where the
            // gap begins, kSessionGap sectors before the new session's first track.
            const CueTrack& before = tracks[i - 1];
            const int32_t gapBegins = start - kSessionGap;
            if (sessionsMarked && t.pregap == 0 && before.postgap == 0 &&
                before.index1()->file == t.index1()->file && gapBegins > starts.back() &&
                gapBegins < sessionEnd)
                sessionEnd = sessionEnds[i - 1] = gapBegins;
            b.widenSessionGap(gapAt, sessionEnd, &start, t.sheet.line);
        }
        starts.push_back(start);
        sheet.push_back(t.sheet);
    }
    const CueTrack& last = tracks.back();
    while (file < static_cast<int>(files.files.size())) {
        upTo(std::nullopt, last.sheet.stride, last.sheet.line);
        ++file;
        cursor = 0;
        cursorBytes = 0;
    }
    b.silence(last.postgap, last.sheet.line);

    auto layout = std::make_shared<Layout>(std::move(b.layout));
    finishToc(*layout, sheet, starts, sessionEnds);
    decideXaTypes(layout, sheet);
    return layout;
}

// ---- cdrdao TOC files ---------------------------------------------------------------------------

struct Token {
    QString text;
    int line;
    bool quoted;
};

std::vector<Token> tocTokens(const QStringList& lines) {
    std::vector<Token> tokens;
    for (int n = 0; n < lines.size(); ++n) {
        const QString& s = lines[n];
        const int len = static_cast<int>(s.size());
        int i = 0;
        while (i < len) {
            const QChar c = s[i];
            if (c.isSpace()) {
                ++i;
            } else if (c == QLatin1Char('/') && i + 1 < len && s[i + 1] == QLatin1Char('/')) {
                break; // comment to the end of the line
            } else if (c == QLatin1Char('"')) {
                QString word;
                ++i;
                while (i < len && s[i] != QLatin1Char('"')) {
                    if (s[i] == QLatin1Char('\\') && i + 1 < len) ++i;
                    word += s[i++];
                }
                if (i >= len) fail(n + 1, QStringLiteral("a quotation mark is not closed"));
                ++i;
                tokens.push_back({word, n + 1, true});
            } else if (c == QLatin1Char('{') || c == QLatin1Char('}') || c == QLatin1Char(',')) {
                tokens.push_back({QString(c), n + 1, false});
                ++i;
            } else {
                QString word;
                while (i < len && !s[i].isSpace() && s[i] != QLatin1Char('{') && s[i] != QLatin1Char('}') &&
                       s[i] != QLatin1Char('"') && s[i] != QLatin1Char(','))
                    word += s[i++];
                tokens.push_back({word, n + 1, false});
            }
        }
    }
    return tokens;
}

const TrackMode kTocModes[] = {
    {"AUDIO", true, 0, 2352, -1},         {"MODE0", false, 1, 2336, -1},
    {"MODE1", false, 1, 2048, -1},        {"MODE1_RAW", false, 1, 2352, -1},
    {"MODE2", false, 2, 2336, 2},         {"MODE2_FORM1", false, 21, 2048, -1},
    {"MODE2_FORM2", false, 22, 2324, -1}, {"MODE2_FORM_MIX", false, 2, 2332, 2},
    {"MODE2_RAW", false, 2, 2352, 18},
};

class TocParser {
public:
    TocParser(std::vector<Token> tokens, FileTable& files) : m_tokens(std::move(tokens)), m_files(files) {}

    std::shared_ptr<Layout> parse() {
        while (more()) {
            const Token& t = next();
            const QString word = t.text.toUpper();
            if (t.quoted)
                fail(t.line, QStringLiteral("\"%1\" stands where a keyword is expected").arg(t.text));
            if (word == QStringLiteral("CD_DA") || word == QStringLiteral("CD_ROM") ||
                word == QStringLiteral("CD_ROM_XA") || word == QStringLiteral("CD_I")) {
            } else if (word == QStringLiteral("CATALOG")) {
                quoted(t);
            } else if (word == QStringLiteral("CD_TEXT")) {
                skipBlock(t);
            } else if (word == QStringLiteral("TRACK")) {
                track(t);
            } else {
                fail(t.line, QStringLiteral("%1 is not a TOC file keyword").arg(t.text));
            }
        }
        if (m_sheet.empty()) fail(0, QStringLiteral("it has no tracks"));
        // A TOC file has no session marks (cdrdao writes one file per session): its tracks are one
        // session, laid out as the file lays them out, whatever their modes.
        m_b.layout.files = m_files.files;
        auto layout = std::make_shared<Layout>(std::move(m_b.layout));
        finishToc(*layout, m_sheet, m_starts, std::vector<int32_t>(m_sheet.size(), 0));
        decideXaTypes(layout, m_sheet);
        return layout;
    }

private:
    bool more() const { return m_pos < m_tokens.size(); }
    const Token& next() {
        if (!more())
            fail(m_tokens.empty() ? 0 : m_tokens.back().line,
                 QStringLiteral("the file ends in the middle of a statement"));
        return m_tokens[m_pos++];
    }
    const Token* peek() const { return more() ? &m_tokens[m_pos] : nullptr; }
    bool peekWord(const char* word) const {
        const Token* t = peek();
        return t && !t->quoted && t->text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    QString quoted(const Token& after) {
        const Token& t = next();
        if (!t.quoted) fail(t.line, QStringLiteral("%1 needs a quoted text").arg(after.text));
        return t.text;
    }
    // CD-TEXT and similar blocks: { ... } with blocks inside, no part of the table of contents.
    void skipBlock(const Token& keyword) {
        int depth = 0;
        do {
            const Token& t = next();
            if (t.quoted) continue;
            if (t.text == QStringLiteral("{")) {
                ++depth;
            } else if (t.text == QStringLiteral("}")) {
                --depth;
            } else if (depth == 0) {
                fail(t.line, QStringLiteral("%1 must be followed by a block in braces").arg(keyword.text));
            }
        } while (depth > 0);
    }
    // A length or position: mm:ss:ff in sectors, or a number of samples (`samples`, audio only).
    int64_t time(const Token& t, bool audio) {
        if (const auto msf = parseMsf(t.text)) return static_cast<int64_t>(*msf) * 588;
        if (const auto count = parseCount(t.text); count && audio) return *count;
        fail(t.line, QStringLiteral("%1 is not a time (mm:ss:ff%2)")
                         .arg(t.text, audio ? QStringLiteral(" or a number of samples") : QString()));
    }
    bool isTime(const Token* t) const {
        return t && !t->quoted && (parseMsf(t->text) || parseCount(t->text));
    }
    int64_t sectorsOf(int64_t samples, int line) {
        if (samples % 588 != 0)
            fail(line, QStringLiteral("a length of %1 samples is not a whole number of sectors (588 samples)")
                           .arg(samples));
        return samples / 588;
    }

    void track(const Token& keyword) {
        if (m_sheet.size() >= kMaxTracks) fail(keyword.line, QStringLiteral("a disc has at most 99 tracks"));
        const Token& modeToken = next();
        const TrackMode* mode = modeToken.quoted ? nullptr : findMode(kTocModes, modeToken.text);
        if (!mode) fail(modeToken.line, QStringLiteral("%1 is not a track mode").arg(modeToken.text));
        SheetTrack sheet = sheetTrack(*mode, static_cast<int>(m_sheet.size()) + 1, keyword.line);
        if (peekWord("RW") || peekWord("RW_RAW")) {
            next();
            sheet.stride += 96; // sub-channel data stored after each sector
        }
        const int32_t begin = m_b.position;
        std::optional<int64_t> start;
        while (more() && !peekWord("TRACK")) {
            const Token& t = next();
            const QString word = t.text.toUpper();
            if (t.quoted)
                fail(t.line, QStringLiteral("\"%1\" stands where a keyword is expected").arg(t.text));
            if (word == QStringLiteral("NO")) {
                const Token& what = next();
                if (what.text.toUpper() != QStringLiteral("COPY") &&
                    what.text.toUpper() != QStringLiteral("PRE_EMPHASIS"))
                    fail(what.line, QStringLiteral("NO %1 is not a TOC file statement").arg(what.text));
            } else if (word == QStringLiteral("COPY") || word == QStringLiteral("PRE_EMPHASIS") ||
                       word == QStringLiteral("TWO_CHANNEL_AUDIO") ||
                       word == QStringLiteral("FOUR_CHANNEL_AUDIO")) {
            } else if (word == QStringLiteral("ISRC")) {
                quoted(t);
            } else if (word == QStringLiteral("CD_TEXT")) {
                skipBlock(t);
            } else if (word == QStringLiteral("SILENCE") || word == QStringLiteral("ZERO")) {
                if (word == QStringLiteral("ZERO"))
                    while (peek() && !peek()->quoted && !isTime(peek()) && !peekWord("TRACK"))
                        next(); // the data mode and sub-channel mode of the zeros
                m_b.silence(sectorsOf(time(next(), true), t.line), t.line);
            } else if (word == QStringLiteral("FILE") || word == QStringLiteral("AUDIOFILE") ||
                       word == QStringLiteral("DATAFILE")) {
                fileStatement(t, sheet, word == QStringLiteral("DATAFILE"));
            } else if (word == QStringLiteral("FIFO")) {
                fail(t.line, QStringLiteral("a FIFO cannot be read as a disc image"));
            } else if (word == QStringLiteral("START")) {
                if (start) fail(t.line, QStringLiteral("the track has a second START"));
                start = isTime(peek()) ? sectorsOf(time(next(), true), t.line) : m_b.position - begin;
            } else if (word == QStringLiteral("PREGAP")) {
                if (start) fail(t.line, QStringLiteral("the track has a START and a PREGAP"));
                m_b.silence(sectorsOf(time(next(), false), t.line), t.line);
                start = m_b.position - begin;
            } else if (word == QStringLiteral("INDEX")) {
                time(next(), true);
            } else {
                fail(t.line, QStringLiteral("%1 is not a TOC file statement").arg(t.text));
            }
        }
        const int64_t length = m_b.position - begin;
        if (length <= 0) fail(keyword.line, QStringLiteral("track %1 has no data").arg(sheet.number));
        if (start && *start >= length)
            fail(keyword.line, QStringLiteral("the START of track %1 (%2) is not inside the track (%3 long)")
                                   .arg(sheet.number)
                                   .arg(msfText(*start), msfText(length)));
        m_sheet.push_back(sheet);
        m_starts.push_back(begin + static_cast<int32_t>(start.value_or(0)));
    }

    void fileStatement(const Token& t, const SheetTrack& sheet, bool dataFile) {
        const QString name = quoted(t);
        qint64 offset = 0;
        if (peek() && !peek()->quoted && peek()->text.startsWith(QLatin1Char('#'))) {
            const Token& o = next();
            const auto value = parseCount(o.text.mid(1));
            if (!value) fail(o.line, QStringLiteral("%1 is not a byte offset").arg(o.text));
            offset = *value;
        }
        bool swap = false;
        if (peekWord("SWAP")) {
            next();
            swap = true;
        }
        const int file = m_files.add(name, t.line, std::nullopt, true);
        const DataFile& data = m_files.files[file];
        // Raw audio in a TOC file's data files is big-endian unless SWAP says otherwise.
        const bool bigEndian = sheet.audio && !swap && !data.wave;
        int64_t startBytes = 0;
        if (!dataFile) startBytes = time(next(), sheet.audio) * 4 * sheet.stride / kAudioSectorBytes;
        const qint64 from = offset + startBytes;
        if (from > data.dataBytes)
            fail(t.line, QStringLiteral("the data begins past the end of %1").arg(name));
        int64_t sectors;
        if (isTime(peek())) {
            const Token& l = next();
            if (dataFile && !parseMsf(l.text)) {
                const auto bytes = parseCount(l.text);
                sectors = (*bytes + sheet.stride - 1) / sheet.stride;
            } else {
                sectors = sectorsOf(time(l, sheet.audio), l.line);
            }
            if (from + sectors * sheet.stride > data.dataBytes + sheet.stride - 1)
                fail(t.line, QStringLiteral("%1 ends before the %2 of data the line names")
                                 .arg(name, msfText(sectors)));
        } else {
            sectors = m_files.sectorsOf(file, from, sheet.stride);
        }
        m_b.data(file, data.dataOffset + from, sectors, sheet.stride, bigEndian, t.line);
    }

    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    FileTable& m_files;
    Builder m_b;
    std::vector<SheetTrack> m_sheet;
    std::vector<int32_t> m_starts;
};

std::shared_ptr<Layout> layoutFromToc(const QString& path) {
    FileTable files{QFileInfo(path).absoluteDir(), {}, {}};
    TocParser parser(tocTokens(sheetLines(path)), files);
    return parser.parse();
}

} // namespace

LoadResult load(const QString& sheetPath, bool tocFile) {
    LoadResult result;
    try {
        result.layout = tocFile ? layoutFromToc(sheetPath) : layoutFromCue(sheetPath);
    } catch (const Failure& f) {
        result.error = f.text;
    }
    return result;
}

// ---- reading ------------------------------------------------------------------------------------

Reader::Reader(std::shared_ptr<const Layout> layout) : m_layout(std::move(layout)) {}
Reader::~Reader() = default;

bool Reader::open(QString* error) {
    m_files.clear();
    for (const DataFile& f : m_layout->files) {
        auto file = std::make_unique<QFile>(f.path);
        if (!QFileInfo(f.path).isFile() || !file->open(QIODevice::ReadOnly)) {
            if (error) *error = QStringLiteral("The data file %1 cannot be read.").arg(f.path);
            m_files.clear();
            return false;
        }
        m_files.push_back(std::move(file));
    }
    return true;
}

const Extent* Reader::extentAt(int32_t lsn) const {
    const auto& extents = m_layout->extents;
    auto it = std::upper_bound(extents.begin(), extents.end(), lsn,
                               [](int32_t value, const Extent& e) { return value < e.start; });
    if (it == extents.begin()) return nullptr;
    --it;
    return lsn < it->start + it->sectors ? &*it : nullptr;
}

// Reads `count` sectors from `sector` of the extent, `bytesPerSector` bytes of each. Bytes past
// the data the file held when the sheet was read are the zeros of its last, partial sector;
// bytes within it that the file no longer has are a failed read.
bool Reader::readBytes(const Extent& extent, int32_t sector, int count, uint8_t* out, int bytesPerSector) {
    if (extent.file < 0) {
        std::memset(out, 0, static_cast<size_t>(count) * bytesPerSector);
        return true;
    }
    const DataFile& data = m_layout->files[extent.file];
    QFile& file = *m_files[extent.file];
    const qint64 end = data.dataOffset + data.dataBytes;
    for (int s = 0; s < count;) {
        const qint64 at = extent.offset + static_cast<qint64>(sector + s) * extent.stride;
        // Whole sectors next to each other are read at once.
        const int run = extent.stride == bytesPerSector ? count - s : 1;
        const qint64 want = static_cast<qint64>(run) * bytesPerSector;
        const qint64 inFile = std::clamp<qint64>(end - at, 0, want);
        uint8_t* dest = out + static_cast<size_t>(s) * bytesPerSector;
        if (inFile > 0 && (!file.seek(at) || file.read(reinterpret_cast<char*>(dest), inFile) != inFile))
            return false;
        std::memset(dest + inFile, 0, static_cast<size_t>(want - inFile));
        s += run;
    }
    return true;
}

bool Reader::readAudio(int32_t lsn, int count, int16_t* out) {
    if (m_files.size() != m_layout->files.size()) return false;
    uint8_t* bytes = reinterpret_cast<uint8_t*>(out);
    for (int done = 0; done < count;) {
        const Extent* e = extentAt(lsn + done);
        if (!e) return false;
        const int n = std::min(count - done, e->start + e->sectors - (lsn + done));
        uint8_t* dest = bytes + static_cast<size_t>(done) * kAudioSectorBytes;
        if (!readBytes(*e, lsn + done - e->start, n, dest, kAudioSectorBytes)) return false;
        const bool big = e->bigEndian;
        int16_t* samples = out + static_cast<size_t>(done) * 1176;
        for (int i = 0; i < n * 1176; ++i) {
            const uint8_t* p = dest + static_cast<size_t>(i) * 2;
            samples[i] = big ? qFromBigEndian<qint16>(p) : qFromLittleEndian<qint16>(p);
        }
        done += n;
    }
    return true;
}

bool Reader::readRaw(int32_t lsn, uint8_t* out, int bytes) {
    const Extent* e = extentAt(lsn);
    if (!e || m_files.size() != m_layout->files.size()) return false;
    std::vector<uint8_t> sector(static_cast<size_t>(std::max(e->stride, bytes)));
    if (!readBytes(*e, lsn - e->start, 1, sector.data(), std::min(e->stride, bytes))) return false;
    std::memcpy(out, sector.data(), static_cast<size_t>(bytes));
    return true;
}

} // namespace CdImage
