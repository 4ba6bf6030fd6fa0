#include "ripper/Options.h"

#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "common/PathSelect.h"
#include "components/TFreeDBInformation2.h"
#include "components/TWMAFile2.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "platform/ProfileFile.h"
#include "platform/UserMessages.h"
#include "ripper/RGlobeVar.h"
#include "skin/SKButton.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace Duzivuz {

using Videzeva::OptionInfo;
using Videzeva::OptionKind;

TfrmOptions::TfrmOptions(QWidget* owner) : TForm(owner) {
    LoadFormResource(this, QStringLiteral(":/forms/Duzivuz/Options.form"));
    cmbFreeDBServer = NativeCombo(FormChild<QObject>(this, QStringLiteral("cmbFreeDBServer")));
    cmbROutputFilename = NativeCombo(FormChild<QObject>(this, QStringLiteral("cmbROutputFilename")));
    edOutputFolder = NativeEdit(FormChild<QObject>(this, QStringLiteral("edOutputFolder")));
    edtFreeDBPort = NativeEdit(FormChild<QObject>(this, QStringLiteral("edtFreeDBPort")));
    edtFreeDBTimeOut = NativeEdit(FormChild<QObject>(this, QStringLiteral("edtFreeDBTimeOut")));
    edtRComments = NativeEdit(FormChild<QObject>(this, QStringLiteral("edtRComments")));
    edtRCopyRight = NativeEdit(FormChild<QObject>(this, QStringLiteral("edtRCopyRight")));
    edtRUrl = NativeEdit(FormChild<QObject>(this, QStringLiteral("edtRUrl")));
    edtREncodeBy = NativeEdit(FormChild<QObject>(this, QStringLiteral("edtREncodeBy")));
    chkRUseAll = FormChild<TskCheckBox>(this, QStringLiteral("chkRUseAll"));
    // Port and time-out take digits only; their ranges are checked by "&Ok".
    const QRegularExpression digits(QStringLiteral("[0-9]{1,6}"));
    edtFreeDBPort->setValidator(new QRegularExpressionValidator(digits, edtFreeDBPort));
    edtFreeDBTimeOut->setValidator(new QRegularExpressionValidator(digits, edtFreeDBTimeOut));
    // The WMA profiles as the WMA component names them, as the recorder lists them: a profile the
    // encoder writes at a higher bit rate than designed names the rate it really gets.
    QComboBox* wma = NativeCombo(FormChild<QObject>(this, QStringLiteral("cboxWmaFormat")));
    TWMAFile2 profiles;
    wma->clear();
    for (int p = 1; p <= profiles.GetProfileCount(); ++p) {
        profiles.SelectProfile(p);
        wma->addItem(profiles.GetProfileName());
    }
    ApplyEmbeddedTheme(this);
    FitSkinnedDialog(this);
}

TRipperOptions TfrmOptions::ReadControls() const {
    TRipperOptions o;
    for (int s = Videzeva::WavFreq; s <= Videzeva::WmaFormat; ++s) {
        const auto& info = OptionInfo(static_cast<Videzeva::OptionSetting>(s));
        QObject* control = findChild<QObject*>(QString::fromLatin1(info.control));
        if (info.kind == OptionKind::Flag)
            o.shared.number[s] = static_cast<TskCheckBox*>(control)->Checked() ? 1 : 0;
        else
            o.shared.number[s] = NativeCombo(control)->currentIndex();
    }
    o.shared.text[Videzeva::OutputPath] = edOutputFolder->text();
    o.freeDBServer = cmbFreeDBServer->currentIndex();
    o.freeDBPort = edtFreeDBPort->text().toInt();
    o.freeDBTimeOut = edtFreeDBTimeOut->text().toInt();
    return o;
}

void TfrmOptions::WriteControls(const TRipperOptions& o) {
    for (int s = Videzeva::WavFreq; s <= Videzeva::WmaFormat; ++s) {
        const auto& info = OptionInfo(static_cast<Videzeva::OptionSetting>(s));
        QObject* control = findChild<QObject*>(QString::fromLatin1(info.control));
        if (info.kind == OptionKind::Flag)
            static_cast<TskCheckBox*>(control)->SetChecked(o.shared.number[s] != 0);
        else
            NativeCombo(control)->setCurrentIndex(o.shared.number[s]);
    }
    edOutputFolder->setText(o.shared.text[Videzeva::OutputPath]);
    cmbFreeDBServer->setCurrentIndex(o.freeDBServer);
    edtFreeDBPort->setText(QString::number(o.freeDBPort));
    edtFreeDBTimeOut->setText(QString::number(o.freeDBTimeOut));
    UpdateVbrControls();
}

