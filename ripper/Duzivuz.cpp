// The CD ripper program.
#include "common/ProgramBlock.h"
#include "ripper/RipperWindows.h"

int main(int argc, char** argv) {
    return RunProgramBlock(argc, argv, RipperProgram());
}
