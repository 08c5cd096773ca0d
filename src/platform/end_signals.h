// The system's request to end the process (SIGTERM, SIGINT), caught so that the run still ends
// through EndProgram with exit code 0, even when it comes before the screen is open.
#pragma once

// From now on the two signals only set a flag; SDL then leaves them to us.
void CatchEndSignals();
// True once one of them has come.
bool EndSignalReceived();
