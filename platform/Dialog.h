// A dialog made from a template in the program's resources, run modally (or, for tests,
// modelessly), with its controls attached to member objects when it initialises.
#pragma once

#include "platform/Wnd.h"

class CDataExchange {
  public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Attaches control to the dialog's child window with the given id (no values move).
void DDX_Control(CDataExchange* dx, int controlId, CWnd& control);

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    INT_PTR DoModal();
    // Creates the dialog without a modal loop, for driving it from in-process tests.
    BOOL Create(CWnd* parent = nullptr);
    void DestroyWindow();
    void EndDialog(int result);
    // The result passed to EndDialog, or 0 while the dialog has not ended.
    int GetEndResult() const { return m_endResult; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

  protected:
    virtual void DoDataExchange(CDataExchange* dx);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    bool OnBuiltInMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND OwnerWindow() const;
    void CenterWindow();

    UINT m_templateId;
    CWnd* m_pParentWnd;
    bool m_modal = false;
    int m_endResult = 0;
};
