// The application object and the framework's entry: start-up runs InitInstance, and the process
// ends when it returns.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
  public:
    // Without a name the application takes the executable's file name without its extension.
    explicit CWinApp(const char* appName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual BOOL InitInstance() { return FALSE; }
    // Controls already have the three-dimensional look on every platform we run on.
    BOOL Enable3dControls() { return TRUE; }

    CWnd* m_pMainWnd = nullptr;
    std::wstring m_appName;
};

CWinApp* AfxGetApp();
std::wstring AfxGetAppName();
HINSTANCE AfxGetResourceHandle();
HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);
// The program hosts no ActiveX controls; kept so start-up reads as the framework's does.
inline void AfxEnableControlContainer() {}
// Runs the application object's InitInstance; returns the process's exit code.
int AfxWinMain();
