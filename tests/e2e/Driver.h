// Drives a running program from another process through window messages, as a user's clicks and
// keys would reach it. Shared by the end-to-end test and the benchmark.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/Probes.h"

inline std::wstring ItemText(HWND dialog, int id) {
    return TextOf(::GetDlgItem(dialog, id));
}
inline void SetItemText(HWND dialog, int id, const std::wstring& text) {
    ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
inline void SetItemChecked(HWND dialog, int id, bool ticked) {
    ::SendMessageW(::GetDlgItem(dialog, id), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}
// Posted: a handler that opens a modal window must not hold the sender.
inline void Click(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

struct Program {
    // Starts the program and waits until its main dialog answers.
    explicit Program(const std::wstring& exe);
    ~Program();
    // Another dialog of the program once shown: a message box, the file dialog, the about box.
    HWND WaitForDialog(DWORD ms) const;
    // Presses OK on the next message box and gives "caption|text"; empty when none came.
    std::wstring AnswerMessage(DWORD ms = 10000) const;
    // "文件", then the path typed into the file dialog (which the main dialog owns) and confirmed;
    // true once it has closed.
    bool ChooseFile(const std::wstring& path) const;
    DWORD WaitForExit(DWORD ms) const;  // the exit code, or STILL_ACTIVE

    HANDLE process = nullptr;
    DWORD id = 0;
    HWND main = nullptr;  // none when the program did not start
};
