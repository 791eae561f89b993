// The application: runs the main dialog once, and the process ends with it.
#pragma once

#include "platform/WinApp.h"

class CAttribToolApp : public CWinApp {
  public:
    CAttribToolApp() = default;
    BOOL InitInstance() override;
};
