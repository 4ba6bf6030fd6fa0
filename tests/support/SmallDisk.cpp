#include "tests/support/SmallDisk.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

SmallDiskResult runOnSmallDisk(const QString& folder, long bytes,
                               const std::function<std::string(const QString& folder)>& body) {
    SmallDiskResult result;
    if (geteuid() != 0) {
        result.failure = "a small tmpfs needs root to be mounted";
        return result;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        result.failure = "no pipe";
        return result;
    }
    const QByteArray path = QFile::encodeName(folder);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        // First byte: 'M' mounted, 'N' not; then the failure text.
        std::string out;
        const std::string options = "size=" + std::to_string(bytes);
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", path.constData(), "tmpfs", 0, options.c_str()) != 0) {
            out = std::string("N") + "no tmpfs could be mounted: " + std::strerror(errno);
        } else {
            out = "M" + body(folder);
        }
        (void)!write(fds[1], out.data(), out.size());
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) text.append(buf, std::size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (text.empty()) {
        result.ran = true;
        result.failure = "the child died before reporting";
        return result;
    }
    result.ran = text[0] == 'M';
    result.failure = text.substr(1);
    return result;
}
