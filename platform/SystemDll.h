// System DLLs that the program needs only now and then (the file dialog, the folder browser,
// drops), loaded from the system folder when first used. Loading them at start-up would slow it,
// and a DLL of the same name beside the program must never be the one that runs.
#pragma once

#include <windows.h>

// Makes the system folder the only place where DLLs are searched for, this process's later loads
// and the system DLLs' own ones alike. Runs first thing at start-up.
void RestrictDllSearchToSystemFolder();

// The function `name` of the system DLL `dll`; null when it cannot be loaded, after telling the
// user unless the caller can do without it (`required` false).
FARPROC SystemProc(const wchar_t* dll, const char* name, bool required = true);

template <class Function>
Function SystemFunction(const wchar_t* dll, const char* name, bool required = true) {
    // Through a plain function pointer: a direct cast between function types draws a warning.
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(SystemProc(dll, name, required)));
}
