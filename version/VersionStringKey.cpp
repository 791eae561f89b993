#include "version/VersionStringKey.h"

#include <cstdio>

const std::array<VersionStringKeyInfo, 12> kVersionStringKeys = {{
    {VersionStringKey::FileVersion, "FileVersion", u8"文件版本"},
    {VersionStringKey::FileDescription, "FileDescription", u8"描述"},
    {VersionStringKey::LegalCopyright, "LegalCopyright", u8"版权"},
    {VersionStringKey::Comments, "Comments", u8"备注"},
    {VersionStringKey::ProductVersion, "ProductVersion", u8"产品版本"},
    {VersionStringKey::ProductName, "ProductName", u8"产品名称"},
    {VersionStringKey::PrivateBuild, "PrivateBuild", u8"个人用内部版本说明"},
    {VersionStringKey::CompanyName, "CompanyName", u8"公司"},
    {VersionStringKey::LegalTrademarks, "LegalTrademarks", u8"合法商标"},
    {VersionStringKey::InternalName, "InternalName", u8"内部名称"},
    {VersionStringKey::SpecialBuild, "SpecialBuild", u8"特殊内部版本说明"},
    {VersionStringKey::OriginalFilename, "OriginalFilename", u8"源文件名"},
}};

const VersionStringKeyInfo& InfoOf(VersionStringKey key) {
    for (const VersionStringKeyInfo& info : kVersionStringKeys) {
        if (info.key == key) return info;
    }
    // Every enumerator has a row; keep the compiler's flow analysis happy.
    return kVersionStringKeys.front();
}

const char kVersionTranslationName[] = "\\VarFileInfo\\Translation";

std::string VersionTableName(uint16_t language, uint16_t codePage) {
    char name[9];
    std::snprintf(name, sizeof name, "%04x%04x", static_cast<unsigned>(language),
                  static_cast<unsigned>(codePage));
    return name;
}

std::string VersionStringName(uint16_t language, uint16_t codePage, VersionStringKey key) {
    return std::string("\\StringFileInfo\\") + VersionTableName(language, codePage) + "\\" +
           InfoOf(key).name;
}
