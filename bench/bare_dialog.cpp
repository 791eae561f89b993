// The least program that shows Quorvane's main dialog: the same template, icon and manifest,
// built with the same compiler and flags, and a dialog procedure that does nothing but end it.
// What Quorvane's start-up and memory are measured against, so that the figures show what the
// program itself adds.
#include <windows.h>

#include "res/resource.h"

namespace {

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, &BareDialogProc, 0);
    return 0;
}
