#pragma once

#include "platform/WorkerJob.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>

class TAudioFile2;

// A worker (TWorkerJob) that copies audio from `reader` into `writer` (created for writing
// beforehand) through `body`, which returns why it failed or an empty text. When the body has ended
// (done, a termination request, or a failure), the writer and then the reader are closed (a failure
// to close the writer becomes the error when there is none yet), and `onFinished` runs on the
// windows' thread; it is dropped when this object is gone by then. The window must wait for the
// body (WaitFor or the destructor) before its components go. The thread starts at construction; the
// destructor asks it to stop and waits for it. The body may use only what it captures by value and
// this object; `window` only receives the body's posted progress messages.
class TAudioCopyThread {
public:
    using Body = std::function<QString(TAudioCopyThread& thread)>;

    TAudioCopyThread(TAudioFile2* reader, TAudioFile2* writer, QObject* window,
                     std::function<void()> onFinished, Body body);
    ~TAudioCopyThread() = default;
    TAudioCopyThread(const TAudioCopyThread&) = delete;
    TAudioCopyThread& operator=(const TAudioCopyThread&) = delete;

    // Asks the body to end after the current block.
    void Terminate() { m_job.Cancel(); }
    bool Terminated() const { return m_job.CancelRequested(); }
    // Waits until the body has ended (both files closed).
    void WaitFor() { m_job.Join(); }
    // Why the copy failed (a read or write error, such as a full disk); empty when it did not.
    QString ErrorText() const;
    // The body counts the sample frames it has written; a copy that wrote none has nothing worth
    // keeping (an output of no audio is a file no decoder opens).
    void CountCopied(std::size_t frames) { m_copied.fetch_add(frames); }
    bool CopiedAny() const { return m_copied.load() > 0; }

    TAudioFile2* Reader() const { return m_reader; }
    TAudioFile2* Writer() const { return m_writer; }
    QObject* Window() const { return m_window; }

private:
    QString Execute(const Body& body);

    TAudioFile2* m_reader;
    TAudioFile2* m_writer;
    QObject* m_window; // outlives the thread: its owner waits for the body before it goes
    std::atomic<std::size_t> m_copied{0};
    mutable std::mutex m_mutex;
    QString m_errorText;
    TWorkerJob<void> m_job; // the last member: it goes first, waiting for the body
};
