// The recorder program.
#include "common/ProgramBlock.h"
#include "recorder/RecorderWindows.h"

int main(int argc, char** argv) {
    return RunProgramBlock(argc, argv, RecorderProgram());
}
