#include "recorder/Schedule.h"
#include "common/GlobeVar.h"
#include "tests/support/ChildRun.h"

#include <QFile>
#include <QLocale>
#include <QPair>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TScheduleEntry entry(int startH, int startM, int stopH, int stopM, int day = 0, int month = 0, int year = 0,
                     int dayOfWeek = 0) {
    TScheduleEntry e;
    e.Use = 1;
    e.StartH = uint8_t(startH);
    e.StartM = uint8_t(startM);
    e.StopH = uint8_t(stopH);
    e.StopM = uint8_t(stopM);
    e.Day = uint16_t(day);
    e.Month = uint16_t(month);
    e.Year = uint16_t(year);
    e.DayOfWeek = uint16_t(dayOfWeek);
    return e;
}

// The main window's recording state and its Record and Stop buttons, as the timer sees them.
struct StandInRecorder : TScheduleRecorder {
    bool recording = false;
    QDateTime now;
    QStringList calls; // "R <time>" / "S <time>"
    bool Recording() const override { return recording; }
    void btnRecordClick() override {
        recording = true;
        calls << "R " + now.toString(Qt::ISODateWithMs);
    }
    void btnStopClick() override {
        recording = false;
        calls << "S " + now.toString(Qt::ISODateWithMs);
    }
};

// Drives the timer's ticks at a clock the test sets.
struct Clocked {
    StandInRecorder rec;
    TScheduleTimer timer{rec};
    Clocked() {
        timer.setClock([this] { return rec.now; });
    }
    void tickAt(const QDateTime& t) {
        rec.now = t;
        timer.tmScheduleTimer();
    }
    // A day's ticks in time order: every 500 ms inside each of `windows`, every half hour elsewhere.
    void tickDay(QDate day, const QList<QPair<QTime, QTime>>& windows, int phaseMs) {
        std::vector<int> ms;
        for (int t = phaseMs; t < 86400000; t += 1800000)
            ms.push_back(t);
        for (const auto& [from, to] : windows)
            for (int t = from.msecsSinceStartOfDay() + phaseMs; t <= to.msecsSinceStartOfDay(); t += 500)
                ms.push_back(t);
        std::sort(ms.begin(), ms.end());
        for (int t : ms)
            tickAt(QDateTime(day, QTime::fromMSecsSinceStartOfDay(t), Qt::UTC));
    }
};

} // namespace

TEST(ScheduleKindText, FiveKindsAndCombinationsThatFitNone) {
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0)), "Every day");
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 8, 12, 2026)),
              "Special date: " + QLocale::system().toString(QDate(2026, 12, 8), QLocale::ShortFormat));
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 0, 0, 0, 5)), "Every week: Friday");
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 0, 0, 0, 7)), "Every week: Sunday");
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 31)), "Every month: 31");
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 29, 2)), "Every year: February 29");
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 30, 2)), "Every year: February 30"); // made, never fires
    // Impossible dates and out-of-range fields: empty, never an error.
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 31, 2, 2025)), "");
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 1, 13, 2025)), "");
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 1, 13)), "");
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 0, 0, 0, 8)), "");
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 1, 1, 2004, 1)), ""); // what missing keys read as
    EXPECT_EQ(ScheduleKindText(entry(8, 0, 9, 0, 0, 3, 2025)), "");
    EXPECT_EQ(ScheduleStartText(entry(7, 5, 9, 0)), "07:05:00");
}

