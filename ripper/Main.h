#pragma once

#include "platform/Form.h"

#include <QString>

namespace Duzivuz {

// The ripper's main window.
class TfrmMain : public TForm {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* owner = nullptr);

protected:
    void FormCreate() override;
};

// The section "RSettings" of the ripper's settings file: the rip folder and run settings the main
// window reads when it is shown and writes when it closes.
struct TRSettings {
    QString ROutPutPath;     // the rip folder; empty is the program folder
    int ROutputFilename = 1; // index of the file-name pattern, 0..13
    int ROutputFormat = 1;   // RipFormat: 1 WAV, 2 MP3, 3 OGG, 4 WMA
    bool RUseAll = true;     // write the four additional tags
    QString RComments, RCopyRight, RUrl, REncodeBy;

    bool operator==(const TRSettings&) const = default;
};

// Reads the section key by key: a missing key (or a file that is not there) takes its default, an
// index outside its list too, an empty rip folder is the program folder (GlobeVar::AppPath).
TRSettings ReadRSettings(const QString& cfgFile);
// Writes the section in the same key order ("ROutPutPath", "ROutputFilename", "ROutputFormat",
// "RUseAll", "RComments", "RCopyRight", "RUrl", "REncodeBy"; an empty rip folder as the program
// folder). A refused write ends the writing there and gives false; what was written stays.
bool WriteRSettings(const QString& cfgFile, const TRSettings& settings);

} // namespace Duzivuz
