#pragma once

#include "tools/AudioCopyThread.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class TAudioFile2;
class TPendingFile;

// Merges audio files into one on a worker thread: every file in turn is opened with `reader`, given
// to `writer` (created for writing beforehand) as its input format, and copied block by block (one
// second of the file's own format). After every block WM_SPLITJOINPROGRESS (file index, percent of
// that file) is posted to `window`, and (index, 100) when a file has ended. The thread never touches
// the window's controls. Terminate ends it after the current block; no further file is opened.
//
// A file that cannot be opened, one that gives no audio, or a component error stops the merge;
// ErrorText then names the file and the reason. When the body has ended, the reader and the writer are closed
// and `onFinished` runs on the thread of `window` (dropped when `window` is gone by then). The window must
// wait for the body (WaitFor or the destructor) before it goes. The thread starts at construction; the
// destructor asks it to stop and waits for it.
class TJoinerThread : public TAudioCopyThread {
public:
    TJoinerThread(TAudioFile2* reader, int lastIndex, const QStringList& fileNames, QObject* window,
                  TAudioFile2* writer, std::function<void()> onFinished);
    // JoinOverwrite when the merge started: a change in Options during it applies to the next one.
    bool Overwrite() const { return m_overwrite; }

private:
    bool m_overwrite;
};

// Ends a merge whose body has ended. A failed merge, or one cancelled before any audio was written,
// deletes the output and returns the message to show (none for the cancel); one that ended well, or
// was cancelled later (it keeps what was written), is renamed into place under its name (replacing
// a file of that name only when JoinOverwrite was set when the merge started), and a failure to
// do so (the output is gone with its folder) is the message. Empty when nothing failed.
QString FinishMerge(const TJoinerThread& thread, TPendingFile& output);
