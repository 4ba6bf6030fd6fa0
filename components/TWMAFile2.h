#pragma once

#include <QObject>
#include <QString>

// The list of WMA output profiles (see WmaProfiles.h). Profile k, 1-based, is what
// TAudioFile2::SetWmaFormat(k) writes.
class TWMAFile2 : public QObject {
    Q_OBJECT

public:
    explicit TWMAFile2(QObject* parent = nullptr) : QObject(parent) {}

    int GetProfileCount() const;
    // Raises ComponentError for a number outside 1 .. GetProfileCount.
    void SelectProfile(int profile);
    // Name of the selected profile, e.g. "44100Hz,stereo,128kbps".
    QString GetProfileName() const;

private:
    int m_selected = 15;
};
