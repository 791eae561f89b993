#include "platform/WinApp.h"

#include "platform/SystemDll.h"

namespace {
CWinApp* theApplication = nullptr;
}  // namespace

CWinApp::CWinApp() {
    theApplication = this;
}

CWinApp::~CWinApp() {
    if (theApplication == this) theApplication = nullptr;
}

CWinApp* AfxGetApp() {
    return theApplication;
}

CString AfxGetAppName() {
    CString path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.erase(0, path.find_last_of(L"\\/") + 1);  // npos + 1 is 0
    return path.substr(0, path.rfind(L'.'));
}

int AfxWinMain() {
    RestrictDllSearchToSystemFolder();
    if (CWinApp* app = AfxGetApp()) app->InitInstance();
    return 0;
}
