// The twelve version strings that the dialog shows and writes, and the names to look them up.
#pragma once

#include <array>
#include <cstdint>
#include <string>

enum class VersionStringKey {
    FileVersion,
    FileDescription,
    LegalCopyright,
    Comments,
    ProductVersion,
    ProductName,
    PrivateBuild,
    CompanyName,
    LegalTrademarks,
    InternalName,
    SpecialBuild,
    OriginalFilename,
};

struct VersionStringKeyInfo {
    VersionStringKey key;
    const char* name;   // the key in the string table, e.g. "FileVersion"
    const char* label;  // the field's label in the dialog, UTF-8, e.g. "文件版本"
};

// In the order in which the dialog handles them. The language name comes between
// SpecialBuild and OriginalFilename; the dialog handles it itself.
extern const std::array<VersionStringKeyInfo, 12> kVersionStringKeys;

const VersionStringKeyInfo& InfoOf(VersionStringKey key);

// "\\VarFileInfo\\Translation": the list of (language, code page) word pairs.
extern const char kVersionTranslationName[];

// The name of a translation's string table, "%04x%04x" of language and code page,
// e.g. "080404b0".
std::string VersionTableName(uint16_t language, uint16_t codePage);

// "\\StringFileInfo\\<table>\\<key>", with one backslash at each separator.
std::string VersionStringName(uint16_t language, uint16_t codePage, VersionStringKey key);
