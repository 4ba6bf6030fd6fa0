#include "recorder/Schedule.h"

#include "platform/ProfileFile.h"

#include <QLocale>

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("Schedule");

bool sameTimesAndDates(const TScheduleEntry& a, const TScheduleEntry& b) {
    TScheduleEntry x = a, y = b;
    x.Use = y.Use = 0;
    return x == y;
}

} // namespace

QString ScheduleKindText(const TScheduleEntry& e) {
    static const char* const weekDays[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                           "Friday", "Saturday", "Sunday"};
    static const char* const months[] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
    if (e.Year == 0 && e.Month == 0 && e.Day == 0 && e.DayOfWeek == 0) return QStringLiteral("Every day");
    if (e.Year != 0 && e.Month != 0 && e.Day != 0 && e.DayOfWeek == 0) {
        const QDate date(e.Year, e.Month, e.Day);
        if (!date.isValid()) return {}; // 31 February, month 13: the row stays so it can be mended
        return QStringLiteral("Special date: ") + QLocale::system().toString(date, QLocale::ShortFormat);
    }
    if (e.Year == 0 && e.Month == 0 && e.Day == 0)
        return e.DayOfWeek <= 7 ? QStringLiteral("Every week: ") + QLatin1String(weekDays[e.DayOfWeek - 1])
                                : QString();
    if (e.Year == 0 && e.Month == 0 && e.Day != 0 && e.DayOfWeek == 0)
        return QStringLiteral("Every month: ") + QString::number(e.Day);
    if (e.Year == 0 && e.Month != 0 && e.Day != 0 && e.DayOfWeek == 0)
        return e.Month <= 12 ? QStringLiteral("Every year: ") + QLatin1String(months[e.Month - 1]) + u' ' +
                                   QString::number(e.Day)
                             : QString();
    return {};
}

QString ScheduleTimeText(int hour, int minute, int second) {
    return GlobeVar::IntToZeroStr(hour, 2) + u':' + GlobeVar::IntToZeroStr(minute, 2) + u':' +
           GlobeVar::IntToZeroStr(second, 2);
}

QString ScheduleStartText(const TScheduleEntry& e) {
    return ScheduleTimeText(e.StartH, e.StartM, e.StartS);
}

QString ScheduleStopText(const TScheduleEntry& e) {
    return ScheduleTimeText(e.StopH, e.StopM, e.StopS);
}

QString ScheduleFileFilter() {
    return QStringLiteral("Ridezo mp3 recorder schedule file (*.tqd)");
}

QString ScheduleDefaultExt() {
    return QStringLiteral("tqd");
}

namespace {

// The eleven keys of an entry, each followed by the entry's number.
const char* const kEntryKeys[] = {"Use",   "StartH", "StartM", "StartS", "StopH",    "StopM",
                                  "StopS", "Day",    "Month",  "Year",   "DayOfWeek"};

// One more than the highest entry number any key of the section names: the entries the file holds.
// A key's number is read as the reader looks it up (decimal, no sign, no leading zero).
int EntriesHeld(const ProfileText& text, int limit) {
    int held = 0;
    for (const QString& key : text.readSection(kSection)) {
        for (const char* name : kEntryKeys) {
            const qsizetype length = qstrlen(name);
            if (key.size() <= length || !key.startsWith(QLatin1String(name), Qt::CaseInsensitive)) continue;
            const QStringView digits = QStringView(key).mid(length);
            if (digits.size() > 1 && digits.front() == u'0') continue;
            bool number = std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); });
            bool ok = false;
            const int n = number ? digits.toInt(&ok) : -1;
            if (ok && n < limit) held = std::max(held, n + 1);
        }
    }
    return held;
}

} // namespace

void SaveSchedule(const QString& fileName, const QList<TScheduleEntry>& entries) {
    QList<std::pair<QString, QString>> keys;
    keys.reserve(entries.size() * 11 + 1);
    keys.append({QStringLiteral("Number"), QString::number(entries.size())});
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const TScheduleEntry& e = entries[i];
        const QString n = QString::number(i);
        const int values[] = {e.Use != 0 ? 1 : 0,
                              e.StartH,
                              e.StartM,
                              e.StartS,
                              e.StopH,
                              e.StopM,
                              e.StopS,
                              e.Day,
                              e.Month,
                              e.Year,
                              e.DayOfWeek};
        for (int k = 0; k < 11; ++k)
            keys.append({QLatin1String(kEntryKeys[k]) + n, QString::number(values[k])});
    }
    // One write of the whole file: the old schedule or the new one, never a part of either.
    ProfileFile(fileName).edit([&](ProfileText& text) { text.replaceSection(kSection, keys); });
}

