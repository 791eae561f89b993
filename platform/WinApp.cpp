#include "platform/WinApp.h"

#include <mbctype.h>

#include <vector>

#include "platform/Text.h"

namespace {

CWinApp* theApplication = nullptr;

std::wstring ModuleBaseName() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::wstring name(path.begin(), path.end());
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

}  // namespace

CWinApp::CWinApp(const char* appName)
    : m_appName(appName ? Utf8ToWide(appName) : ModuleBaseName()) {
    // Multibyte string functions follow the system's ANSI code page, as our narrow text does.
    _setmbcp(_MB_CP_ANSI);
    theApplication = this;
}

CWinApp::~CWinApp() {
    if (theApplication == this) theApplication = nullptr;
}

CWinApp* AfxGetApp() {
    return theApplication;
}

std::wstring AfxGetAppName() {
    return theApplication ? theApplication->m_appName : ModuleBaseName();
}

HINSTANCE AfxGetResourceHandle() {
    return ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxFindResourceHandle(LPCSTR, LPCSTR) {
    return AfxGetResourceHandle();
}

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (app) app->InitInstance();
    return 0;
}
