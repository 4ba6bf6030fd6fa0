#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
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
// window never waits for a file. Every file and then the end reach the window as queued calls on
// its thread; the calls of a scan that was stopped or replaced are dropped.
class TFolderScan {
public:
    explicit TFolderScan(QObject* window) : m_window(window) {}
    ~TFolderScan() { Stop(); }
    TFolderScan(const TFolderScan&) = delete;
    TFolderScan& operator=(const TFolderScan&) = delete;

    // Stops a running scan, then scans `folder`, leaving out the file `leftOut` (when not empty).
    void Start(const QString& folder, const QString& leftOut, std::function<void(const TScannedFile&)> onFile,
               std::function<void()> onEnd);
    // Asks the running scan to end after the current file; its end still arrives.
    void Cancel();
    // Ends the running scan and waits for its worker; nothing more of it arrives.
    void Stop();
    // True from Start until the end has arrived or Stop.
    bool Running() const { return m_running; }

private:
    QObject* m_window;
    bool m_running = false;
    unsigned m_generation = 0;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::thread m_thread;
};
