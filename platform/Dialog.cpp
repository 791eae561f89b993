#include "platform/Dialog.h"

#include "platform/WinApp.h"

void DDX_Control(CDataExchange* dx, int controlId, CWnd& control) {
    control.m_hWnd = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, controlId);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd && !m_modal) DestroyWindow();
}

HWND CDialog::OwnerWindow() const {
    if (m_pParentWnd) return m_pParentWnd->m_hWnd;
    // Without a parent the application's main window owns the dialog, unless it is that window.
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd && app->m_pMainWnd != this) return app->m_pMainWnd->m_hWnd;
    return nullptr;
}

INT_PTR CDialog::DoModal() {
    m_modal = true;
    m_endResult = 0;
    const INT_PTR result =
        ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_templateId), OwnerWindow(),
                          &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

BOOL CDialog::Create(CWnd* parent) {
    if (parent) m_pParentWnd = parent;
    m_modal = false;
    m_endResult = 0;
    return ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_templateId),
                                OwnerWindow(), &CDialog::DialogProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::DestroyWindow() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

void CDialog::EndDialog(int result) {
    m_endResult = result;
    if (m_modal) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

bool CDialog::OnBuiltInMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    // "OK" and "Cancel" (buttons, Enter, Esc, the close box) reach the virtual handlers.
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
    if (LOWORD(wParam) == IDOK) {
        OnOK();
    } else if (LOWORD(wParam) == IDCANCEL) {
        OnCancel();
    } else {
        return false;
    }
    result = 0;
    return true;
}

void CDialog::CenterWindow() {
    RECT area;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT own;
    ::GetWindowRect(m_hWnd, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    // Messages before WM_INITDIALOG (WM_SETFONT first) find no dialog object yet. Once it has
    // come, the window procedure below handles everything and this one only says "not handled".
    if (message != WM_INITDIALOG) return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    dialog->m_hWnd = window;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
    dialog->m_superProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CDialog::WindowProc)));
    BOOL focusDefault = TRUE;
    try {
        focusDefault = dialog->OnInitDialog();
    } catch (...) {
        // Nothing may unwind through the window system.
    }
    dialog->CenterWindow();
    return focusDefault;
}

LRESULT CALLBACK CDialog::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        const WNDPROC super = dialog->m_superProc;
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        dialog->m_hWnd = nullptr;
        dialog->m_superProc = nullptr;
        return ::CallWindowProcA(super, window, message, wParam, lParam);
    }
    try {
        return dialog->Dispatch(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}
