// Reads a dialog template (plain or extended) from this executable's resources, as the tests
// compare it with the dialogs' tables.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TemplateItem {
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring windowClass;  // a name; the predefined classes by ordinal get theirs
    std::wstring text;         // a text, or "#n" for a resource ordinal
};

struct DialogTemplate {
    bool found = false;
    bool extended = false;
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring menu, windowClass, caption;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::wstring face;
    std::vector<TemplateItem> items;
};

DialogTemplate ReadDialogTemplate(int id, WORD language);
