#pragma once

#include "common/PathSelect.h"
#include "common/SettingsFile.h"
#include "components/TFreeDBInformation2.h"
#include "platform/Form.h"
#include "ripper/OptionsSettings.h"

#include <QMap>
#include <QPointer>

class QComboBox;
class QLineEdit;
class TskCheckBox;

namespace Duzivuz {

// The ripper's settings window: output formats, rip folder and file-name pattern, additional tag
// texts and the disc-lookup server. Its creation loads DuzivuzCfg.ini (or writes a fresh one) and
// fills the globals; "&Ok" writes the globals and the file; Cancel puts the format pages and the
// output folder back as they were shown. The pattern, the tag texts and "use all" act at once.
class TfrmOptions : public TForm {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget* owner = nullptr);

    // The main window's lookup object (its server table, and where the chosen server goes).
    void SetLookupObject(TFreeDBInformation2* info) { m_info = info; }
    void SetPathSelect(TfrmPathSelect* dialog) { m_pathSelect = dialog; }
    // The program's settings file (without one, the window keeps an object of its own for it).
    void SetSettingsFile(TSettingsFile* settings) { m_settings.Set(settings); }

    TRipperOptions ReadControls() const;
    void WriteControls(const TRipperOptions& options);
    void UpdateVbrControls();
    // The run settings of the main window ("RSettings") into the controls that show them.
    void ShowRunSettings();

    bool OkPressed = false;

public Q_SLOTS:
    void btnOptionOkClick();
    void btnOptionCancelClick();
    void btnOptionDefaultClick();
    void btnOutputFolderClick();
    void cboxVBREnableClick();

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormClose() override;
    void FormDestroy() override;

private:
    void takeRunSettings();

    QPointer<TFreeDBInformation2> m_info;
    QPointer<TfrmPathSelect> m_pathSelect;
    TSettingsFileLink m_settings;
    TRipperOptions m_kept;
    bool m_settingsRead = false; // the controls hold the file's settings (or the first run's)
    QComboBox* cmbFreeDBServer;
    QComboBox* cmbROutputFilename;
    QLineEdit* edOutputFolder;
    QLineEdit* edtFreeDBPort;
    QLineEdit* edtFreeDBTimeOut;
    QLineEdit* edtRComments;
    QLineEdit* edtRCopyRight;
    QLineEdit* edtRUrl;
    QLineEdit* edtREncodeBy;
    TskCheckBox* chkRUseAll;
};

} // namespace Duzivuz
