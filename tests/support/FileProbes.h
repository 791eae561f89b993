// What the tests read back from files apart from the program: a version string as the platform's
// own version calls read it, and the whole file.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

// The string `key` of the file's first translation; "<none>" when there is none.
inline std::wstring PlatformVersionString(const std::wstring& path, const wchar_t* key) {
    std::vector<char> block(::GetFileVersionInfoSizeW(path.c_str(), nullptr));
    WORD* pair = nullptr;
    wchar_t* value = nullptr;
    UINT length = 0;
    wchar_t name[64];
    if (block.empty() || !::GetFileVersionInfoW(path.c_str(), 0, block.size(), block.data()) ||
        !::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                          reinterpret_cast<void**>(&pair), &length) ||
        swprintf(name, 64, L"\\StringFileInfo\\%04x%04x\\%ls", pair[0], pair[1], key) < 0 ||
        !::VerQueryValueW(block.data(), name, reinterpret_cast<void**>(&value), &length)) {
        return L"<none>";
    }
    return value;
}

inline std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size{};
    DWORD read = 0;
    if (::GetFileSizeEx(file, &size)) bytes.resize(static_cast<size_t>(size.QuadPart));
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    return bytes.substr(0, read);
}
