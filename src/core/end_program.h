// The one way out of the process: every mode ends here, with exit code 0. The program's entry
// defines it, since only it knows everything that has been started.
#pragma once

// Releases whatever has been started, in a fixed order, and exits with code 0.
[[noreturn]] void EndProgram();
