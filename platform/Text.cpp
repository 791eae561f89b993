#include "platform/Text.h"

#include <windows.h>

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return {};
    const int units =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            units);
    }
    return wide;
}

std::string FromWide(UINT codePage, DWORD flags, const std::wstring& text) {
    if (text.empty()) return {};
    const int bytes = WideCharToMultiByte(
        codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()),
                            narrow.data(), bytes, nullptr, nullptr);
    }
    return narrow;
}

}  // namespace

std::wstring Utf8ToWide(const char* text) {
    return text ? ToWide(CP_UTF8, text) : std::wstring();
}

std::string WideToUtf8(const std::wstring& text) {
    return FromWide(CP_UTF8, 0, text);
}

std::wstring AnsiToWide(const std::string& text) {
    return ToWide(CP_ACP, text);
}

std::string WideToAnsi(const std::wstring& text) {
    return FromWide(CP_ACP, WC_NO_BEST_FIT_CHARS, text);
}
