// Figures of the recorder's settings and schedule files:
//   1. a schedule of N entries (default 10,000) saved and loaded, median of 5 each (wall time and
//      the process's CPU time, which the machine's other work does not inflate);
//   2. a damaged schedule file saying "Number=2147483647" over two entries, loaded;
//   3. the whole settings file with that schedule saved and loaded (SaveOptionsFile, LoadOptionsFile).
// Usage: settings_bench [entries, default 10000] [folder for the files, default a temporary one]

#include "common/SettingsFile.h"
#include "recorder/OptionsFile.h"
#include "recorder/Schedule.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

struct Cost {
    double wallMs = 0; // median wall time
    double cpuMs = 0;  // median CPU time of the process (what the machine's other work does not add)
};

double CpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

Cost Median(int runs, const std::function<void()>& body) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        const double c = CpuMs();
        t.start();
        body();
        wall.push_back(double(t.nsecsElapsed()) / 1e6);
        cpu.push_back(CpuMs() - c);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    QTemporaryDir temp;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temp.path();
    const QString tqd = folder + "/Bench.tqd";
    const QString cfg = folder + "/Bench.ini";

    QList<TScheduleEntry> entries;
    for (int i = 0; i < count; ++i) {
        TScheduleEntry e;
        e.Use = uint8_t(i % 2);
        e.StartH = uint8_t(i % 24);
        e.StartM = uint8_t(i % 60);
        e.StopH = uint8_t((i + 1) % 24);
        e.Day = uint16_t(1 + i % 28);
        e.Month = uint16_t(1 + i % 12);
        e.Year = uint16_t(2000 + i % 50);
        e.DayOfWeek = 0;
        entries.append(e);
    }

    const Cost save = Median(5, [&] { SaveSchedule(tqd, entries); });
    QList<TScheduleEntry> back;
    const Cost load = Median(5, [&] {
        back.clear();
        LoadSchedule(tqd, back);
    });
    if (back != entries) std::printf("error: the schedule read back differs\n");
    std::printf("schedule of %d entries (%lld bytes): save %.1f ms (CPU %.1f), load %.1f ms (CPU %.1f)\n",
                count, static_cast<long long>(QFile(tqd).size()), save.wallMs, save.cpuMs, load.wallMs,
                load.cpuMs);

    {
        QFile f(folder + "/Damaged.tqd");
        f.open(QIODevice::WriteOnly);
        f.write("[Schedule]\nNumber=2147483647\nUse0=1\nStartH0=8\nUse1=0\nStartH1=9\n");
    }
    QList<TScheduleEntry> damaged;
    const Cost huge = Median(5, [&] {
        damaged.clear();
        LoadSchedule(folder + "/Damaged.tqd", damaged);
    });
    std::printf("\"Number=2147483647\" over 2 entries: load %.3f ms, %lld entries\n", huge.wallMs,
                static_cast<long long>(damaged.size()));

    Videzeva::TOptionsValues values = Videzeva::DefaultOptionsValues();
    values.schedule = entries;
    // Each a program's first look at the file and its save, or its first look and load.
    const Cost saveAll = Median(5, [&] {
        TSettingsFile settings(cfg);
        Videzeva::SaveOptionsFile(settings, tqd, values, {});
    });
    Videzeva::TOptionsValues read = Videzeva::DefaultOptionsValues();
    const Cost loadAll = Median(5, [&] { Videzeva::LoadOptionsFile(TSettingsFile(cfg), tqd, read); });
    std::printf("settings file and schedule: save %.1f ms (CPU %.1f), load %.1f ms (CPU %.1f)\n",
                saveAll.wallMs, saveAll.cpuMs, loadAll.wallMs, loadAll.cpuMs);
    return 0;
}
