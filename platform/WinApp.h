// The application object and the program's entry: start-up runs InitInstance, and the process
// ends when it returns.
#pragma once

#include <windows.h>

#include "platform/CString.h"

class CWnd;

class CWinApp {
  public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual BOOL InitInstance() { return FALSE; }

    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
// The running executable's full path, however long.
CString ProgramPath();
// What follows a path's last separator ('\\' or '/'): the whole path when it has none.
CString FileNameOf(const CString& path);
// The executable's file name without its extension: the caption of a message box given none.
CString AfxGetAppName();
// Restricts the DLL search to the system folder, then runs the application object's
// InitInstance; returns the process's exit code.
int AfxWinMain();
