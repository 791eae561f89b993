// Drives a running program from another process through window messages, as a user's clicks and
// keys would reach it. Shared by the end-to-end test and the benchmark.
#pragma once

#include <windows.h>

#include <string>

#include "res/resource.h"
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

// Looks every 5 ms until done or the time is up. Looking much more often slows the program: under
// Wine every look at another process's windows is a request to the server that it needs too.
template <class Done>
bool Within(DWORD ms, Done done) {
    for (const DWORD start = ::GetTickCount(); !done(); ::Sleep(5)) {
        if (::GetTickCount() - start > ms) return false;
    }
    return true;
}

struct Program {
    // Runs the command line (the program's path first) and waits until its main dialog answers.
    explicit Program(std::wstring line) {
        STARTUPINFOW start{};
        start.cb = sizeof start;
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &start, &started))
            return;
        ::CloseHandle(started.hThread);
        process = started.hProcess;
        id = started.dwProcessId;
        Within(20000, [&] { return (main = FindDialog(nullptr, L"Telvaro V1.0")) != nullptr; });
    }
    ~Program() {
        if (process && ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(process, 1);
        if (process) ::CloseHandle(process);
    }

    // A shown dialog of the program other than `except`, with the caption when one is given.
    HWND FindDialog(HWND except, const wchar_t* caption) const {
        for (HWND window = nullptr;
             (window = ::FindWindowExW(nullptr, window, L"#32770", caption));) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (window != except && owner == id && ::IsWindowVisible(window)) return window;
        }
        return nullptr;
    }
    // Another dialog of the program once shown: a message box, the file dialog, the about box.
    HWND WaitForDialog(DWORD ms) const {
        HWND found = nullptr;
        Within(ms, [&] { return (found = FindDialog(main, nullptr)) != nullptr; });
        return found;
    }
    static bool WaitUntilGone(HWND window, DWORD ms) {
        return Within(ms, [&] { return !::IsWindow(window) || !::IsWindowVisible(window); });
    }
    // Presses a button (OK unless told) on the next message box and gives "caption|text"; empty
    // when none came.
    std::wstring AnswerMessage(DWORD ms = 10000, int button = IDOK) const {
        const HWND box = WaitForDialog(ms);
        std::wstring text;
        // A message box is shown once its text (the static control 0xFFFF) is in place.
        if (!box || !Within(ms, [&] { return !(text = ItemText(box, 0xFFFF)).empty(); }))
            return L"";
        const std::wstring caption = TextOf(box);
        Click(box, button);
        return WaitUntilGone(box, ms) ? caption + L"|" + text : L"";
    }
    // "文件", then the path typed into the file dialog (which the main dialog owns) and confirmed;
    // true once it has closed. Wine's dialog fills itself in after it appears: its file-name
    // field (0x47C) is a ComboBoxEx holding a ComboBox holding the Edit that takes the text.
    bool ChooseFile(const std::wstring& path) const {
        Click(main, IDC_BTN_FILE);
        const HWND dialog = WaitForDialog(15000);
        HWND edit = nullptr;
        if (!dialog || ::GetWindow(dialog, GW_OWNER) != main || !Within(15000, [&] {
                HWND field = ::GetDlgItem(dialog, 0x47C);
                if (!field || !::IsWindowVisible(field)) return false;
                if (HWND combo = ::FindWindowExW(field, nullptr, L"ComboBox", nullptr))
                    field = combo;
                return (edit = ::FindWindowExW(field, nullptr, L"Edit", nullptr)) != nullptr;
            })) {
            return false;
        }
        ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        Click(dialog, IDOK);
        return WaitUntilGone(dialog, 15000);
    }
    DWORD WaitForExit(DWORD ms) const {  // the exit code, or STILL_ACTIVE
        DWORD code = STILL_ACTIVE;
        if (::WaitForSingleObject(process, ms) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(process, &code);
        return code;
    }

    HANDLE process = nullptr;
    DWORD id = 0;
    HWND main = nullptr;  // none when the program did not start
};
