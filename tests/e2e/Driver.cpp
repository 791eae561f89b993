#include "tests/e2e/Driver.h"

#include <vector>

#include "res/resource.h"

namespace {

// Between two looks. Looking much more often slows the program: under Wine every look at another
// process's windows is a request to the server that the program needs too.
constexpr DWORD kPoll = 5;

template <class Found>
bool Within(DWORD ms, Found found) {
    for (const DWORD start = ::GetTickCount(); !found(); ::Sleep(kPoll)) {
        if (::GetTickCount() - start > ms) return false;
    }
    return true;
}

struct Search {
    DWORD id;
    const wchar_t* caption;
    HWND skip[2];
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    wchar_t name[16] = {};
    ::GetWindowThreadProcessId(window, &owner);
    ::GetClassNameW(window, name, 16);
    if (owner != search->id || !::IsWindowVisible(window) || wcscmp(name, L"#32770") != 0 ||
        window == search->skip[0] || window == search->skip[1] ||
        (search->caption && TextOf(window) != search->caption)) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND FindDialog(DWORD id, const wchar_t* caption, HWND skip1, HWND skip2, DWORD ms) {
    Search search{id, caption, {skip1, skip2}, nullptr};
    Within(ms, [&] { return !::EnumWindows(&Match, reinterpret_cast<LPARAM>(&search)); });
    return search.found;
}

}  // namespace

std::wstring BuildPath(const std::wstring& relative) {
    const std::string build = BUILD_DIR;
    std::wstring path = L"Z:" + std::wstring(build.begin(), build.end()) + L"/" + relative;
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
    return path;
}

Program::Program(const std::wstring& exe) {
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info)) {
        return;
    }
    ::CloseHandle(info.hThread);
    process = info.hProcess;
    id = info.dwProcessId;
    main = FindDialog(id, L"Telvaro V1.0", nullptr, nullptr, 20000);
}

Program::~Program() {
    if (!process) return;
    if (::WaitForSingleObject(process, 0) == WAIT_TIMEOUT) ::TerminateProcess(process, 1);
    ::CloseHandle(process);
}

HWND Program::WaitForDialog(DWORD ms, HWND except) const {
    return FindDialog(id, nullptr, main, except, ms);
}

std::wstring Program::AnswerMessage(DWORD ms) const {
    const HWND box = WaitForDialog(ms);
    std::wstring text;
    // A message box is shown once its text (the static control 0xFFFF) is in place.
    if (!box || !Within(ms, [&] { return !(text = ItemText(box, 0xFFFF)).empty(); })) return L"";
    const std::wstring caption = TextOf(box);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitUntilGone(box, ms) ? caption + L"|" + text : L"";
}

bool Program::ChooseFile(const std::wstring& path) const {
    Click(main, IDC_BTN_FILE);
    const HWND dialog = WaitForDialog(15000);
    // Wine's dialog fills itself in after it appears. The file-name field (0x47C) is a
    // ComboBoxEx holding a ComboBox holding the Edit that takes the text.
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

std::wstring TextOf(HWND window) {
    std::vector<wchar_t> text(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0) + 1, L'\0');
    ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

std::wstring ItemText(HWND dialog, int id) {
    return TextOf(::GetDlgItem(dialog, id));
}

void SetItemText(HWND dialog, int id, const std::wstring& text) {
    ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SetItemChecked(HWND dialog, int id, bool ticked) {
    ::SendMessageW(::GetDlgItem(dialog, id), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Click(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool WaitUntilGone(HWND window, DWORD ms) {
    return Within(ms, [&] { return !::IsWindow(window) || !::IsWindowVisible(window); });
}
