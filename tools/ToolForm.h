#pragma once

#include "platform/Form.h"

#include <QPointer>
#include <QSize>
#include <QString>

class TAudioFile2;
class TAudioInformation2;
class TAudioPlayer2;

// Readies a preview: stops `player`, opens `fileName` with `reader` and describes it with `info`.
// False (the reader closed) when the file gives no audio; otherwise the player takes the file's
// format and `blockSamples` is 166 ms of it.
bool OpenForPlayback(TAudioPlayer2& player, TAudioFile2& reader, TAudioInformation2& info,
                     const QString& fileName, int& blockSamples);

// What the splitter and joiner windows share: the settings and help buttons, the frame shaped from
// the recorder's corner pictures, and the two signals the player window follows. Their messages and
// questions go through the program's question and message window (DialogMessages).
class TToolForm : public TForm {
    Q_OBJECT
public:
    explicit TToolForm(QWidget* owner = nullptr);
    ~TToolForm() override;

    void SetOptionsWindow(TForm* options);

Q_SIGNALS:
    // Files were written into a folder the player may show: it reads its folder again.
    void OnFilesWritten();
    // The window was closed.
    void OnClosed();

protected:
    // Gives the window's skSkinForm1 its shape from the corner pictures imgLT, imgRT, imgLD and
    // imgRD; the side panel plSide goes to the right edge.
    void ShapeWindow();
    void ShowOptions();
    // Opens the program's help page beside it; a missing page is simply not opened.
    void ShowHelp();

private:
    QPointer<TForm> m_options;
};
