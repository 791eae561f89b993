// Controls of a dialog, as non-owning views attached by DDX_Control.
#pragma once

#include "platform/Wnd.h"

class CButton : public CWnd {
  public:
    // Ticked only when the box says exactly BST_CHECKED.
    bool IsTicked() const { return SendMessageW(BM_GETCHECK) == BST_CHECKED; }
    void SetTicked(bool ticked) { SendMessageW(BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED); }
};

class CEdit : public CWnd {
  public:
    // At most `limit` characters; 0 is the platform's largest limit.
    void SetLimitText(UINT limit) { SendMessageW(EM_LIMITTEXT, limit); }
};
