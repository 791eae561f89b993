#include "version/VersionStringKey.h"

#include "res/resource.h"

const std::array<VersionStringKey, kVersionStringKeyCount> kVersionStringKeys = {{
    {"FileVersion", u"文件版本", IDC_EDIT_FILEVERSION},
    {"FileDescription", u"描述", IDC_EDIT_FILEDESCRIPTION},
    {"LegalCopyright", u"版权", IDC_EDIT_LEGALCOPYRIGHT},
    {"Comments", u"备注", IDC_EDIT_COMMENTS},
    {"ProductVersion", u"产品版本", IDC_EDIT_PRODUCTVERSION},
    {"ProductName", u"产品名称", IDC_EDIT_PRODUCTNAME},
    {"PrivateBuild", u"个人用内部版本说明", IDC_EDIT_PRIVATEBUILD},
    {"CompanyName", u"公司", IDC_EDIT_COMPANYNAME},
    {"LegalTrademarks", u"合法商标", IDC_EDIT_LEGALTRADEMARKS},
    {"InternalName", u"内部名称", IDC_EDIT_INTERNALNAME},
    {"SpecialBuild", u"特殊内部版本说明", IDC_EDIT_SPECIALBUILD},
    {"OriginalFilename", u"源文件名", IDC_EDIT_ORIGINALFILENAME},
}};