void TfrmOptions::UpdateVbrControls() {
    const bool vbr = FormChild<TskCheckBox>(this, QStringLiteral("cboxVBREnable"))->Checked();
    for (const char* name :
         {"lblMaxBitRate", "cboxMP3MaxBitRate", "lblVBRQuality", "cboxMP3VBRQuality", "cboxVBRHeader"})
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(name))) w->setEnabled(vbr);
}

void TfrmOptions::cboxVBREnableClick() {
    UpdateVbrControls();
}

void TfrmOptions::FormCreate() {
    cmbFreeDBServer->clear();
    if (m_info) {
        cmbFreeDBServer->addItems(FreeDBServerNames(*m_info));
        const TRipperOptions options = StartupRipperOptions(m_settings.get(), *m_info);
        WriteControls(options);
        ApplyRipperOptionsToGlobals(options);
        GetFreeDBSettings(options, *m_info);
        m_settingsRead = true;
    }
    ShowRunSettings();
}

void TfrmOptions::ShowRunSettings() {
    cmbROutputFilename->setCurrentIndex(RGlobeVar::ROutputFilename);
    chkRUseAll->SetChecked(RGlobeVar::RUseAll);
    edtRComments->setText(RGlobeVar::RComments);
    edtRCopyRight->setText(RGlobeVar::RCopyRight);
    edtRUrl->setText(RGlobeVar::RUrl);
    edtREncodeBy->setText(RGlobeVar::REncodeBy);
    if (!RGlobeVar::ROutPutPath.isEmpty()) edOutputFolder->setText(RGlobeVar::ROutPutPath);
}

void TfrmOptions::takeRunSettings() {
    RGlobeVar::ROutputFilename = cmbROutputFilename->currentIndex();
    RGlobeVar::RUseAll = chkRUseAll->Checked();
    RGlobeVar::RComments = edtRComments->text();
    RGlobeVar::RCopyRight = edtRCopyRight->text();
    RGlobeVar::RUrl = edtRUrl->text();
    RGlobeVar::REncodeBy = edtREncodeBy->text();
}

void TfrmOptions::FormShow() {
    ShowRunSettings();
    m_kept = ReadControls();
    OkPressed = false;
}

void TfrmOptions::btnOptionOkClick() {
    const TRipperOptions options = ReadControls();
    // Digits only reach the edits; the numbers must lie in their ranges.
    if (options.freeDBPort < 1 || options.freeDBPort > 65535) {
        BoxMessages().Tell(QStringLiteral("The port must be a number from 1 to 65535."), this);
        return;
    }
    if (options.freeDBTimeOut < 1 || options.freeDBTimeOut > kMaxFreeDBTimeOut) {
        BoxMessages().Tell(
            QStringLiteral("The time-out must be a number from 1 to %1 ms.").arg(kMaxFreeDBTimeOut), this);
        return;
    }
    OkPressed = true;
    ApplyRipperOptionsToGlobals(options); // also the rip folder: the next rip uses it
    if (m_info) GetFreeDBSettings(options, *m_info);
    // A file that refuses the write: the error's box, and the window stays open.
    SaveRipperSettings(m_settings.get(), options);
    close();
}

void TfrmOptions::btnOptionCancelClick() {
    close();
}

void TfrmOptions::btnOptionDefaultClick() {
    TRipperOptions defaults = SetDefaultOptions();
    WriteControls(defaults);
}

void TfrmOptions::btnOutputFolderClick() {
    if (!m_pathSelect) return;
    m_pathSelect->ShowModal();
    const QString folder = m_pathSelect->SelectedPath;
    if (folder.isEmpty()) return;
    if (!Videzeva::CanWriteToFolder(folder)) {
        BoxMessages().Tell(QStringLiteral("The path can't set as output path"), this);
        return;
    }
    edOutputFolder->setText(folder);
}

void TfrmOptions::FormClose() {
    takeRunSettings();
    if (OkPressed) return;
    // The format pages and the output folder as they were shown; the server stays as chosen.
    TRipperOptions restored = ReadControls();
    restored.shared = m_kept.shared;
    WriteControls(restored);
}

void TfrmOptions::FormDestroy() {
    // The save at exit, one write with the main window's section, which its close put in; a file that
    // refuses it is told once in the program's run. A window that never read the settings would
    // overwrite them with what its form was designed with (the program block then writes the rest).
    if (!m_settingsRead) return;
    TSettingsFile& settings = m_settings.get();
    const TRipperOptions options = ReadControls();
    try {
        settings.Change([&](ProfileText& file) { SaveRipperSettings(file, options); });
    } catch (const ProfileWriteError& e) {
        GlobeVar::ReportSettingsFileFault(e.fileName(), QString::fromUtf8(e.what()));
    }
    settings.WriteChanges();
}

} // namespace Duzivuz
