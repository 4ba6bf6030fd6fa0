#pragma once

// A program run inside a test as main() runs it: the program block makes its windows in their
// order, runs the message loop until the main window closes, then runs their destroy handlers and
// deletes them. The program folder is one of the test's own; what the program showed as messages,
// its exit code and the threads of the process before and after are kept.
#include "common/ProgramBlock.h"
#include "platform/Application.h"
#include "platform/ProgramPaths.h"
#include "platform/UserMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <functional>

struct ProgramRun {
    int exitCode = -1;
    bool acted = false;    // the main window came up and `act` ran
    QStringList messages;  // every error or message text the program showed, in order
    int threadsBefore = 0; // threads of this process before the program started
    int threadsAfter = 0;  // and after it ended
    QString threadNames;   // the threads after it ended
};

inline int ThreadsOfThisProcess() {
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// The names of this process's threads, for a failure's message.
inline QString ThreadNames() {
    QStringList names;
    for (const QString& task :
         QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (comm.open(QIODevice::ReadOnly)) names << QString::fromUtf8(comm.readAll()).trimmed();
    }
    return names.join(QStringLiteral(", "));
}

// Runs `program` with `folder` as its program folder. `act` runs from the message loop once the
// windows exist and the main window is shown; it ends by closing the main window. A run that has
// not ended after `seconds` is ended by quitting its loop.
inline ProgramRun RunProgramIn(const ProgramDescription& program, const QString& folder,
                               const std::function<void(ProgramWindows&)>& act, int seconds = 60) {
    ProgramRun run;
    // Qt's shared pool (which scales and converts big pictures on idle threads of its own) is
    // emptied before counting and again after the run: its threads are Qt's, not the program's.
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    run.threadsBefore = ThreadsOfThisProcess();
    ProgramPaths::setProgramFolder(folder);
    TScriptedMessages said;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, qApp, &QCoreApplication::quit);
    limit.start(seconds * 1000);
    run.exitCode = RunProgram(*static_cast<Application*>(qApp), program, [&](ProgramWindows& windows) {
        QTimer::singleShot(0, qApp, [&run, &windows, act] {
            run.acted = true;
            act(windows);
        });
    });
    limit.stop();
    run.messages = said.All();
    ProgramPaths::setProgramFolder(QString());
    QThreadPool::globalInstance()->waitForDone();
    // A thread that has been joined may still be listed for a moment while it leaves the kernel.
    QElapsedTimer clock;
    clock.start();
    while ((run.threadsAfter = ThreadsOfThisProcess()) > run.threadsBefore && clock.elapsed() < 3000)
        QThread::msleep(10);
    run.threadNames = ThreadNames();
    return run;
}
