#include "platform/UiServices.h"

#include <shellapi.h>

#include <utility>

#include "platform/SystemDll.h"

namespace {

// The folder browser's shell extensions (cloud folders, phones) need COM on the calling thread,
// the dialog's only one. Started at the first browse, not at start-up, which ole32 would slow;
// left running until the process ends. Where ole32 cannot be had, the browser opens all the same.
void StartComOnce() {
    static bool started = false;
    if (std::exchange(started, true)) return;
    const auto start =
        SystemFunction<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx", false);
    if (start) start(nullptr, COINIT_APARTMENTTHREADED);
}

}  // namespace

int UiServices::ShowMessage(HWND owner, const CString& text, const CString& caption, UINT type) {
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

bool UiServices::ChooseOpenFile(OPENFILENAMEW& request) {
    const auto choose =
        SystemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    return choose && choose(&request);
}

CString UiServices::BrowseForFolder(BROWSEINFOW& request) {
    StartComOnce();
    const auto browse =
        SystemFunction<decltype(&SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
    // SHGetPathFromIDListEx gives the path whole, however long; SHGetPathFromIDListW, which is all
    // that a system before Vista has, writes at most MAX_PATH characters.
    const auto wholePathOf = SystemFunction<decltype(&SHGetPathFromIDListEx)>(
        L"shell32.dll", "SHGetPathFromIDListEx", false);
    const auto pathOf = wholePathOf ? nullptr
                                    : SystemFunction<decltype(&SHGetPathFromIDListW)>(
                                          L"shell32.dll", "SHGetPathFromIDListW");
    const auto release = SystemFunction<decltype(&ILFree)>(L"shell32.dll", "ILFree");
    if (!browse || !(wholePathOf || pathOf) || !release) return CString();
    PIDLIST_ABSOLUTE item = browse(&request);
    if (!item) return CString();
    // A display name is no path: an item outside the file system names nothing.
    CString path(wholePathOf ? 32768 : MAX_PATH, L'\0');
    const bool hasPath = wholePathOf ? wholePathOf(item, path.data(),
                                                   static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)
                                     : pathOf(item, path.data());
    release(item);
    path.resize(hasPath ? path.find(L'\0') : 0);
    return path;
}

CString UiServices::TakeDroppedPath(HDROP drop) {
    const auto query = SystemFunction<decltype(&DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
    const auto finish = SystemFunction<decltype(&DragFinish)>(L"shell32.dll", "DragFinish");
    if (!query || !finish) return CString();
    // Asked for its length first: the whole path is taken, never a shortened one.
    CString path(query(drop, 0, nullptr, 0), L'\0');
    path.resize(query(drop, 0, path.data(), static_cast<UINT>(path.size() + 1)));
    finish(drop);
    return path;
}

namespace {
UiServices platformServices;
UiServices* installed = nullptr;
}  // namespace

UiServices& Ui() {
    return installed ? *installed : platformServices;
}

void SetUiServices(UiServices* services) {
    installed = services;
}
