#include "tests/e2e/Driver.h"

#include <cstdio>
#include <vector>

#include "res/resource.h"

namespace {

// Milliseconds between two looks. Looking much more often slows the program down: under Wine
// every look at another process's windows is a request to the server that the program needs.
constexpr DWORD kPoll = 5;
constexpr int kFileNameField = 0x47C;  // the file-name box of the open-file dialog
constexpr int kMessageText = 0xFFFF;   // the static control that holds a message box's text

class Deadline {
  public:
    explicit Deadline(DWORD ms) : start_(::GetTickCount()), ms_(ms) {}
    bool Passed() const { return ::GetTickCount() - start_ > ms_; }

  private:
    DWORD start_;
    DWORD ms_;
};

}  // namespace

std::wstring BuildPath(const std::string& relative) {
    std::string path = std::string("Z:") + BUILD_DIR + "/" + relative;
    std::wstring wide(path.begin(), path.end());
    for (wchar_t& c : wide) {
        if (c == L'/') c = L'\\';
    }
    return wide;
}

std::wstring Utf16(const char* utf8) {
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring text(static_cast<size_t>(units > 0 ? units : 1), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), units);
    text.resize(text.size() - 1);
    return text;
}

std::string ReadWholeFile(const std::wstring& path) {
    std::string bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size())) {
        bytes.clear();
    }
    ::CloseHandle(file);
    return bytes;
}

std::wstring VersionString(const std::wstring& path, const wchar_t* key) {
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    std::vector<BYTE> block(size);
    if (size == 0 || !::GetFileVersionInfoW(path.c_str(), handle, size, block.data())) {
        return L"<missing>";
    }
    WORD* pair = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                          reinterpret_cast<void**>(&pair), &length) ||
        length < 4) {
        return L"<missing>";
    }
    wchar_t name[96];
    swprintf(name, 96, L"\\StringFileInfo\\%04x%04x\\%ls", pair[0], pair[1], key);
    void* value = nullptr;
    if (!::VerQueryValueW(block.data(), name, &value, &length) || !value) return L"<missing>";
    return static_cast<const wchar_t*>(value);
}

RunningProgram::RunningProgram() {
    std::wstring command = L"\"" + BuildPath("Quorvane.exe") + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &info)) {
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        processId_ = info.dwProcessId;
        ::WaitForInputIdle(process_, 10000);
    }
}

RunningProgram::~RunningProgram() {
    if (!process_) return;
    if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_, 1);
    ::CloseHandle(process_);
}

DWORD RunningProgram::WaitForExit(DWORD ms) {
    if (::WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_, &code);
    return code;
}

namespace {

struct Search {
    DWORD processId;
    const wchar_t* windowClass;
    const wchar_t* caption;
    HWND skip[2];
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window)) return TRUE;
    if (window == search->skip[0] || window == search->skip[1]) return TRUE;
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (wcscmp(name, search->windowClass) != 0) return TRUE;
    if (search->caption && TextOf(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

HWND Find(DWORD processId, const wchar_t* windowClass, const wchar_t* caption, HWND skip1,
          HWND skip2, DWORD ms) {
    const Deadline deadline(ms);
    for (;;) {
        Search search{processId, windowClass, caption, {skip1, skip2}, nullptr};
        ::EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (deadline.Passed()) return nullptr;
        ::Sleep(kPoll);
    }
}

}  // namespace

HWND WaitForWindow(DWORD processId, const wchar_t* windowClass, const wchar_t* caption, DWORD ms,
                   HWND except) {
    return Find(processId, windowClass, caption, except, nullptr, ms);
}

HWND WaitForDialog(DWORD processId, HWND main, DWORD ms, HWND except) {
    return Find(processId, L"#32770", nullptr, main, except, ms);
}

bool WaitUntilGone(HWND window, DWORD ms) {
    const Deadline deadline(ms);
    while (::IsWindow(window) && ::IsWindowVisible(window)) {
        if (deadline.Passed()) return false;
        ::Sleep(kPoll);
    }
    return true;
}

std::wstring TextOf(HWND window) {
    const LRESULT length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

std::wstring ItemText(HWND dialog, int id) {
    return TextOf(::GetDlgItem(dialog, id));
}

void SetItemText(HWND dialog, int id, const std::wstring& text) {
    ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool ItemChecked(HWND dialog, int id) {
    return ::SendMessageW(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetItemChecked(HWND dialog, int id, bool ticked) {
    ::SendMessageW(::GetDlgItem(dialog, id), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Click(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool AnswerMessageBox(DWORD processId, HWND main, MessageBoxSeen& seen, DWORD ms) {
    const Deadline deadline(ms);
    HWND box = WaitForDialog(processId, main, ms);
    if (!box) return false;
    // A message box is shown once its text is in place; the program shows no empty message.
    while ((seen.text = ItemText(box, kMessageText)).empty()) {
        if (deadline.Passed()) return false;
        ::Sleep(kPoll);
    }
    seen.caption = TextOf(box);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitUntilGone(box, ms);
}

namespace {

// The edit that takes the typed name. Wine's dialog fills itself in after it appears; its field
// is a ComboBoxEx holding a ComboBox holding the Edit (elsewhere the ComboBox may come alone).
HWND FileNameEdit(HWND dialog) {
    HWND field = ::GetDlgItem(dialog, kFileNameField);
    if (!field || !::IsWindowVisible(field)) return nullptr;
    if (HWND combo = ::FindWindowExW(field, nullptr, L"ComboBox", nullptr)) field = combo;
    return ::FindWindowExW(field, nullptr, L"Edit", nullptr);
}

}  // namespace

bool ChooseFileThroughDialog(DWORD processId, HWND main, const std::wstring& path, DWORD ms) {
    const Deadline deadline(ms);
    Click(main, IDC_BTN_FILE);
    HWND dialog = WaitForDialog(processId, main, ms);
    if (!dialog) return false;
    HWND edit = nullptr;
    while (!(edit = FileNameEdit(dialog))) {
        if (deadline.Passed()) return false;
        ::Sleep(kPoll);
    }
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    return WaitUntilGone(dialog, ms);
}

bool SaveScreenshot(HWND window, const std::wstring& path) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::Sleep(300);
    RECT rect;
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);

    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    bool saved = false;
    if (FILE* out = _wfopen(path.c_str(), L"wb")) {
        saved = fwrite(&file, sizeof file, 1, out) == 1 &&
                fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                fwrite(bits, imageSize, 1, out) == 1;
        fclose(out);
    }
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return saved;
}
