#include "components/CdDriveList.h"

#include "components/CdioLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cdio/cdio.h>

#include <memory>

namespace CdDriveList {

QString driveListFile() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/AudioCDGrabber/drives.list");
}

QStringList imagePaths() {
    QStringList result;
    const QString listFile = driveListFile();
    QFile file(listFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return result;
    const QDir folder = QFileInfo(listFile).absoluteDir();
    QTextStream in(&file);
    while (!in.atEnd()) {
        QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QStringLiteral("~/"))) line = QDir::homePath() + line.mid(1);
        if (QDir::isRelativePath(line)) line = folder.absoluteFilePath(line);
        result.append(QDir::cleanPath(line));
    }
    return result;
}

namespace {

QString trimmedText(const char* text) {
    return QString::fromLatin1(text).trimmed();
}

struct DeviceListDeleter {
    void operator()(char** devices) const { cdio_free_device_list(devices); }
};

struct CdioCloser {
    void operator()(CdIo_t* cdio) const { cdio_destroy(cdio); }
};

void addSystemDrives(std::vector<CdDriveEntry>& drives) {
    const std::unique_ptr<char*[], DeviceListDeleter> devices(cdio_get_devices(DRIVER_DEVICE));
    if (!devices) return;
    QStringList seen; // /dev/cdrom and /dev/sr0 may both name one drive
    for (char** d = devices.get(); *d; ++d) {
        const QString device = QString::fromLocal8Bit(*d);
        const QString canonical = QFileInfo(device).canonicalFilePath();
        const QString key = canonical.isEmpty() ? device : canonical;
        if (seen.contains(key)) continue;
        seen << key;
        CdDriveEntry entry;
        entry.id = device;
        entry.source = entry.id;
        // The drive answers the inquiry even without a disc; an unreadable device keeps empty texts.
        CdioLog::install();
        if (const std::unique_ptr<CdIo_t, CdioCloser> cdio{cdio_open(*d, DRIVER_DEVICE)}) {
            cdio_hwinfo_t hw{};
            if (cdio_get_hwinfo(cdio.get(), &hw)) {
                entry.vendor = trimmedText(hw.psz_vendor);
                entry.product = trimmedText(hw.psz_model);
                entry.revision = trimmedText(hw.psz_revision);
            }
        }
        drives.push_back(entry);
    }
}

} // namespace

std::vector<CdDriveEntry> enumerate() {
    std::vector<CdDriveEntry> drives;
    addSystemDrives(drives);
    for (const QString& path : imagePaths()) {
        CdDriveEntry entry;
        const QFileInfo info(path);
        entry.id = info.fileName();
        entry.source = path;
        entry.isImage = true;
        entry.isTocImage = info.suffix().compare(QStringLiteral("toc"), Qt::CaseInsensitive) == 0;
        entry.vendor = QStringLiteral("Image");
        entry.product = path;
        entry.revision = entry.isTocImage ? QStringLiteral("TOC") : QStringLiteral("CUE");
        drives.push_back(entry);
    }
    return drives;
}

} // namespace CdDriveList
