#include "tools/FolderScan.h"

#include "common/GlobeVar.h"
#include "components/TAudioInformation2.h"
#include "platform/FileNames.h"
#include "platform/WindowMessages.h"

#include <QFileInfo>

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

QString AudioDurationText(TAudioInformation2& info, const QString& file) {
    try {
        info.SetFileName(file);
        return GlobeVar::MSecToTimeStr(info.GetDuration());
    } catch (const std::exception&) {
        return {};
    }
}

std::vector<TFolderEntry> ReadFolderFiles(const QString& folder) {
    std::vector<TFolderEntry> entries;
    QString prefix = QFileInfo(folder).absoluteFilePath();
    if (!prefix.endsWith(QLatin1Char('/'))) prefix += QLatin1Char('/');
    // The entries are read as bytes: a name that is not UTF-8 is listed by its real bytes too.
    DIR* dir = ::opendir(FileNameBytes(prefix).constData());
    if (!dir) return entries;
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        entries.push_back({prefix + FileNameText(name), int64_t(st.st_size)});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const TFolderEntry& a, const TFolderEntry& b) { return a.path < b.path; });
    return entries;
}

void TFolderScan::Start(const QString& folder, const QString& leftOut,
                        std::function<void(const TScannedFile&)> onFile, std::function<void()> onEnd) {
    Stop();
    m_running = true;
    const unsigned generation = ++m_generation;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_cancel = cancel;
    m_thread = std::thread(
        [this, folder, leftOut, generation, cancel, onFile = std::move(onFile), onEnd = std::move(onEnd)] {
            TAudioInformation2 info;
            for (const TFolderEntry& entry : ReadFolderFiles(folder)) {
                if (cancel->load()) break;
                TScannedFile file;
                file.path = entry.path;
                file.word = GlobeVar::GetAudioFormat(file.path);
                if (file.word.isEmpty() || file.path == leftOut) continue;
                try {
                    info.SetFileName(file.path);
                    file.duration = GlobeVar::MSecToTimeStr(info.GetDuration());
                } catch (const std::exception&) {
                }
                file.size = entry.size;
                RunOnUiThread(m_window, [this, generation, onFile, file] {
                    if (generation == m_generation) onFile(file);
                });
            }
            RunOnUiThread(m_window, [this, generation, onEnd] {
                if (generation != m_generation) return;
                if (m_thread.joinable()) m_thread.join();
                m_running = false;
                onEnd();
            });
        });
}

void TFolderScan::Cancel() {
    if (m_cancel) m_cancel->store(true);
}

void TFolderScan::Stop() {
    Cancel();
    if (m_thread.joinable()) m_thread.join();
    ++m_generation;
    m_running = false;
}
