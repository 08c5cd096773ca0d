// Zelvaro: the screen saver's executable.
#include "app/run_modes.h"

int main(int argc, char** argv) { RunProgram(argc, argv); }
