// A dialog made from a template in the program's resources, with its controls attached to member
// objects when it initialises. One dialog procedure serves every dialog: it routes each message
// through the dialog's message map and leaves the rest to the dialog manager's default processing.
#pragma once

#include "platform/Wnd.h"

class CDataExchange {
  public:
    explicit CDataExchange(CWnd* dialog) : m_pDlgWnd(dialog) {}
    CWnd* m_pDlgWnd;
};

// Attaches `control` to the dialog's child window with the given id; no value moves.
void DDX_Control(CDataExchange* dx, int controlId, CWnd& control);

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    INT_PTR DoModal();
    // Creates the dialog without a modal loop, so that in-process tests can drive it.
    BOOL Create();
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

  protected:
    virtual void DoDataExchange(CDataExchange* dx);

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND OwnerWindow() const;
    void CenterWindow();

    UINT m_templateId;
    CWnd* m_pParentWnd;
};
