#include "ripper/RNaming.h"

#include "common/GlobeVar.h"
#include "platform/FileNames.h"
#include "platform/ProgramPaths.h"
#include "ripper/RGlobeVar.h"

#include <QDir>

namespace RNaming {

namespace {

constexpr int kMaxPartBytes = 200;
// A file name may hold 255 bytes; this leaves room for the extension and a run suffix.
constexpr int kMaxFileNameBytes = 240;

// One part of a name (album, artist, title, number) as a file system takes it.
QString safePart(const QString& text, const QString& whenEmpty) {
    QString part = text;
    for (QChar& c : part)
        if (c == QLatin1Char('/') || c.category() == QChar::Other_Control) c = QLatin1Char('_');
    if (part == QLatin1String(".") || part == QLatin1String("..")) part = QStringLiteral("_");
    part = CutFileName(part, kMaxPartBytes);
    return part.isEmpty() ? whenEmpty : part;
}

// A folder or file name that starts with "." is hidden by file managers: its dot becomes "_".
QString visible(QString name) {
    if (name.startsWith(QLatin1Char('.'))) name[0] = QLatin1Char('_');
    return name;
}

QString fieldOf(const QString& text, int n, QChar separator) {
    QString work = text;
    qsizetype p = work.indexOf(separator);
    int i = 1;
    while (p >= 0 && i < n) {
        work = work.mid(p + 1);
        p = work.indexOf(separator);
        ++i;
    }
    if (i != n || p < 0) return QString();
    return work.left(p);
}

} // namespace

QString BuildOutputName(int Pattern, const QString& Album, const QString& Artist, const QString& Title,
                        const QString& Number) {
    return BuildOutputName(RGlobeVar::ROutPutPath, Pattern, Album, Artist, Title, Number);
}

QString BuildOutputName(QString folder, int Pattern, const QString& Album, const QString& Artist,
                        const QString& Title, const QString& Number) {
    if (Pattern < 1 || Pattern > 14) return QString();
    if (folder.isEmpty()) folder = GlobeVar::AppPath;
    const QString O = ProgramPaths::withTrailingSeparator(folder);
    const QString A = safePart(Album, QStringLiteral("Album"));
    const QString R = safePart(Artist, QStringLiteral("Artist"));
    const QString T = safePart(Title, QStringLiteral("Title"));
    const QString N = safePart(Number, QString());
    const QString dash = QStringLiteral("-");
    const QString dot = QStringLiteral(".");

    QStringList folders; // below O, each one created in turn
    QString file;        // the file's own name, below the last folder
    switch (Pattern) {
    case 1:
        file = QStringLiteral("track") + N;
        break;
    case 2:
        file = R + dash + T;
        break;
    case 3:
    case 4:
        folders << R + dash + A;
        file = N + (Pattern == 3 ? dot : dash) + T;
        break;
    case 5:
    case 6:
        folders << R << A;
        file = N + (Pattern == 5 ? dot : dash) + T;
        break;
    case 7:
    case 8:
        folders << A;
        file = N + (Pattern == 7 ? dot : dash) + R + dash + T;
        break;
    case 9:
        file = N + dot + T;
        break;
    case 10:
        file = N + dash + T;
        break;
    case 11:
        file = R + dash + A + dash + N + dash + T;
        break;
    case 12:
        file = T;
        break;
    case 13:
        file = R + dash + A;
        break;
    default:
        file = A;
        break;
    }
    QString path = O;
    for (const QString& f : folders) {
        path += visible(CutFileName(f, kMaxFileNameBytes));
        QDir().mkdir(path);
        path += QLatin1Char('/');
    }
    return path + visible(CutFileName(file, kMaxFileNameBytes));
}

QString TRipRunNames::Claim(const QString& name, const QString& extension, const QString& number) {
    QString full = name + extension;
    for (int again = 1; m_given.contains(full); ++again)
        full = name + QLatin1Char('-') + number +
               (again > 1 ? QLatin1Char('-') + QString::number(again) : QString()) + extension;
    m_given.insert(full);
    return full;
}

QString FieldOfList(const QString& Text, int N) {
    return fieldOf(Text, N, QLatin1Char(','));
}

QString FieldOfTime(const QString& Text, int N) {
    return fieldOf(Text, N, QLatin1Char(':'));
}

QString FieldOfDate(const QString& Text, int N) {
    return fieldOf(Text, N, QLatin1Char('-'));
}

QString TimeTextWithColon(const QDateTime& Time) {
    return Time.time().toString(QStringLiteral("hh:mm:ss")) + QLatin1Char(':');
}

QString TwoDigitNumber(int N) {
    return N <= 9 ? QLatin1Char('0') + QString::number(N) : QString::number(N);
}

} // namespace RNaming
