#include "tests/e2e/Driver.h"

#include <process.h>

#include "res/resource.h"

namespace {

// Looks every 5 ms until done or the time is up. Looking much more often slows the program: under
// Wine every look at another process's windows is a request to the server that it needs too.
template <class Done>
bool Within(DWORD ms, Done done) {
    for (const DWORD start = ::GetTickCount(); !done(); ::Sleep(5)) {
        if (::GetTickCount() - start > ms) return false;
    }
    return true;
}

// A shown dialog of the process other than `except`, with the caption when one is given.
HWND FindDialog(DWORD process, HWND except, const wchar_t* caption) {
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, L"#32770", caption));) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (window != except && owner == process && ::IsWindowVisible(window)) return window;
    }
    return nullptr;
}

bool WaitUntilGone(HWND window, DWORD ms) {
    return Within(ms, [&] { return !::IsWindow(window) || !::IsWindowVisible(window); });
}

}  // namespace

Program::Program(const std::wstring& exe) {
    const intptr_t spawned =
        _wspawnl(_P_NOWAIT, exe.c_str(), (L"\"" + exe + L"\"").c_str(), nullptr);
    if (spawned == -1) return;
    process = reinterpret_cast<HANDLE>(spawned);
    id = ::GetProcessId(process);
    Within(20000, [&] { return (main = FindDialog(id, nullptr, L"Telvaro V1.0")) != nullptr; });
}

Program::~Program() {
    if (process && ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(process, 1);
    if (process) ::CloseHandle(process);
}

HWND Program::WaitForDialog(DWORD ms) const {
    HWND found = nullptr;
    Within(ms, [&] { return (found = FindDialog(id, main, nullptr)) != nullptr; });
    return found;
}

std::wstring Program::AnswerMessage(DWORD ms) const {
    const HWND box = WaitForDialog(ms);
    std::wstring text;
    // A message box is shown once its text (the static control 0xFFFF) is in place.
    if (!box || !Within(ms, [&] { return !(text = ItemText(box, 0xFFFF)).empty(); })) return L"";
    const std::wstring caption = TextOf(box);
    Click(box, IDOK);
    return WaitUntilGone(box, ms) ? caption + L"|" + text : L"";
}

bool Program::ChooseFile(const std::wstring& path) const {
    Click(main, IDC_BTN_FILE);
    const HWND dialog = WaitForDialog(15000);
    if (::GetWindow(dialog, GW_OWNER) != main) return false;  // modal to the main dialog
    // Wine's dialog fills itself in after it appears. Its file-name field (0x47C) is a ComboBoxEx
    // holding a ComboBox holding the Edit that takes the text.
    HWND edit = nullptr;
    if (!dialog || !Within(15000, [&] {
            HWND field = ::GetDlgItem(dialog, 0x47C);
            if (!field || !::IsWindowVisible(field)) return false;
            if (HWND combo = ::FindWindowExW(field, nullptr, L"ComboBox", nullptr)) field = combo;
            return (edit = ::FindWindowExW(field, nullptr, L"Edit", nullptr)) != nullptr;
        })) {
        return false;
    }
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Click(dialog, IDOK);
    return WaitUntilGone(dialog, 15000);
}

DWORD Program::WaitForExit(DWORD ms) const {
    DWORD code = STILL_ACTIVE;
    if (::WaitForSingleObject(process, ms) == WAIT_OBJECT_0) ::GetExitCodeProcess(process, &code);
    return code;
}
