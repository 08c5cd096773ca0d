// Placeholder until the engine exists: no table for any version.
#include "zelvaro_engine.h"

extern "C" const ZelvaroEngine* ZelvaroGetEngine(int) { return nullptr; }
