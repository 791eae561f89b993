#include "platform/ProgramArguments.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "platform/SystemDll.h"

std::vector<CString> ProgramArguments() {
    const wchar_t* line = ::GetCommandLineW();
    // shell32 is slow to load: only when something follows the program's name, which ends at its
    // closing quote, or unquoted at the first blank.
    const wchar_t* rest = line + (*line == L'"' ? 1 : 0);
    rest += std::wcscspn(rest, *line == L'"' ? L"\"" : L" \t");
    if (*rest == L'"') ++rest;
    if (rest[std::wcsspn(rest, L" \t")] == L'\0') return {};
    const auto split =
        SystemFunction<decltype(&CommandLineToArgvW)>(L"shell32.dll", "CommandLineToArgvW", false);
    int count = 0;
    LPWSTR* args = split ? split(line, &count) : nullptr;
    if (!args) return {};
    std::vector<CString> arguments(args + (count > 0 ? 1 : 0), args + count);
    ::LocalFree(args);
    return arguments;
}
