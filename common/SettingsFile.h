#pragma once

#include "platform/ProfileFile.h"

#include <QString>

#include <functional>
#include <memory>

// A program's settings file, one object for the whole program: the program block owns it and hands
// it to the windows that keep their settings there. The file is read once, at the first look; the
// windows then read and change the text in memory, and it reaches the disk only when written: on
// the first run, at each "&Ok" of a settings window, and once at exit, after every window has put
// in what it keeps. Every write is one whole write of the file (ProfileFile::write).
class TSettingsFile {
public:
    // The program's file, GlobeVar::CfgFilePath() as it stands at the first look (the main window's
    // creation sets the folders).
    TSettingsFile() = default;
    explicit TSettingsFile(QString fileName);
    TSettingsFile(const TSettingsFile&) = delete;
    TSettingsFile& operator=(const TSettingsFile&) = delete;

    QString fileName() const;
    // The file was there at the first look (false: the program's first run).
    bool Existed() const;
    // The text, read at the first look; the keys of a file that is there but cannot be read read
    // as missing.
    const ProfileText& Text() const;
    // "Unable to read <file>", told once (GlobeVar::ReportSettingsFileFault), when the file is there
    // but could not be read.
    void TellIfUnreadable() const;
    // Changes the text in memory. A value the text refuses raises ProfileWriteError and changes
    // nothing.
    void Change(const std::function<void(ProfileText&)>& change);
    // Writes the text now; raises ProfileWriteError when the file refuses it (the text keeps the
    // changes, so a later write may still take them).
    void Write();
    // Writes the text when it was changed since the last write. A refused write is told once
    // (GlobeVar::ReportSettingsFileFault); false then.
    bool WriteChanges();

private:
    void load() const;

    mutable QString m_fileName;
    mutable std::unique_ptr<ProfileText> m_text;
    mutable bool m_existed = false;
    bool m_changed = false;
};

// A window's way to its program's settings file: the program block's object once it is given, or
// else (a window made on its own, as tests make them) an object of its own for the same file, whose
// changes are written when the window goes.
class TSettingsFileLink {
public:
    TSettingsFileLink() = default;
    // An object of its own writes what was changed and not yet written (WriteChanges).
    ~TSettingsFileLink();
    TSettingsFileLink(const TSettingsFileLink&) = delete;
    TSettingsFileLink& operator=(const TSettingsFileLink&) = delete;
    void Set(TSettingsFile* file) { m_file = file; }
    TSettingsFile& get();

private:
    TSettingsFile* m_file = nullptr;
    std::unique_ptr<TSettingsFile> m_own;
};
