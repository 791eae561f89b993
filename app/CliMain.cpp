// quorvane-cli.exe's entry: the arguments as the system gives them, in UTF-16.
#include <string>
#include <vector>

#include "cli/CommandLineRun.h"
#include "platform/SystemDll.h"
#include "platform/Text.h"

int wmain(int argc, wchar_t** argv) {
    RestrictDllSearchToSystemFolder();
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.push_back(ToUtf16(argv[i]));
    Console console;
    return RunCommandLine(args, console);
}
