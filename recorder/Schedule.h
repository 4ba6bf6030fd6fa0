#pragma once

#include "common/GlobeVar.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// The recording schedule: the kind texts of its entries, the schedule files and the timer that
// starts and stops recordings.

// "Every day", "Special date: <short date>", "Every week: Monday", "Every month: 31",
// "Every year: February 29"; empty for a combination that fits no kind or names no real date.
QString ScheduleKindText(const TScheduleEntry& entry);
// "hh:mm:ss".
QString ScheduleTimeText(int hour, int minute, int second);
QString ScheduleStartText(const TScheduleEntry& entry);
QString ScheduleStopText(const TScheduleEntry& entry);

// The open and save dialogs' filter and default extension of schedule files.
QString ScheduleFileFilter();
QString ScheduleDefaultExt();

// Writes the entries as the file's "Schedule" section (in place of the old one) in one write of
// the whole file: a kill at any moment leaves the old file or the new one. Raises ProfileWriteError
// when the file cannot be written.
void SaveSchedule(const QString& fileName, const QList<TScheduleEntry>& entries);
// Reads the "Schedule" section, the file read once. Returns false, leaving `entries` as they were,
// when "Number" is missing, not a number, or 0 or less, or the file holds no entry. "Number" entries
// are loaded, but none past the highest entry number the file's keys name. Missing or garbage keys
// take their read defaults; values are cut to the width of their field.
bool LoadSchedule(const QString& fileName, QList<TScheduleEntry>& entries);

// True when the entry's date rule holds on `day` (its Use flag is not looked at).
bool ScheduleEntryFallsOn(const TScheduleEntry& entry, QDate day);

// What the schedule timer drives: the main window's recording state and its two buttons' handlers.
class TScheduleRecorder {
public:
    virtual ~TScheduleRecorder() = default;
    virtual bool Recording() const = 0;
    virtual void btnRecordClick() = 0;
    virtual void btnStopClick() = 0;
};

// The main window's schedule timer: twice a second it compares the confirmed schedule
// (GlobeVar::Schedule) with the clock. An entry whose date rule holds today starts a recording in
// the 10 seconds from its start time when none is running, and presses Stop in the 10 seconds from
// its stop time. Each entry starts at most once and stops at most once per day it falls on: a
// recording stopped by hand, by silence or by time inside the start window is not started again,
// and one started after the stop fired is not stopped again.
class TScheduleTimer : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    explicit TScheduleTimer(TScheduleRecorder& recorder, QObject* parent = nullptr);

    // The local time the ticks read; the system clock unless a test puts in its own.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // Starts and stops the 500 ms ticks.
    void start() { tmSchedule.start(); }
    void stop() { tmSchedule.stop(); }
    bool isActive() const { return tmSchedule.isActive(); }

public Q_SLOTS:
    // One tick at the clock's time.
    void tmScheduleTimer();

private:
    struct Occurrence {
        TScheduleEntry entry; // the times and date fields the dates below belong to
        QDate started;        // the last day its start fired
        QDate stopped;        // the last day its stop fired
    };
    Occurrence& occurrenceOf(const TScheduleEntry& entry);

    TScheduleRecorder& m_recorder;
    Clock m_clock;
    QTimer tmSchedule;
    QList<Occurrence> m_occurrences;
};