TEST(ScheduleFile, SaveLoadMissingKeysAndGarbage) {
    QTemporaryDir dir;
    const QString name = dir.path() + "/Current.tqd";
    QList<TScheduleEntry> entries{entry(7, 5, 8, 0, 0, 0, 0, 5), entry(23, 59, 0, 1, 29, 2, 2028)};
    entries[0].Use = 0;
    entries[1].StartS = 55;
    SaveSchedule(name, entries);
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        QString::fromUtf8(f.readAll()),
        "[Schedule]\nNumber=2\n"
        "Use0=0\nStartH0=7\nStartM0=5\nStartS0=0\nStopH0=8\nStopM0=0\nStopS0=0\nDay0=0\nMonth0=0\nYear0=0\n"
        "DayOfWeek0=5\n"
        "Use1=1\nStartH1=23\nStartM1=59\nStartS1=55\nStopH1=0\nStopM1=1\nStopS1=0\nDay1=29\nMonth1=2\n"
        "Year1=2028\nDayOfWeek1=0\n");
    f.close();
    QList<TScheduleEntry> back;
    ASSERT_TRUE(LoadSchedule(name, back));
    EXPECT_EQ(back, entries);

    // A shorter list leaves no keys of the longer one behind.
    SaveSchedule(name, {entries[1]});
    ASSERT_TRUE(LoadSchedule(name, back));
    EXPECT_EQ(back, QList<TScheduleEntry>{entries[1]});
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_FALSE(f.readAll().contains("Use1"));
    f.close();

    // "Number" 3, entry 1 missing, entry 2 garbage and too wide for its fields.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[Schedule]\nNumber=3\nUse0=0\nStartH0=8\nDay0=0\nMonth0=0\nYear0=0\nDayOfWeek0=0\n"
            "StartH2=abc\nStopH2=300\nDay2=65537\nMonth2=0\nYear2=0\nDayOfWeek2=0\nUse2=x\n");
    f.close();
    ASSERT_TRUE(LoadSchedule(name, back));
    ASSERT_EQ(back.size(), 3);
    EXPECT_EQ(back[0], (TScheduleEntry{0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(back[1], (TScheduleEntry{1, 0, 0, 0, 0, 0, 0, 1, 1, 2004, 1}));
    EXPECT_EQ(ScheduleKindText(back[1]), ""); // the row shows, empty, and never fires
    EXPECT_EQ(back[2], (TScheduleEntry{1, 0, 0, 0, 44, 0, 0, 1, 0, 0, 0}));

    // No "Number", 0, or a garbage count: nothing changes.
    for (const char* text : {"[Schedule]\nUse0=1\n", "[Schedule]\nNumber=0\n", "[Schedule]\nNumber=-4\n",
                             "[Schedule]\nNumber=two\n", ""}) {
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        QList<TScheduleEntry> kept{entries[0]};
        EXPECT_FALSE(LoadSchedule(name, kept));
        EXPECT_EQ(kept, QList<TScheduleEntry>{entries[0]});
    }
    QList<TScheduleEntry> kept{entries[0]};
    EXPECT_FALSE(LoadSchedule(dir.path() + "/missing.tqd", kept));
    EXPECT_EQ(kept.size(), 1);
}

// "Number" is believed beyond the entries the file holds: the entries it does not hold take the
// defaults. A damaged "Number" near 2^31 loads at once, its entries past a bound all defaults.
TEST(ScheduleFile, ANumberBeyondTheEntriesHeldLoadsDefaultsForTheRest) {
    QTemporaryDir dir;
    const QString name = dir.path() + "/Current.tqd";
    const TScheduleEntry defaults{1, 0, 0, 0, 0, 0, 0, 1, 1, 2004, 1};
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Schedule]\nNumber=2\nUse0=0\nStartH0=8\nDay0=0\nMonth0=0\nYear0=0\nDayOfWeek0=0\n");
    f.close();
    QList<TScheduleEntry> back;
    ASSERT_TRUE(LoadSchedule(name, back));
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(ScheduleKindText(back[0]), "Every day");
    EXPECT_EQ(back[1], defaults);
    EXPECT_EQ(ScheduleKindText(back[1]), "");

    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[Schedule]\nNumber=2147483647\nuse0=0\nStartH0=8\nStartH2=9\nStartH02=7\nStartHx3=6\n");
    f.close();
    ASSERT_TRUE(LoadSchedule(name, back));
    ASSERT_GT(back.size(), 3);
    EXPECT_LE(back.size(), 100000);
    EXPECT_EQ(back[0].Use, 0);
    EXPECT_EQ(back[0].StartH, 8);
    EXPECT_EQ(back[1], defaults);
    EXPECT_EQ(back[2].StartH, 9);
    for (qsizetype i = 3; i < back.size(); ++i)
        ASSERT_EQ(back[i], defaults) << i; // "StartH02" and "StartHx3" name no entry
}

// A program killed while it saves a schedule, at whatever moment, leaves the old schedule or the
// new one, whole: the file always reads back as one of the two lists it was saving in turn.
TEST(ScheduleFile, AKillWhileSavingLeavesTheOldOrTheNewScheduleWhole) {
    QTemporaryDir dir;
    const QString name = dir.path() + "/Current.tqd";
    QList<TScheduleEntry> lists[2];
    for (int i = 0; i < 400; ++i) {
        lists[0].append(entry(i % 24, i % 60, 0, 0));
        lists[1].append(entry(i % 24, i % 60, 1, 1, 0, 0, 0, 1 + i % 7));
    }
    lists[1].removeLast();
    SaveSchedule(name, lists[0]);
    for (int round = 0; round < 6; ++round) {
        const QString started = dir.path() + "/saving";
        QFile::remove(started);
        const pid_t child = startChild([&] {
            SaveSchedule(name, lists[1]);
            QFile(started).open(QIODevice::WriteOnly);
            for (int i = 0;; ++i)
                SaveSchedule(name, lists[i % 2]);
        });
        ASSERT_GT(child, 0);
        for (int waited = 0; waited < 10000 && !QFile::exists(started); waited += 2)
            usleep(2000);
        usleep(useconds_t(1000 * (round * 7 % 23)));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        QList<TScheduleEntry> back;
        ASSERT_TRUE(LoadSchedule(name, back)) << "round " << round;
        EXPECT_TRUE(back == lists[0] || back == lists[1]) << "round " << round << ": " << back.size();
    }
}

// Two simulated years (2023, and 2024 with its 29 February) for every kind on its own: each
// fires its start at the first tick at or after its start time and its stop at the first tick at or
// after its stop time, on exactly the days its rule names, once each.
TEST(ScheduleTimer, EveryKindFiresOnItsDaysOnceOverTwoYears) {
    struct Case {
        const char* name;
        TScheduleEntry e;
        std::function<bool(QDate)> expected;
    };
    const QList<Case> cases{
        {"every day", entry(8, 0, 8, 30), [](QDate) { return true; }},
        {"one date", entry(8, 0, 8, 30, 29, 2, 2024), [](QDate d) { return d == QDate(2024, 2, 29); }},
        {"one date in the past", entry(8, 0, 8, 30, 5, 5, 2022), [](QDate) { return false; }},
        {"impossible date", entry(8, 0, 8, 30, 31, 2, 2024), [](QDate) { return false; }},
        {"every Friday", entry(8, 0, 8, 30, 0, 0, 0, 5), [](QDate d) { return d.dayOfWeek() == 5; }},
        {"every month on the 31st", entry(8, 0, 8, 30, 31), [](QDate d) { return d.day() == 31; }},
        {"every year 29 February", entry(8, 0, 8, 30, 29, 2),
         [](QDate d) { return d.month() == 2 && d.day() == 29; }},
        {"every year 30 February", entry(8, 0, 8, 30, 30, 2), [](QDate) { return false; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GlobeVar::Schedule = {c.e};
        Clocked clock;
        QStringList expected;
        int days = 0;
        for (QDate d(2023, 1, 1); d <= QDate(2024, 12, 31); d = d.addDays(1)) {
            clock.tickDay(d, {{QTime(7, 59, 40), QTime(8, 0, 30)}, {QTime(8, 29, 40), QTime(8, 30, 30)}},
                          300);
            if (!c.expected(d)) continue;
            ++days;
            expected << "R " + QDateTime(d, QTime(8, 0, 0, 300), Qt::UTC).toString(Qt::ISODateWithMs)
                     << "S " + QDateTime(d, QTime(8, 30, 0, 300), Qt::UTC).toString(Qt::ISODateWithMs);
        }
        EXPECT_EQ(clock.rec.calls, expected);
        if (QString(c.name) == "every month on the 31st") {
            EXPECT_EQ(days, 14); // seven months of 31 days a year
        }
        if (QString(c.name) == "every Friday") {
            EXPECT_EQ(days, 104);
        }
    }
    GlobeVar::Schedule.clear();
}

TEST(ScheduleTimer, EachOccurrenceStartsOnceAndStopsOnce) {
    const QDate day(2026, 3, 10);
    auto at = [&](int h, int m, int s, int ms = 0) { return QDateTime(day, QTime(h, m, s, ms)); };
    GlobeVar::Schedule = {entry(8, 0, 8, 30)};
    Clocked clock;

    clock.tickAt(at(7, 59, 59, 500));
    EXPECT_TRUE(clock.rec.calls.isEmpty());
    clock.tickAt(at(8, 0, 0));
    ASSERT_EQ(clock.rec.calls.size(), 1);
    // Stopped by hand (or by silence, or by its time limit) inside the start window: not again.
    clock.rec.btnStopClick();
    clock.rec.calls.clear();
    for (int ms = 500; ms <= 12000; ms += 500)
        clock.tickAt(at(8, 0, 0).addMSecs(ms));
    EXPECT_TRUE(clock.rec.calls.isEmpty());
    EXPECT_FALSE(clock.rec.recording);

    // Confirming the settings window again with the same entries, reordered, does not re-arm it.
    clock.tickAt(at(8, 0, 1));
    GlobeVar::Schedule = {entry(9, 0, 9, 5), entry(8, 0, 8, 30)};
    clock.tickAt(at(8, 0, 2));
    EXPECT_TRUE(clock.rec.calls.isEmpty());

    // The stop window presses Stop once; a recording the user starts after that is left running.
    clock.rec.recording = true;
    clock.tickAt(at(8, 30, 0));
    EXPECT_EQ(clock.rec.calls, QStringList{"S " + at(8, 30, 0).toString(Qt::ISODateWithMs)});
    clock.rec.recording = true; // the user starts again
    for (int ms = 500; ms <= 12000; ms += 500)
        clock.tickAt(at(8, 30, 0).addMSecs(ms));
    EXPECT_TRUE(clock.rec.recording);
    EXPECT_EQ(clock.rec.calls.size(), 1);

    // A recording running at the start time is left alone, and the stop window still stops it.
    clock.rec.calls.clear();
    clock.rec.recording = true;
    const QDate next = day.addDays(1);
    for (int ms = 0; ms <= 12000; ms += 500)
        clock.tickAt(QDateTime(next, QTime(8, 0)).addMSecs(ms));
    EXPECT_TRUE(clock.rec.calls.isEmpty());
    clock.tickAt(QDateTime(next, QTime(8, 30, 4)));
    EXPECT_EQ(clock.rec.calls.size(), 1);
    EXPECT_FALSE(clock.rec.recording);

    // Two entries starting together start one recording; a disabled entry never fires; an entry
    // whose stop falls in its start window starts and stops in the same tick.
    clock.rec.calls.clear();
    const QDate third = day.addDays(2);
    GlobeVar::Schedule = {entry(10, 0, 11, 0), entry(10, 0, 12, 0), entry(10, 0, 10, 0)};
    GlobeVar::Schedule[2].Use = 0;
    clock.tickAt(QDateTime(third, QTime(10, 0, 3)));
    EXPECT_EQ(clock.rec.calls.size(), 1);
    EXPECT_TRUE(clock.rec.recording);
    GlobeVar::Schedule = {entry(13, 0, 13, 0)};
    clock.rec.recording = false;
    clock.rec.calls.clear();
    clock.tickAt(QDateTime(third, QTime(13, 0, 9)));
    EXPECT_EQ(clock.rec.calls.size(), 2);
    EXPECT_FALSE(clock.rec.recording);

    // Deleting every entry: nothing fires.
    GlobeVar::Schedule.clear();
    clock.rec.calls.clear();
    clock.tickAt(QDateTime(third.addDays(1), QTime(8, 0, 1)));
    EXPECT_TRUE(clock.rec.calls.isEmpty());
}
