#pragma once

#include <QString>

#include <sys/types.h>

#include <functional>
#include <string>

// Work a test cannot do in its own process: work that may hang or eat memory (it runs in a child
// that is stopped after a time limit, and its memory is measured apart), or work on a nearly full
// disk. `body` returns an empty text when its checks passed, else what failed.
struct ChildResult {
    bool ran = false;      // false: the child could not be set up (the reason is in `failure`)
    std::string failure;   // what failed, or why it could not run
    long peakGrowthMb = 0; // how far the child's peak memory grew while `body` ran
};

// Runs `body` in a child process, stopped after `seconds`.
ChildResult runInChild(int seconds, const std::function<std::string()>& body);

// Runs `body` in a child process in which `folder` is a tmpfs of `bytes` bytes, mounted in a mount
// namespace of the child's own (it goes with the child, whatever the child does). Needs root.
ChildResult runOnSmallDisk(const QString& folder, long bytes,
                           const std::function<std::string(const QString& folder)>& body, int seconds = 60);

// Starts `body` in a child process and returns its process id at once (-1 when no child could be
// started). The child ends when `body` returns; the caller may end it sooner (a signal) and reaps
// it with waitpid. Start it while the test runs no other threads of its own: only the calling
// thread goes on in the child.
pid_t startChild(const std::function<void()>& body);

// Kills and reaps child `pid` when it goes, unless `pid` was set to -1 (the test reaped it).
struct ChildReaper {
    pid_t pid;
    ~ChildReaper();
};

// While it lives, files this process writes cannot grow past `bytes` (SIGXFSZ is ignored, so the
// write fails with EFBIG instead): a disk that fills up half-way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    long m_oldCurrent;
    void (*m_oldHandler)(int);
};
