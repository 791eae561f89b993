#include "platform/SystemDll.h"

#include "platform/UiServices.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"

namespace {

bool searchRestricted = false;

HMODULE LoadSystemDll(const wchar_t* dll) {
    if (searchRestricted) return ::LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without SetDefaultDllDirectories only a full path is sure to name the system's copy.
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return ::LoadLibraryW((CString(folder, length) + L"\\" + dll).c_str());
}

}  // namespace

void RestrictDllSearchToSystemFolder() {
    using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
    const auto setDefault =
        reinterpret_cast<SetDefaultDllDirectoriesCall>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    searchRestricted = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!searchRestricted) ::SetDllDirectoryW(L"");  // at least not the current folder
}

FARPROC SystemProc(const wchar_t* dll, const char* name, bool required) {
    const HMODULE module = LoadSystemDll(dll);
    const FARPROC function = module ? ::GetProcAddress(module, name) : nullptr;
    if (!function && required) {
        CWinApp* app = AfxGetApp();
        Ui().ShowMessage(app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr,
                         CString(L"无法加载系统文件 ") + dll + L"!", L"提示", MB_OK);
    }
    return function;
}
