// The program's side of the engine library: loading it and holding its operation table.
#pragma once
#include "zelvaro_engine.h"

// The table of the loaded engine; tests point it at a recording fake.
extern const ZelvaroEngine* Engine;

// Loads the library by bare file name, takes its table and starts it; 0 on any failure.
int InitEngine3D(int flags, const char* libraryName);
// Shuts the engine down and unloads the library (nothing when none is loaded).
void ReleaseEngine3D();
