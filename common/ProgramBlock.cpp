#include "common/ProgramBlock.h"

#include "platform/Application.h"
#include "platform/SingleInstance.h"

#include <QFileInfo>

int RunProgramBlock(int argc, char** argv, const ProgramDescription& program) {
    // Before anything else, without an application object: a second copy ends silently.
    const QString programFile = QFileInfo(QString::fromLocal8Bit(argc > 0 ? argv[0] : "")).fileName();
    if (!SingleInstance::acquire(programFile.isEmpty() ? program.title : programFile)) return 0;

    GlobeVar::Initialize(program.startValues);
    int code = 0;
    {
        Application app(argc, argv);
        app.setTitle(program.title);
        const QString systemPrefix = GlobeVar::GetSystemDir() + u'/';
        for (const QString& file : program.componentFiles)
            GlobeVar::RegisterComServer(systemPrefix + file, 1);
        program.createWindows(app);
        code = app.exec();
    }
    GlobeVar::Finalize();
    return code;
}
