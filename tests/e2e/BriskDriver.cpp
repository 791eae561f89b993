#include "tests/e2e/BriskDriver.h"

#include "res/resource.h"

namespace {

constexpr int kFileNameField = 0x47C;  // cmb13: the file-name box of the open-file dialog
constexpr int kMessageText = 0xFFFF;   // the static control that holds a message box's text
// Milliseconds between two looks. Looking much more often slows the program down: under Wine every
// look at another process's windows is a request to the same server that the program needs.
constexpr DWORD kPoll = 5;

struct Search {
    DWORD processId;
    HWND main;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (window == search->main) return TRUE;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window)) return TRUE;
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") != 0) return TRUE;
    search->found = window;
    return FALSE;
}

class Deadline {
  public:
    explicit Deadline(DWORD ms) : start_(::GetTickCount()), ms_(ms) {}
    bool Passed() const { return ::GetTickCount() - start_ > ms_; }

  private:
    DWORD start_;
    DWORD ms_;
};

// The edit that takes the typed name. Wine's dialog fills itself in after it appears; its field
// is a ComboBoxEx holding a ComboBox holding the Edit (elsewhere the ComboBox may come alone).
HWND FileNameEdit(HWND dialog) {
    HWND field = ::GetDlgItem(dialog, kFileNameField);
    if (!field || !::IsWindowVisible(field)) return nullptr;
    if (HWND combo = ::FindWindowExW(field, nullptr, L"ComboBox", nullptr)) field = combo;
    return ::FindWindowExW(field, nullptr, L"Edit", nullptr);
}

}  // namespace

HWND FindDialogNow(DWORD processId, HWND main) {
    Search search{processId, main, nullptr};
    ::EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialogBriskly(DWORD processId, HWND main, DWORD ms) {
    const Deadline deadline(ms);
    HWND dialog = nullptr;
    while (!(dialog = FindDialogNow(processId, main)) && !deadline.Passed()) ::Sleep(kPoll);
    return dialog;
}

bool WaitUntilGoneBriskly(HWND window, DWORD ms) {
    const Deadline deadline(ms);
    while (::IsWindow(window) && ::IsWindowVisible(window)) {
        if (deadline.Passed()) return false;
        ::Sleep(kPoll);
    }
    return true;
}

bool AnswerMessageBoxBriskly(DWORD processId, HWND main, MessageBoxSeen& seen, DWORD ms) {
    const Deadline deadline(ms);
    HWND box = WaitForDialogBriskly(processId, main, ms);
    if (!box) return false;
    // A message box is shown once its text is in place; the program shows no empty message.
    while ((seen.text = ItemText(box, kMessageText)).empty()) {
        if (deadline.Passed()) return false;
        ::Sleep(kPoll);
    }
    seen.caption = TextOf(box);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitUntilGoneBriskly(box, ms);
}

bool ChooseFileThroughDialog(DWORD processId, HWND main, const std::wstring& path, DWORD ms) {
    const Deadline deadline(ms);
    Click(main, IDC_BTN_FILE);
    HWND dialog = WaitForDialogBriskly(processId, main, ms);
    if (!dialog) return false;
    HWND edit = nullptr;
    while (!(edit = FileNameEdit(dialog))) {
        if (deadline.Passed()) return false;
        ::Sleep(kPoll);
    }
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    return WaitUntilGoneBriskly(dialog, ms);
}
