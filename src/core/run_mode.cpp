#include "core/run_mode.h"

RunModeKind RunMode = RunModeKind::Configure;
std::string HostHandleText;
const char* const ProgramTitle = "Zelvaro";
const char* const ProgramBaseName = "Zelvaro";
