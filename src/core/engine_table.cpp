#include "core/engine_table.h"

const ZelvaroEngine* Engine = nullptr;
