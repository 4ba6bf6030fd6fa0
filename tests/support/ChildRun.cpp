#include "tests/support/ChildRun.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>

#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The child reports "<R|N><peak growth in MB>:<text>": R when it ran the body, N when it could not.
ChildResult runChild(int seconds, const std::function<std::string(bool& ran)>& body) {
    ChildResult result;
    int fds[2];
    if (pipe(fds) != 0) {
        result.failure = "no pipe";
        return result;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        rusage start{};
        getrusage(RUSAGE_SELF, &start);
        bool ran = true;
        const std::string text = body(ran);
        rusage end{};
        getrusage(RUSAGE_SELF, &end);
        const std::string out =
            (ran ? "R" : "N") + std::to_string((end.ru_maxrss - start.ru_maxrss) / 1024) + ":" + text;
        (void)!write(fds[1], out.data(), out.size());
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    bool late = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fds[0], POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&p, 1, int(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            late = true;
            kill(child, SIGKILL);
            break;
        }
        char buf[4096];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buf, std::size_t(n));
    }
    close(fds[0]);
    waitpid(child, nullptr, 0);
    result.ran = true;
    const std::size_t colon = text.find(':');
    if (late) {
        result.failure = "still busy after " + std::to_string(seconds) + " s";
    } else if (text.empty() || colon == std::string::npos) {
        result.failure = "the child died before reporting";
    } else {
        result.ran = text[0] == 'R';
        result.peakGrowthMb = std::stol(text.substr(1, colon - 1));
        result.failure = text.substr(colon + 1);
    }
    return result;
}

} // namespace

ChildResult runInChild(int seconds, const std::function<std::string()>& body) {
    return runChild(seconds, [&body](bool&) { return body(); });
}

ChildResult runOnSmallDisk(const QString& folder, long bytes,
                           const std::function<std::string(const QString& folder)>& body, int seconds) {
    if (geteuid() != 0) {
        ChildResult result;
        result.failure = "a small tmpfs needs root to be mounted";
        return result;
    }
    const QByteArray path = QFile::encodeName(folder);
    return runChild(seconds, [&](bool& ran) -> std::string {
        const std::string options = "size=" + std::to_string(bytes);
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", path.constData(), "tmpfs", 0, options.c_str()) != 0) {
            ran = false;
            return std::string("no tmpfs could be mounted: ") + std::strerror(errno);
        }
        return body(folder);
    });
}

pid_t startChild(const std::function<void()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    return child;
}

ChildReaper::~ChildReaper() {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

FileSizeLimit::FileSizeLimit(long bytes) {
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_oldCurrent = static_cast<long>(limit.rlim_cur);
    m_oldHandler = signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(m_oldCurrent);
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, m_oldHandler);
}
