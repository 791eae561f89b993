// What the tests read back from files apart from the program: the whole file, and a version
// string as the platform's own version calls read it.
#pragma once

#include <windows.h>

#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string ReadAll(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The string `key` of the file's first translation; "<none>" when there is none.
inline std::wstring PlatformVersionString(const std::wstring& path, const wchar_t* key) {
    std::vector<char> block(::GetFileVersionInfoSizeW(path.c_str(), nullptr));
    WORD* pair = nullptr;
    wchar_t *value = nullptr, name[64];
    UINT length = 0;
    if (block.empty() || !::GetFileVersionInfoW(path.c_str(), 0, block.size(), block.data()) ||
        !::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                          reinterpret_cast<void**>(&pair), &length) ||
        swprintf(name, 64, L"\\StringFileInfo\\%04x%04x\\%ls", pair[0], pair[1], key) < 0 ||
        !::VerQueryValueW(block.data(), name, reinterpret_cast<void**>(&value), &length)) {
        return L"<none>";
    }
    return value;
}
