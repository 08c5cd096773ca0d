// The program's side of the engine library: loading it and taking its operation table.
#pragma once
#include "core/engine_table.h"

// Loads the library from the program's folder (else by the system's search for its file name),
// takes its table and starts it; 0 on any failure.
int InitEngine3D(int flags, const char* libraryName);
// Shuts the engine down and unloads the library (nothing when none is loaded).
void ReleaseEngine3D();
