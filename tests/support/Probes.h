// What the tests read and write apart from the program: the build's files, whole files, a file's
// times, a version string as the platform's own version calls read it, and a window's text.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A path inside the build folder, as Wine names it (drive Z:).
inline std::wstring BuildPath(const std::wstring& relative) {
    const std::string build = BUILD_DIR;
    std::wstring path = L"Z:" + std::wstring(build.begin(), build.end()) + L"/" + relative;
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
    return path;
}

// The file's bytes, or its first `most`.
inline std::string ReadAll(const std::wstring& path, size_t most = std::string::npos) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::string bytes(most == std::string::npos ? 0 : most, '\0');
    if (most == std::string::npos) return std::string(std::istreambuf_iterator<char>(file), {});
    bytes.resize(file.read(bytes.data(), most).gcount());
    return bytes;
}

inline void WriteAll(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary).write(bytes.data(), bytes.size());
}

// Removes a folder and everything in it, read-only files too, through the extended form that
// names "twin." and "sp " as they are and reaches past 260 characters; what cannot go stays.
inline void RemoveTree(const std::wstring& folder) {
    const std::wstring at = folder.rfind(L"\\\\?\\", 0) == 0 ? folder : L"\\\\?\\" + folder;
    WIN32_FIND_DATAW entry;
    const HANDLE found = ::FindFirstFileW((at + L"\\*").c_str(), &entry);
    for (BOOL more = found != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(found, &entry)) {
        const std::wstring name = entry.cFileName, path = at + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
        } else {
            ::DeleteFileW(path.c_str());
        }
    }
    if (found != INVALID_HANDLE_VALUE) ::FindClose(found);
    ::RemoveDirectoryW(at.c_str());
}

inline uint64_t Ticks(const FILETIME& time) {
    return uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}

// The UTC file time of a local 2 January, hh:04:05, through the platform's own conversions.
inline FILETIME FromLocal(WORD year, WORD hour, uint64_t fraction = 0) {
    const SYSTEMTIME local{year, 1, 0, 2, hour, 4, 5, 0};
    FILETIME localTime, utc;
    ::SystemTimeToFileTime(&local, &localTime);
    ::LocalFileTimeToFileTime(&localTime, &utc);
    const uint64_t ticks = Ticks(utc) + fraction;
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Creation, last access, last write. Wine keeps no creation time on Linux file systems: it reads
// back as the last write, and is given here as 0.
inline std::array<uint64_t, 3> FileTimes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    const uint64_t created = Ticks(data.ftCreationTime), written = Ticks(data.ftLastWriteTime);
    return {created == written ? 0 : created, Ticks(data.ftLastAccessTime), written};
}

// The string `key` of a table, by default 080404b0, which every fixture has; "<none>" when there
// is none.
inline std::wstring PlatformVersionString(const std::wstring& path, const wchar_t* key,
                                          const std::wstring& table = L"080404b0") {
    std::vector<char> block(::GetFileVersionInfoSizeW(path.c_str(), nullptr));
    const std::wstring name = L"\\StringFileInfo\\" + table + L"\\" + key;
    wchar_t* value = nullptr;
    UINT length = 0;
    if (block.empty() || !::GetFileVersionInfoW(path.c_str(), 0, block.size(), block.data()) ||
        !::VerQueryValueW(block.data(), name.c_str(), reinterpret_cast<void**>(&value), &length)) {
        return L"<none>";
    }
    return value;
}

// The fixed file and product versions as the platform's version calls read them, "A.B.C.D A.B.C.D".
inline std::wstring PlatformFixedVersions(const std::wstring& path) {
    std::vector<char> block(::GetFileVersionInfoSizeW(path.c_str(), nullptr) + 1);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ::GetFileVersionInfoW(path.c_str(), 0, block.size(), block.data());
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length))
        return L"-";
    const DWORD words[] = {info->dwFileVersionMS, info->dwFileVersionLS, info->dwProductVersionMS,
                           info->dwProductVersionLS};
    std::wstring text;
    for (int i = 0; i < 4; ++i) {
        text += std::to_wstring(words[i] >> 16) + L"." + std::to_wstring(words[i] & 0xFFFF) +
                (i == 3   ? L""
                 : i == 1 ? L" "
                          : L".");
    }
    return text;
}

// A drop of `paths` as the shell makes it: DROPFILES, then the wide paths, each ended, and an
// empty one. Whoever takes the drop frees it.
inline HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const std::wstring& path : paths) names += path + L'\0';
    const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * 2);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    *drop = {sizeof(DROPFILES), {}, FALSE, TRUE};
    names.copy(reinterpret_cast<wchar_t*>(drop + 1), names.size());
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// Through WM_GETTEXT, which crosses processes.
inline std::wstring TextOf(HWND window) {
    std::vector<wchar_t> text(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0) + 1, L'\0');
    ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}
