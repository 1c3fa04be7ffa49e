// Pomix: the entry. Runs until the main window is closed. The only arguments are --help and
// --version; an installed program keeps its data in the user's data folder (app/program_start.h).
#include "app/program_run.h"

#ifndef POMIX_SHARE_FROM_BIN
#define POMIX_SHARE_FROM_BIN "../share/pomix"
#endif

int main(int argc, char** argv) {
    return pomix::RunProgram(argc, argv, POMIX_SHARE_FROM_BIN);
}
