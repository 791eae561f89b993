// Conversions at the window system's edge. The program's own texts are UTF-8 in the source;
// values of the target (paths, names, version strings) are narrow ANSI text.
#pragma once

#include <string>

std::wstring Utf8ToWide(const char* text);
std::string WideToUtf8(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);
// Characters that the ANSI code page lacks become '?', never a look-alike, so that a path
// that narrow file calls cannot take never names a different, existing file.
std::string WideToAnsi(const std::wstring& text);
