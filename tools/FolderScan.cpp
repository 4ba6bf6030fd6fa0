#include "tools/FolderScan.h"

#include "common/GlobeVar.h"
#include "components/TAudioInformation2.h"
#include "platform/WindowMessages.h"

#include <QDir>
#include <QFileInfo>

QString AudioDurationText(TAudioInformation2& info, const QString& file) {
    try {
        info.SetFileName(file);
        return GlobeVar::MSecToTimeStr(info.GetDuration());
    } catch (const std::exception&) {
        return {};
    }
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
            const QFileInfoList entries =
                QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
            for (const QFileInfo& entry : entries) {
                if (cancel->load()) break;
                TScannedFile file;
                file.path = entry.absoluteFilePath();
                file.word = GlobeVar::GetAudioFormat(file.path);
                if (file.word.isEmpty() || file.path == leftOut) continue;
                try {
                    info.SetFileName(file.path);
                    file.duration = GlobeVar::MSecToTimeStr(info.GetDuration());
                } catch (const std::exception&) {
                }
                file.size = entry.size();
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
