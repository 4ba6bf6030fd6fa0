#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>

// The names of ripped files, and the small text routines the ripper's windows share: fields of
// separated texts and two-digit numbers.
namespace RNaming {

// The full name, without extension, of a ripped track under the rip folder RGlobeVar::ROutPutPath,
// by pattern 1..14 (the options window's list index + 1), and the folders the pattern names,
// created in order (an existing folder is fine; a folder that cannot be made shows when the grab
// cannot write). Another pattern gives an empty name.
//
// Album, artist and title come from the disc database or the user and are made safe for a file
// name first: "/" and control characters become "_", a part that is "." or ".." becomes "_", and
// each part is cut to 200 bytes (UTF-8) on a character boundary; then an empty album, artist or
// title becomes "Album", "Artist" or "Title". The rip folder is used with a final "/" (an empty
// one is the program folder). A file name that would pass the file system's 255 bytes (patterns
// that join three parts) is cut to leave room for an extension and a run suffix.
QString BuildOutputName(int Pattern, const QString& Album, const QString& Artist, const QString& Title,
                        const QString& Number);
// The same under the rip folder `folder` (a rip's own copy of the setting).
QString BuildOutputName(QString folder, int Pattern, const QString& Album, const QString& Artist,
                        const QString& Title, const QString& Number);

// The names given out in one rip, so that no track of the run writes over a file an earlier track
// of the same run wrote (patterns 13 and 14 name every track alike; titles repeat).
class TRipRunNames {
public:
    // `name` + `extension` (".wav", ...); a name already given out in this run gets "-" + `number`
    // before the extension (then "-2", "-3", ... after that, should that be taken too).
    QString Claim(const QString& name, const QString& extension, const QString& number);

private:
    QSet<QString> m_given;
};

// The N-th field (1-based) of Text, fields separated by "," / ":" / "-". A field is found only
// when a separator follows it: "0,4," gives "0" and "4" for N = 1 and 2, and an empty third
// field; N below 1 gives an empty text.
QString FieldOfList(const QString& Text, int N);
QString FieldOfTime(const QString& Text, int N);
QString FieldOfDate(const QString& Text, int N);

// The time of a date-time value as "hh:mm:ss" with ":" appended, so FieldOfTime finds all three
// fields.
QString TimeTextWithColon(const QDateTime& Time);

// N in decimal, with a "0" in front when N <= 9 ("07"); 10 and above unchanged.
QString TwoDigitNumber(int N);

} // namespace RNaming
