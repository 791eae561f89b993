#include "app/AttribToolApp.h"

#include "platform/ProgramArguments.h"
#include "ui/AttribToolDlg.h"

// The one application object, made before the entry runs.
CAttribToolApp theApp;

BOOL CAttribToolApp::InitInstance() {
    CAttribToolDlg dialog;
    // A file dropped on the program's icon, sent to it or opened from the context menu: of several
    // paths the first, as of a drop of several.
    const std::vector<CString> paths = ProgramArguments();
    if (!paths.empty()) dialog.OpenOnceShown(paths.front());
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of the application's own: the process ends with the dialog.
    return FALSE;
}
