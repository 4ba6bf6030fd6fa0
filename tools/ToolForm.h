#pragma once

#include "platform/Form.h"

#include <QPointer>
#include <QSize>
#include <QString>

class TAudioFile2;
class TAudioInformation2;
class TAudioPlayer2;
class TfrmConfirm;

// Readies a preview: stops `player`, opens `fileName` with `reader` and describes it with `info`.
// False (the reader closed) when the file gives no audio; otherwise the player takes the file's
// format and `blockSamples` is 166 ms of it.
bool OpenForPlayback(TAudioPlayer2& player, TAudioFile2& reader, TAudioInformation2& info,
                     const QString& fileName, int& blockSamples);

// What the splitter and joiner windows share: their messages and questions (through the confirm
// window, else a message box, else only LastMessage), the settings and help buttons, the frame shaped
// from the recorder's corner pictures, and the two signals the player window follows.
class TToolForm : public TForm {
    Q_OBJECT
public:
    explicit TToolForm(QWidget* owner = nullptr);
    ~TToolForm() override;

    void SetConfirmWindow(TfrmConfirm* confirm);
    void SetOptionsWindow(TForm* options);

    // The last message or question the window showed; message boxes are shown only while
    // ShowMessages is true.
    QString LastMessage;
    bool ShowMessages = true;
    // The answer to a question when none can be shown (no confirm window and ShowMessages false).
    int UnattendedAnswer = 7;

Q_SIGNALS:
    // Files were written into a folder the player may show: it reads its folder again.
    void OnFilesWritten();
    // The window was closed.
    void OnClosed();

protected:
    void Say(const QString& text);
    // 6 for yes, 7 for no.
    int Ask(const QString& question);
    // Gives the window's skSkinForm1 its shape from the corner pictures imgLT, imgRT, imgLD and
    // imgRD; the side panel plSide goes to the right edge.
    void ShapeWindow();
    void ShowOptions();
    // Opens the program's help page beside it; a missing page is simply not opened.
    void ShowHelp();

private:
    QPointer<TfrmConfirm> m_confirm;
    QPointer<TForm> m_options;
};
