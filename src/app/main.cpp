// Zelvaro: the screen saver's executable.
// SDL's header comes first: where SDL starts the program itself (Windows), it renames main.
#include <SDL.h>

#include "app/run_modes.h"

int main(int argc, char** argv) { RunProgram(argc, argv); }
