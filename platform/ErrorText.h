// The system's own text for an error code, in the user's language.
#pragma once

#include <windows.h>

#include "platform/CString.h"

// FormatMessageW's text without the line break that ends it; "错误代码: N" when the system has
// none.
CString SystemErrorText(DWORD code);
