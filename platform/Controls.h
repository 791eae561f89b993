// Controls of a dialog, as non-owning views attached by DDX_Control.
#pragma once

#include "platform/Wnd.h"

class CButton : public CWnd {};

class CEdit : public CWnd {};
