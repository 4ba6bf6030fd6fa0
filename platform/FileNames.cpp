#include "platform/FileNames.h"

#include <QStringView>

#include <algorithm>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t kByteEscape = 0xDC00;

// Length of the valid UTF-8 sequence starting at s[i] (1..4), or 0 when none starts there. Refuses
// overlong forms, surrogates and values past U+10FFFF, as a strict decoder does.
int ValidSequence(const unsigned char* s, qsizetype i, qsizetype n) {
    const unsigned char c = s[i];
    if (c < 0x80) return 1;
    int len = 0;
    unsigned char lo = 0x80, hi = 0xBF; // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (i + len > n) return 0;
    if (s[i + 1] < lo || s[i + 1] > hi) return 0;
    for (int k = 2; k < len; ++k)
        if (s[i + k] < 0x80 || s[i + k] > 0xBF) return 0;
    return len;
}

bool IsByteEscape(char16_t c) {
    return c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF;
}

} // namespace

QString FileNameText(const QByteArray& bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString text;
    qsizetype run = 0; // start of the valid UTF-8 not yet decoded
    qsizetype i = 0;
    while (i < n) {
        const int len = ValidSequence(s, i, n);
        if (len > 0) {
            i += len;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + run, i - run);
        text += QChar(char16_t(kByteEscape + s[i]));
        run = ++i;
    }
    if (run == 0) return QString::fromUtf8(bytes);
    text += QString::fromUtf8(bytes.constData() + run, n - run);
    return text;
}

QByteArray FileNameBytes(const QString& text) {
    bool escaped = false;
    for (QChar c : text)
        if (IsByteEscape(c.unicode())) {
            escaped = true;
            break;
        }
    if (!escaped) return text.toUtf8();
    QByteArray bytes;
    bytes.reserve(text.size() * 3);
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!IsByteEscape(c)) continue;
        bytes += QStringView(text).mid(start, i - start).toUtf8();
        bytes += char(c - kByteEscape);
        start = i + 1;
    }
    bytes += QStringView(text).mid(start).toUtf8();
    return bytes;
}

QString ShownFileName(const QString& text) {
    QString shown = text;
    for (QChar& c : shown)
        if (IsByteEscape(c.unicode())) c = QChar(QChar::ReplacementCharacter);
    return shown;
}

bool FileExists(const QString& name) {
    struct stat st {};
    return ::stat(FileNameBytes(name).constData(), &st) == 0;
}

bool IsRegularFile(const QString& name) {
    struct stat st {};
    return ::stat(FileNameBytes(name).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

qint64 FileSize(const QString& name) {
    struct stat st {};
    return ::stat(FileNameBytes(name).constData(), &st) == 0 ? qint64(st.st_size) : -1;
}

bool RemoveFile(const QString& name) {
    return ::unlink(FileNameBytes(name).constData()) == 0;
}

qsizetype NameLimit(const QString& folder) {
    const QByteArray path = folder.isEmpty() ? QByteArray(".") : FileNameBytes(folder);
    const long limit = ::pathconf(path.constData(), _PC_NAME_MAX);
    return limit > 0 ? std::min<qsizetype>(limit, NAME_MAX) : NAME_MAX;
}

QString CutFileName(const QString& name, qsizetype bytes) {
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < name.size()) {
        const char16_t c = name[i].unicode();
        const qsizetype units =
            QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate() ? 2 : 1;
        const qsizetype size = IsByteEscape(c) ? 1 : QStringView(name).mid(i, units).toUtf8().size();
        if (used + size > bytes) break;
        used += size;
        i += units;
    }
    return name.left(i);
}

QString HiddenNameBeside(const QString& folder, const QString& name, const QString& tail) {
    const qsizetype room = NameLimit(folder) - 1 - FileNameBytes(tail).size();
    return folder + QLatin1Char('.') + CutFileName(name, std::max<qsizetype>(room, 0)) + tail;
}
