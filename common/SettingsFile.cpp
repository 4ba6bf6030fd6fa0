#include "common/SettingsFile.h"

#include "common/GlobeVar.h"

#include <QFileInfo>

TSettingsFile::TSettingsFile(QString fileName) : m_fileName(std::move(fileName)) {}

QString TSettingsFile::fileName() const {
    return m_fileName.isEmpty() ? GlobeVar::CfgFilePath() : m_fileName;
}

void TSettingsFile::load() const {
    if (m_text) return;
    if (m_fileName.isEmpty()) m_fileName = GlobeVar::CfgFilePath();
    m_existed = QFileInfo::exists(m_fileName);
    m_text = std::make_unique<ProfileText>(ProfileFile(m_fileName).read());
}

void TSettingsFile::TellIfUnreadable() const {
    if (!Text().readable())
        GlobeVar::ReportSettingsFileFault(m_fileName, QStringLiteral("Unable to read %1").arg(m_fileName));
}

bool TSettingsFile::Existed() const {
    load();
    return m_existed;
}

const ProfileText& TSettingsFile::Text() const {
    load();
    return *m_text;
}

void TSettingsFile::Change(const std::function<void(ProfileText&)>& change) {
    load();
    ProfileText changed = *m_text;
    change(changed);
    *m_text = std::move(changed);
    m_changed = true;
}

void TSettingsFile::Write() {
    load();
    ProfileFile(m_fileName).write(*m_text);
    m_changed = false;
}

bool TSettingsFile::WriteChanges() {
    if (!m_changed) return true;
    try {
        Write();
    } catch (const ProfileWriteError& e) {
        // Told once; the file keeps what it held, and the same refusal is not tried again.
        m_changed = false;
        GlobeVar::ReportSettingsFileFault(e.fileName(), QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

TSettingsFileLink::~TSettingsFileLink() {
    if (m_own) m_own->WriteChanges();
}

TSettingsFile& TSettingsFileLink::get() {
    if (m_file) return *m_file;
    if (!m_own) m_own = std::make_unique<TSettingsFile>();
    return *m_own;
}
