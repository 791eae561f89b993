// The command line's run: the parsed command over every target that its paths name, each handled
// on its own, with what happens printed. Returns the process's exit status: 0 when every target
// was shown or written, 1 when at least one failed or was refused, 2 when the command line itself
// is wrong (and then nothing at all is touched).
#pragma once

#include <string>
#include <vector>

#include "cli/Console.h"

int RunCommandLine(const std::vector<std::u16string>& args, Console& console);
