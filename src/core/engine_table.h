// The loaded engine's table of operations, through which every 3D and 2D call goes.
#pragma once
#include "zelvaro_engine.h"

// Set once the library is started; tests point it at a recording fake.
extern const ZelvaroEngine* Engine;
