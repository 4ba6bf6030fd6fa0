#pragma once

#include <QString>

#include <functional>
#include <string>

// A nearly full disk for tests: runs `body` in a child process in which `folder` is a tmpfs of
// `bytes` bytes, mounted in a mount namespace of the child's own (it goes with the child, whatever
// the child does). `body` returns an empty text when its checks passed, else what failed.
struct SmallDiskResult {
    bool ran = false;    // false: no tmpfs could be mounted (not root, or no right to mount)
    std::string failure; // what failed, or why it could not run
};
SmallDiskResult runOnSmallDisk(const QString& folder, long bytes,
                               const std::function<std::string(const QString& folder)>& body);
