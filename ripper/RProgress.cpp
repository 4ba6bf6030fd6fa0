#include "ripper/RProgress.h"

#include "common/DialogControls.h"
#include "platform/FormResource.h"
#include "skin-extra/SKProgressBar.h"
#include "skin/SKButton.h"

#include <QImage>
#include <QLabel>

namespace Duzivuz {

TfrmRProgress::TfrmRProgress(QWidget* owner) : TForm(owner) {
    LoadFormResource(this, QStringLiteral(":/forms/Duzivuz/RProgress.form"));
    lbRTrackDone2 = FormChild<QLabel>(this, QStringLiteral("lbRTrackDone2"));
    lbRTrackSpeed2 = FormChild<QLabel>(this, QStringLiteral("lbRTrackSpeed2"));
    lbRTotalDone2 = FormChild<QLabel>(this, QStringLiteral("lbRTotalDone2"));
    lbRTotalSpeed2 = FormChild<QLabel>(this, QStringLiteral("lbRTotalSpeed2"));
    proTrack = FormChild<TskProgressBar>(this, QStringLiteral("proTrack"));
    proTotal = FormChild<TskProgressBar>(this, QStringLiteral("proTotal"));
    bCancel = FormChild<TskButton>(this, QStringLiteral("bCancel"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    ApplyEmbeddedTheme(this);
    FitSkinnedDialog(this);
    // The bars fill in the ripper's own colour.
    const QImage fill(QStringLiteral(":/art/Duzivuz/ProgressFill.png"));
    proTrack->SetPicture(fill);
    proTotal->SetPicture(fill);
}

void TfrmRProgress::FormShow() {
    m_finished = false;
    proTrack->SetPosition(0);
    proTotal->SetPosition(0);
    lbRTrackDone2->setText(QStringLiteral("0%"));
    lbRTotalDone2->setText(QStringLiteral("0%"));
    bCancel->SetCaption(QStringLiteral("Cancel"));
}

void TfrmRProgress::ShowProgress(int trackDone, int trackSpeed, int totalDone, int totalSpeed) {
    proTrack->SetPosition(trackDone);
    lbRTrackDone2->setText(QStringLiteral("%1%").arg(trackDone));
    lbRTrackSpeed2->setText(QStringLiteral("%1 x").arg(trackSpeed));
    proTotal->SetPosition(totalDone);
    lbRTotalDone2->setText(QStringLiteral("%1%").arg(totalDone));
    lbRTotalSpeed2->setText(QStringLiteral("%1 x").arg(totalSpeed));
}

void TfrmRProgress::bCancelClick() {
    close();
}

void TfrmRProgress::FormClose() {
    if (!m_finished && m_main && m_main->Busy()) m_main->CancelRip();
}

} // namespace Duzivuz
