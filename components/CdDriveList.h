#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One entry of the CD component's drive list: a real optical drive of the system, or a disc image
// (CUE/BIN or cdrdao TOC) named in the drive-list file, which then behaves as a drive with that
// disc inserted.
struct CdDriveEntry {
    QString id;     // device path ("/dev/sr0") or the image's file name
    QString source; // what libcdio opens: the device path or the image's full path
    QString vendor;
    QString product;
    QString revision;
    bool isImage = false;
    bool isTocImage = false; // cdrdao TOC file rather than a CUE sheet
};

namespace CdDriveList {

// The optional drive-list file: "AudioCDGrabber/drives.list" in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config). One image path per line; blank lines and lines starting
// with "#" are skipped; "~/" is the home folder; a relative path is taken from the file's folder.
QString driveListFile();

// The image paths the drive-list file names, in file order (empty when there is no file).
QStringList imagePaths();

// The system's optical drives (with vendor, product and revision as the drive reports them)
// followed by the listed images.
std::vector<CdDriveEntry> enumerate();

} // namespace CdDriveList
