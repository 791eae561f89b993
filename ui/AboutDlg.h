// The about box: the icon, the product line and the program's notes; a click closes it.
#pragma once

#include "platform/Dialog.h"

class CAboutDlg : public CDialog {
  public:
    CAboutDlg();

  protected:
    MessageMap GetMessageMap() const override;
    void OnLButtonUp(UINT nFlags, CPoint point);
};
