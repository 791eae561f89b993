#include "platform/Text.h"

#include <windows.h>

namespace {

// Code pages that take no flags in WideCharToMultiByte: UTF-7, UTF-8, the ISO-2022 family,
// GB18030 and the ISCII ones.
bool TakesNoFlags(UINT codePage) {
    return codePage == CP_UTF7 || codePage == CP_UTF8 || codePage == 42 || codePage == 54936 ||
           (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011);
}

}  // namespace

std::wstring AnsiToWide(std::string_view text) {
    const int size = static_cast<int>(text.size());
    const int units = size ? ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0) : 0;
    std::wstring wide(units > 0 ? units : 0, L'\0');
    if (units > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), units);
    return wide;
}

std::string WideToAnsi(std::wstring_view text) {
    const UINT codePage = ::GetACP();
    const DWORD flags = TakesNoFlags(codePage) ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = static_cast<int>(text.size());
    const int bytes = size ? ::WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0,
                                                   nullptr, nullptr)
                           : 0;
    std::string narrow(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0) {
        ::WideCharToMultiByte(codePage, flags, text.data(), size, narrow.data(), bytes, nullptr,
                              nullptr);
    }
    return narrow;
}

std::string ToUtf8(std::wstring_view text) {
    const int size = static_cast<int>(text.size());
    const int bytes =
        size ? ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr)
             : 0;
    std::string utf8(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), bytes, nullptr, nullptr);
    }
    return utf8;
}

std::wstring ToWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string ToUtf16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

std::wstring DecimalText(uint64_t value) {
    wchar_t digits[20];
    wchar_t* const end = digits + 20;
    wchar_t* at = end;
    do {
        *--at = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::wstring(at, end);
}
