// The current user's registry, where a per-user setting needs no administrator's rights. Every key
// is named by its path under HKEY_CURRENT_USER; each write returns the system's error code, 0 on
// success.
#pragma once

#include <windows.h>

#include "platform/CString.h"

// The text value `name` of `key` ("": the key's default value); empty when either is missing or
// the value is no text.
CString ReadUserRegistryText(const CString& key, const wchar_t* name);

// Sets a text value, making `key` and the keys above it as needed.
LONG WriteUserRegistryText(const CString& key, const wchar_t* name, const wchar_t* text);

// Deletes `key` with its values; one that holds a subkey stays (an error). A key that is not
// there counts as deleted.
LONG DeleteUserRegistryKey(const CString& key);

// Deletes `key` only when it holds neither a subkey nor a value.
void DeleteUserRegistryKeyIfEmpty(const CString& key);
