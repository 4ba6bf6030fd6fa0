#pragma once

#include "platform/Form.h"

#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>
#include <initializer_list>
#include <vector>

class TAudioFile2;
class TAudioInformation2;
class TAudioPlayer2;

// Readies a preview: stops `player`, opens `fileName` with `reader` and describes it with `info`.
// False (the reader closed) when the file gives no audio; otherwise the player takes the file's
// format and `blockSamples` is 166 ms of it.
bool OpenForPlayback(TAudioPlayer2& player, TAudioFile2& reader, TAudioInformation2& info,
                     const QString& fileName, int& blockSamples);

// What the splitter and joiner windows share: the settings and help buttons, the frame shaped from
// the recorder's corner pictures, and the life cycle of
// their run (a split or a merge on a worker). Their messages and questions go through the program's
// question and message window (DialogMessages).
//
// The run: Idle -> Running (RunBegins) -> Idle (RunEnds), with a cancel as the only way out early.
// While it runs the cancel button stands in the start button's place and the controls that could
// change what it works on are disabled; closing the window asks the run's question first, and Yes
// cancels the run and closes the window once it has ended. Its progress messages
// (WM_SPLITJOINPROGRESS: entry index, percent) name the row being written ("<verb>: p % done"),
// and "Done" once the entry reached 100.
class TToolForm : public TForm {
    Q_OBJECT
public:
    explicit TToolForm(QWidget* owner = nullptr);
    ~TToolForm() override;

    void SetOptionsWindow(TForm* options);

protected:
    // What the run shows and locks: the start and cancel buttons, the controls disabled while it
    // runs, the question asked on closing during it, and the verb of its progress ("Splitting").
    void SetRunControls(QWidget* start, QWidget* cancel, std::initializer_list<QWidget*> locked,
                        const QString& closeQuestion, const QString& verb);
    bool RunActive() const { return m_runActive; }
    bool RunCancelRequested() const { return m_runCancelRequested; }
    // The row of the entry being written; -1 before the first progress and after an entry's 100.
    int RunProgressRow() const { return m_runProgressRow; }
    // The Start button: a cancel of the run before is forgotten.
    void RunStartClicked() { m_runCancelRequested = false; }
    // Idle -> Running, for the entries written in the rows `rows` (entry index -> row). `cancel`
    // asks the worker to end.
    void RunBegins(std::vector<int> rows, std::function<void()> cancel);
    // Running -> Idle, once the worker has ended: the progress it posted last is shown first, the
    // buttons and controls come back, `report` shows the outcome, the player is told files were
    // written, and the window closes when it was asked to.
    void RunEnds(const std::function<void()>& report);
    // The Cancel button: the worker is asked to end; its end still comes.
    void CancelRun();
    // The row `row`'s status text.
    virtual void SetRunStatus(int row, const QString& text) = 0;
    virtual int RunRowCount() const = 0;
    // Progress of entry `entry` below 100, after its row has been shown.
    virtual void RunProgress(int entry, int percent) {
        (void)entry;
        (void)percent;
    }

    void FormCloseQuery(bool& canClose) override;
    void FormClose() override;
    void customEvent(QEvent* event) override;

    // Gives the window's skSkinForm1 its shape from the corner pictures imgLT, imgRT, imgLD and
    // imgRD; the side panel plSide goes to the right edge.
    void ShapeWindow();
    void ShowOptions();
    // Opens the program's help page beside it; a missing page is simply not opened.
    void ShowHelp();

private:
    void SetRunning(bool running);

    QPointer<TForm> m_options;
    QWidget* m_runStart = nullptr;
    QWidget* m_runCancel = nullptr;
    std::vector<QWidget*> m_runLocked;
    QString m_runQuestion, m_runVerb;
    std::vector<int> m_runRows;
    std::function<void()> m_cancelWorker;
    bool m_runActive = false;
    bool m_runCancelRequested = false;
    bool m_runCloseRequested = false;
    int m_runProgressRow = -1;
};
