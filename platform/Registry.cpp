#include "platform/Registry.h"

#include <algorithm>

CString ReadUserRegistryText(const CString& key, const wchar_t* name) {
    DWORD bytes = 0;
    ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
    CString text(bytes / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text.data(),
                       &bytes) != ERROR_SUCCESS) {
        return CString();
    }
    // The size counts the terminator that RegGetValueW writes.
    text.erase(std::find(text.begin(), text.end(), L'\0'), text.end());
    return text;
}

LONG WriteUserRegistryText(const CString& key, const wchar_t* name, const wchar_t* text) {
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text,
                             static_cast<DWORD>((::lstrlenW(text) + 1) * sizeof(wchar_t)));
}

LONG DeleteUserRegistryKey(const CString& key) {
    const LONG status = ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

void DeleteUserRegistryKeyIfEmpty(const CString& key) {
    HKEY opened;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &opened) !=
        ERROR_SUCCESS) {
        return;
    }
    DWORD subkeys = 1, values = 1;
    ::RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(opened);
    if (subkeys == 0 && values == 0) ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}
