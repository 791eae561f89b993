// The arguments that the program was started with.
#pragma once

#include <vector>

#include "platform/CString.h"

// What follows the program's own name on its command line (GetCommandLineW), split as
// CommandLineToArgvW splits it: "%1" in quotes, as Explorer passes a path, is the path.
std::vector<CString> ProgramArguments();
