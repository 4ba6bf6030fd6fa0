#include "tools/FolderScan.h"

#include "common/GlobeVar.h"
#include "components/TAudioInformation2.h"
#include "platform/FileNames.h"

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
    m_job.Start(
        [folder, leftOut](const TWorkerJob<void, TScannedFile>::Link& link) {
            TAudioInformation2 info;
            for (const TFolderEntry& entry : ReadFolderFiles(folder)) {
                if (link.Cancelled()) break;
                TScannedFile file;
                file.path = entry.path;
                file.word = GlobeVar::GetAudioFormat(file.path);
                if (file.word.isEmpty() || file.path == leftOut) continue;
                file.duration = AudioDurationText(info, file.path);
                file.size = entry.size;
                link.Report(file);
            }
        },
        std::move(onEnd), std::move(onFile));
}

void TFolderScan::Cancel() {
    m_job.Cancel();
}
