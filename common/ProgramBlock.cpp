#include "common/ProgramBlock.h"

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/FormResource.h"
#include "platform/SingleInstance.h"

#include <QFileInfo>

#include <csignal>

ProgramWindows::~ProgramWindows() {
    Close();
}

void ProgramWindows::keep(TForm* window) {
    m_windows.emplace_back(window);
    RunGuarded([window] { window->create(); });
}

void ProgramWindows::Close() {
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        if (TForm* window = it->data()) RunGuarded([window] { window->destroyForm(); });
    m_settings.WriteChanges();
    // A window deleted with its owner before its turn has cleared its pointer.
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        delete it->data();
    m_windows.clear();
}

int RunProgram(Application& app, const ProgramDescription& program,
               const std::function<void(ProgramWindows&)>& started) {
    // The programs write into pipes and sockets (a sound server's, an audio device that writes
    // into a command): a reader that goes away makes the write fail with EPIPE, which the writer
    // handles as its device's or file's error, instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    GlobeVar::Initialize(program.startValues);
    app.setTitle(program.title);
    const QString systemPrefix = GlobeVar::GetSystemDir() + u'/';
    for (const QString& file : program.componentFiles)
        GlobeVar::RegisterComServer(systemPrefix + file, 1);
    int code = 1;
    {
        ProgramWindows windows;
        bool created = false;
        RunGuarded([&] {
            program.createWindows(windows);
            created = true;
        });
        if (created) {
            if (started) started(windows);
            code = app.exec();
        }
        windows.Close();
    }
    // The pictures decoded ahead for windows made after the main window: their thread ends too.
    WaitForPrefetchedPictures();
    if (program.finalize) program.finalize();
    GlobeVar::Finalize();
    return code;
}

int RunProgramBlock(int argc, char** argv, const ProgramDescription& program) {
    // Before anything else, without an application object: a second copy ends silently.
    const QString programFile = QFileInfo(QString::fromLocal8Bit(argc > 0 ? argv[0] : "")).fileName();
    if (!SingleInstance::acquire(programFile.isEmpty() ? program.title : programFile)) return 0;
    Application app(argc, argv);
    return RunProgram(app, program);
}
