#include "tools/ToolForm.h"

#include "common/GlobeVar.h"
#include "components/TAudioFile2.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "platform/Shell.h"
#include "platform/UserMessages.h"
#include "platform/WindowMessages.h"
#include "skin/SKSkinForm.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>

bool OpenForPlayback(TAudioPlayer2& player, TAudioFile2& reader, TAudioInformation2& info,
                     const QString& fileName, int& blockSamples) {
    player.Stop();
    reader.Close();
    reader.EnableWMA(-1);
    reader.OpenRead(fileName, 0, 1);
    try {
        info.SetFileName(fileName);
    } catch (const std::exception&) {
        // Whether the file plays is the reader's to say (below); a file the information component
        // cannot describe plays without its description.
    }
    if (reader.GetLastError() != 0 || reader.GetLength() == 0) {
        player.Stop();
        reader.Close();
        return false;
    }
    player.SetFormat(reader.GetSampleFormat1(), reader.GetSampleFormat2());
    blockSamples = int(player.MsToSamples(166));
    return true;
}

TToolForm::TToolForm(QWidget* owner) : TForm(owner) {}

TToolForm::~TToolForm() = default;

void TToolForm::SetOptionsWindow(TForm* options) {
    m_options = options;
}

void TToolForm::ShapeWindow() {
    FormChild<TskSkinForm>(this, QStringLiteral("skSkinForm1"))
        ->ShapeFromCorners({FormChild<QLabel>(this, QStringLiteral("imgLT")),
                            FormChild<QLabel>(this, QStringLiteral("imgRT")),
                            FormChild<QLabel>(this, QStringLiteral("imgLD")),
                            FormChild<QLabel>(this, QStringLiteral("imgRD"))});
    QLabel* side = FormChild<QLabel>(this, QStringLiteral("plSide"));
    side->move(width() - 2, 4);
    side->show();
}

void TToolForm::ShowOptions() {
    if (m_options) ::ShowModal(*m_options);
}

void TToolForm::ShowHelp() {
    ShellOpen(GlobeVar::AppPath + QStringLiteral("VidezevaHelp.html"));
}

void TToolForm::SetRunControls(QWidget* start, QWidget* cancel, std::initializer_list<QWidget*> locked,
                               const QString& closeQuestion, const QString& verb) {
    m_runStart = start;
    m_runCancel = cancel;
    m_runLocked = locked;
    m_runQuestion = closeQuestion;
    m_runVerb = verb;
}

void TToolForm::SetRunning(bool running) {
    m_runActive = running;
    m_runCancel->setVisible(running);
    m_runStart->setVisible(!running);
    for (QWidget* w : m_runLocked)
        w->setEnabled(!running);
}

void TToolForm::RunBegins(std::vector<int> rows, std::function<void()> cancel) {
    m_runRows = std::move(rows);
    m_cancelWorker = std::move(cancel);
    m_runProgressRow = -1;
    SetRunning(true);
}

void TToolForm::RunEnds(const std::function<void()>& report) {
    // The progress the worker posted last is shown before its end.
    QCoreApplication::sendPostedEvents(this, WindowMessageEvent::eventType());
    m_cancelWorker = nullptr;
    SetRunning(false);
    report();
    if (m_runCloseRequested) close();
}

void TToolForm::CancelRun() {
    m_runCancelRequested = true;
    if (m_cancelWorker) m_cancelWorker();
}

void TToolForm::FormCloseQuery(bool& canClose) {
    if (!m_runActive) return;
    canClose = false;
    // The run ends first; its end closes the window.
    if (DialogMessages().Ask(m_runQuestion, this)) {
        m_runCloseRequested = true;
        CancelRun();
    }
}

void TToolForm::FormClose() {
    m_runCloseRequested = false;
}

void TToolForm::customEvent(QEvent* event) {
    if (event->type() != WindowMessageEvent::eventType()) return TForm::customEvent(event);
    auto* message = static_cast<WindowMessageEvent*>(event);
    if (message->id() != WindowMessageId::SplitJoinProgress) return;
    const auto entry = std::size_t(message->wParam());
    if (entry >= m_runRows.size()) return;
    const int row = m_runRows[entry];
    if (row < 0 || row >= RunRowCount()) return;
    const qintptr percent = message->lParam();
    if (percent > 99) {
        m_runProgressRow = -1;
        SetRunStatus(row, QStringLiteral("Done"));
        return;
    }
    m_runProgressRow = row;
    SetRunStatus(row, QStringLiteral("%1: %2 % done").arg(m_runVerb).arg(percent));
    RunProgress(int(entry), int(percent));
}
