// The dialog's own texts and the target's path and name: UTF-16.
#pragma once

#include <string>

using CString = std::wstring;
