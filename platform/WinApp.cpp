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

CString ProgramPath() {
    CString path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

CString FileNameOf(const CString& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);  // npos + 1 is 0
}

CString AfxGetAppName() {
    const CString name = FileNameOf(ProgramPath());
    return name.substr(0, name.rfind(L'.'));
}

int AfxWinMain() {
    RestrictDllSearchToSystemFolder();
    if (CWinApp* app = AfxGetApp()) app->InitInstance();
    return 0;
}
