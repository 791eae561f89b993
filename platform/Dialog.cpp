#include "platform/Dialog.h"

#include "platform/WinApp.h"

void DDX_Control(CDataExchange* dx, int controlId, CWnd& control) {
    control.m_hWnd = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, controlId);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);  // a dialog made by Create and still open
}

HWND CDialog::OwnerWindow() const {
    if (m_pParentWnd) return m_pParentWnd->m_hWnd;
    // Without a parent the application's main window owns the dialog, unless it is that window.
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd && app->m_pMainWnd != this) return app->m_pMainWnd->m_hWnd;
    return nullptr;
}

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId),
                             OwnerWindow(), &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create() {
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId),
                                OwnerWindow(), &CDialog::DialogProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
    CDataExchange dx(this);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::CenterWindow() {
    RECT area;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT own;
    ::GetWindowRect(m_hWnd, &own);
    const int x = area.left + (area.right - area.left - (own.right - own.left)) / 2;
    const int y = area.top + (area.bottom - area.top - (own.bottom - own.top)) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = window;
    }
    // Messages that come before WM_INITDIALOG (WM_SETFONT first) find no dialog yet.
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog) return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
        return FALSE;
    }
    // Nothing unwinds through the window system: the programs are built without exceptions, and
    // every error of the library ends the program where it happens (TerminateHandler.cpp).
    if (message == WM_INITDIALOG) {
        const BOOL focusFirstTabStop = dialog->OnInitDialog();
        dialog->CenterWindow();
        return focusFirstTabStop;
    }
    INT_PTR result = 0;
    if (!dialog->Dispatch(message, wParam, lParam, result)) return FALSE;
    // A dialog procedure returns the drag icon itself; other handled messages say TRUE.
    return message == WM_QUERYDRAGICON ? result : TRUE;
}
