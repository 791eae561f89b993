// shell-menu's run over the current user's registry; returns the process's exit status: 0 when
// done, 1 when install was refused or the registry could not be changed.
#pragma once

#include "cli/CommandLine.h"
#include "cli/Console.h"

int RunShellMenu(ShellMenuAction action, Console& console);
