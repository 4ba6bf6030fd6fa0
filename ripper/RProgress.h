#pragma once

#include "platform/Form.h"

class QLabel;
class TskButton;
class TskProgressBar;

namespace Duzivuz {

// What the progress window asks of the window running the rip.
class TRipProgressOwner {
public:
    virtual ~TRipProgressOwner() = default;
    virtual bool Busy() const = 0;
    virtual void CancelRip() = 0;
};

// The rip's progress window ("   Extracting..."): the current track's and the whole run's percent
// and speed. Closing it before the run is finished cancels the rip.
class TfrmRProgress : public TForm {
    Q_OBJECT
public:
    explicit TfrmRProgress(QWidget* owner = nullptr);

    void SetMainWindow(TRipProgressOwner* main) { m_main = main; }
    void SetFinished(bool Value) { m_finished = Value; }
    bool Finished() const { return m_finished; }
    // Percent and speed ("<n> x") of the current track and of the run.
    void ShowProgress(int trackDone, int trackSpeed, int totalDone, int totalSpeed);

public Q_SLOTS:
    void bCancelClick();

protected:
    void FormShow() override;
    void FormClose() override;

private:
    TRipProgressOwner* m_main = nullptr;
    bool m_finished = false;
    QLabel* lbRTrackDone2;
    QLabel* lbRTrackSpeed2;
    QLabel* lbRTotalDone2;
    QLabel* lbRTotalSpeed2;
    TskProgressBar* proTrack;
    TskProgressBar* proTotal;
    TskButton* bCancel;
};

} // namespace Duzivuz
