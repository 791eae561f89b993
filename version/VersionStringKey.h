// The twelve version strings that the dialog shows and writes: one row each, with the name of
// the key in the string table, the label of its field and the field's control id.
#pragma once

#include <array>
#include <cstddef>

struct VersionStringKey {
    const char* name;       // the key in the string table, e.g. "FileVersion"
    const char16_t* label;  // the field's label, e.g. u"文件版本"
    int controlId;          // the field, e.g. IDC_EDIT_FILEVERSION
};

constexpr size_t kVersionStringKeyCount = 12;

// In the order in which the dialog fills and writes them.
extern const std::array<VersionStringKey, kVersionStringKeyCount> kVersionStringKeys;

// The rows of "FileVersion" and "ProductVersion", the strings that follow the fixed versions.
constexpr size_t kFileVersionKey = 0, kProductVersionKey = 4;
