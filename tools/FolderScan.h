#pragma once

#include "platform/WorkerJob.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class TAudioInformation2;

// The duration of a file as the file lists show it; empty when the file cannot be analysed.
QString AudioDurationText(TAudioInformation2& info, const QString& file);

// A plain file of a folder (a link to one too): its full path, its size.
struct TFolderEntry {
    QString path;
    int64_t size = 0;
};

// The plain files of `folder`, in name order, each by its real name (see platform/FileNames: a
// name that is not UTF-8 keeps its bytes).
std::vector<TFolderEntry> ReadFolderFiles(const QString& folder);

// One audio file a folder scan found, analysed on the worker.
struct TScannedFile {
    QString path;
    QString word;     // its format: "WAV", "MP3", "OGG" or "WMA"
    QString duration; // empty when the file cannot be analysed
    int64_t size = 0;
};

// Lists the audio files of a folder on a worker thread, in name order, analysing each there, so the
// window never waits for a file. Every file and then the end reach the window on its thread; what a
// scan that was stopped or replaced found is dropped.
class TFolderScan {
public:
    // Stops a running scan, then scans `folder`, leaving out the file `leftOut` (when not empty).
    void Start(const QString& folder, const QString& leftOut, std::function<void(const TScannedFile&)> onFile,
               std::function<void()> onEnd);
    // Asks the running scan to end after the current file; its end still arrives.
    void Cancel();
    // Ends the running scan and waits for its worker; nothing more of it arrives.
    void Stop() { m_job.Stop(); }
    // True from Start until the end has arrived or Stop.
    bool Running() const { return m_job.Running(); }

private:
    TWorkerJob<void, TScannedFile> m_job;
};
