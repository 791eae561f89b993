#include "ui/AboutDlg.h"

#include "res/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

MessageMap CAboutDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        OnMessage<&CAboutDlg::OnLButtonUp>(WM_LBUTTONUP),
        OnClicked<&CDialog::OnOK>(IDOK),
        OnClicked<&CDialog::OnCancel>(IDCANCEL),
    };
    return MakeMessageMap(entries);
}

// None of the box's controls takes the mouse, so a release anywhere in it arrives here.
void CAboutDlg::OnLButtonUp(UINT, CPoint) {
    OnCancel();
}
