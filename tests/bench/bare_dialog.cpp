// The least dialog program, built with Quorvane's compiler, flags and manifest: what Quorvane's
// start-up is measured against. One modal dialog of the main dialog's size that ends with its
// button, Esc or the close box.
#include <windows.h>

namespace {

constexpr int kBareDialog = 100;

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
        ::EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(kBareDialog), nullptr, &BareDialogProc, 0);
    return 0;
}
