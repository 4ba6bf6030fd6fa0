#include "tools/ToolForm.h"

#include "common/GlobeVar.h"
#include "components/TAudioFile2.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "platform/Shell.h"
#include "skin/SKSkinForm.h"

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
    const QString help = GlobeVar::AppPath + QStringLiteral("VidezevaHelp.html");
    if (QFileInfo::exists(help)) ShellOpen(help);
}