bool LoadSchedule(const QString& fileName, QList<TScheduleEntry>& entries) {
    const ProfileText file = ProfileFile(fileName).read();
    const int number = file.readInteger(kSection, QStringLiteral("Number"), 0);
    if (number <= 0) return false;
    // Entries whose keys are all missing take the defaults, also after the last entry the file
    // holds. Such an entry is always the same one, which fits no kind and never fires; a "Number"
    // beyond both the entries held and kMostUnheldEntries can only come from a damaged file, and
    // believing it (up to 2^31 rows) would exhaust memory and hold the window for minutes. So the
    // count is the file's "Number", but no more than the entries held or kMostUnheldEntries,
    // whichever is larger.
    constexpr int kMostUnheldEntries = 1000;
    const int count = std::min(number, std::max(EntriesHeld(file, number), kMostUnheldEntries));
    QList<TScheduleEntry> loaded;
    loaded.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString n = QString::number(i);
        auto byte = [&](const char* key, int def) {
            return static_cast<uint8_t>(file.readInteger(kSection, QLatin1String(key) + n, def));
        };
        auto word = [&](const char* key, int def) {
            return static_cast<uint16_t>(file.readInteger(kSection, QLatin1String(key) + n, def));
        };
        TScheduleEntry e;
        e.Use = file.readBool(kSection, QStringLiteral("Use") + n, true) ? 1 : 0;
        e.StartH = byte("StartH", 0);
        e.StartM = byte("StartM", 0);
        e.StartS = byte("StartS", 0);
        e.StopH = byte("StopH", 0);
        e.StopM = byte("StopM", 0);
        e.StopS = byte("StopS", 0);
        e.Day = word("Day", 1);
        e.Month = word("Month", 1);
        e.Year = word("Year", 2004);
        e.DayOfWeek = word("DayOfWeek", 1);
        loaded.append(e);
    }
    entries = loaded;
    return true;
}

bool ScheduleEntryFallsOn(const TScheduleEntry& e, QDate day) {
    if (e.Day == 0 && e.Month == 0 && e.Year == 0 && e.DayOfWeek == 0) return true;
    if (e.DayOfWeek == 0 && e.Day == day.day() && e.Month == day.month() && e.Year == day.year()) return true;
    if (e.Day == 0 && e.Month == 0 && e.Year == 0 && e.DayOfWeek == day.dayOfWeek()) return true;
    if (e.Day == day.day() && e.Month == 0 && e.Year == 0 && e.DayOfWeek == 0) return true;
    return e.Day == day.day() && e.Month == day.month() && e.Year == 0 && e.DayOfWeek == 0;
}

TScheduleTimer::TScheduleTimer(TScheduleRecorder& recorder, QObject* parent)
    : QObject(parent), m_recorder(recorder), m_clock([] { return QDateTime::currentDateTime(); }) {
    tmSchedule.setInterval(500);
    connect(&tmSchedule, &QTimer::timeout, this, &TScheduleTimer::tmScheduleTimer);
}

TScheduleTimer::Occurrence& TScheduleTimer::occurrenceOf(const TScheduleEntry& entry) {
    for (Occurrence& o : m_occurrences)
        if (sameTimesAndDates(o.entry, entry)) return o;
    m_occurrences.append(Occurrence{entry, {}, {}});
    return m_occurrences.last();
}

void TScheduleTimer::tmScheduleTimer() {
    const QDateTime now = m_clock();
    const QDate today = now.date();
    const QTime time = now.time();
    const int s = time.hour() * 3600 + time.minute() * 60 + time.second();

    // What fired is remembered per entry by its times and dates, so confirming the settings window
    // with the same entries (or reordering them) does not fire an occurrence twice. Entries no
    // longer in the schedule are forgotten.
    const QList<TScheduleEntry> schedule = GlobeVar::Schedule;
    m_occurrences.removeIf([&](const Occurrence& o) {
        return std::none_of(schedule.begin(), schedule.end(),
                            [&](const TScheduleEntry& e) { return sameTimesAndDates(o.entry, e); });
    });

    for (const TScheduleEntry& e : schedule) {
        if (!e.Use || !ScheduleEntryFallsOn(e, today)) continue;
        const int start = e.StartH * 3600 + e.StartM * 60 + e.StartS;
        const int stop = e.StopH * 3600 + e.StopM * 60 + e.StopS;
        if (s - start >= 0 && s - start <= 10) {
            // The first tick inside the start window is the occurrence: a recording running then is
            // left alone, and a recording stopped later inside the window is not started again.
            Occurrence& o = occurrenceOf(e);
            if (o.started != today) {
                o.started = today;
                if (!m_recorder.Recording()) m_recorder.btnRecordClick();
            }
        }
        if (s - stop >= 0 && s - stop <= 10) {
            Occurrence& o = occurrenceOf(e);
            if (o.stopped != today) {
                o.stopped = today;
                m_recorder.btnStopClick();
            }
        }
    }
}
