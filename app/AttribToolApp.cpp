#include "app/AttribToolApp.h"

#include "ui/AttribToolDlg.h"

// The one application object, made before the entry runs.
CAttribToolApp theApp;

BOOL CAttribToolApp::InitInstance() {
    CAttribToolDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of the application's own: the process ends with the dialog.
    return FALSE;
}
