// Version strings of the main dialog: shown from the target's version resource when a target
// loads, and rewritten in place and stored back by the modify command.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "ui/AttribToolDlg.h"
#include "version/RewriteVersionString.h"
#include "version/VersionBuffer.h"
#include "version/VersionResourceStore.h"
#include "version/VersionStringKey.h"

namespace {

struct Translation {
    WORD language;
    WORD codePage;
};

// The first (language, code page) pair of the Translation value. A value too short to hold one
// pair counts as missing.
bool QueryFirstTranslation(VersionBuffer& block, Translation& pair) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), kVersionTranslationName, &value, &length) || !value ||
        length < 4) {
        return false;
    }
    const auto at = reinterpret_cast<uintptr_t>(value);
    const auto begin = reinterpret_cast<uintptr_t>(block.data());
    if (block.size() < 4 || at < begin || at - begin > block.size() - 4) return false;
    std::memcpy(&pair.language, value, 2);
    std::memcpy(&pair.codePage, static_cast<const uint8_t*>(value) + 2, 2);
    return true;
}

// Where a string value's ANSI form lies in the block, and L, its length in bytes.
struct AnsiForm {
    uint32_t offset;
    uint32_t length;
};

// The ANSI form that VerQueryValueA gives for the name; false when the name is absent or the
// form does not lie in the block. L is measured up to the first zero byte: the length that the
// lookup reports counts the terminator on some platforms and not on others.
bool QueryAnsiForm(VersionBuffer& block, const std::string& name, AnsiForm& form) {
    void* value = nullptr;
    UINT reported = 0;
    if (!::VerQueryValueA(block.data(), name.c_str(), &value, &reported) || !value) return false;
    const auto at = reinterpret_cast<uintptr_t>(value);
    const auto begin = reinterpret_cast<uintptr_t>(block.data());
    if (at < begin || at - begin >= block.size()) return false;
    form.offset = static_cast<uint32_t>(at - begin);
    form.length =
        static_cast<uint32_t>(strnlen(static_cast<const char*>(value), block.size() - form.offset));
    return true;
}

std::string AnsiText(const VersionBuffer& block, const AnsiForm& form) {
    return std::string(reinterpret_cast<const char*>(block.data()) + form.offset, form.length);
}

// True when the UTF-16 text S + 4 bytes before the ANSI form converts to exactly that form: the
// block is laid out as the rewrite expects, and the stored text found there is this value's.
bool StoredTextMatches(const VersionBuffer& block, const AnsiForm& form) {
    const uint32_t shift = (block.size() + 4) / 2;  // S + 4
    if (form.offset < shift) return false;
    const uint32_t stored = form.offset - shift;
    const uint32_t rawSize = block.RawSize();
    std::wstring units;
    for (uint32_t at = stored; at + 2 <= rawSize; at += 2) {
        wchar_t unit;
        std::memcpy(&unit, block.data() + at, 2);
        if (unit == 0) break;
        units.push_back(unit);
    }
    std::string converted;
    if (!units.empty()) {
        const int bytes = ::WideCharToMultiByte(
            CP_ACP, 0, units.data(), static_cast<int>(units.size()), nullptr, 0, nullptr, nullptr);
        if (bytes <= 0) return false;
        converted.resize(static_cast<size_t>(bytes));
        ::WideCharToMultiByte(CP_ACP, 0, units.data(), static_cast<int>(units.size()),
                              converted.data(), bytes, nullptr, nullptr);
    }
    return converted == AnsiText(block, form);
}

std::u16string ToUtf16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

struct FoundValue {
    const VersionStringKeyInfo* info;
    CEdit* field;
    AnsiForm form;
};

struct PlannedRewrite {
    const FoundValue* value;
    std::u16string text;
};

}  // namespace

bool CAttribToolDlg::ProcessVersionInfo(bool write) {
    if (write && !m_bHasVersionInfo) return false;

    // The whole path, never one cut to a fixed buffer.
    const char* path = m_strPathName;
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) {
        m_bHasVersionInfo = false;
        SetChecked(m_chkOptVersion, false);
        m_chkOptVersion.EnableWindow(FALSE);
        return false;
    }
    m_bHasVersionInfo = true;
    m_chkOptVersion.EnableWindow(TRUE);

    VersionBuffer block(size);
    if (!::GetFileVersionInfoA(path, handle, size, block.data())) return false;
    // The raw resource as the file holds it: an in-place store checks the file against it.
    const std::vector<uint8_t> original =
        write ? std::vector<uint8_t>(block.data(), block.data() + block.RawSize())
              : std::vector<uint8_t>();

    Translation pair{};
    if (!QueryFirstTranslation(block, pair)) {
        MessageBoxA("获取语言失败!", "提示");
        return false;
    }

    auto fieldOf = [this](VersionStringKey key) -> CEdit& {
        switch (key) {
            case VersionStringKey::FileVersion:
                return m_editFileVersion;
            case VersionStringKey::FileDescription:
                return m_editFileDescription;
            case VersionStringKey::LegalCopyright:
                return m_editLegalCopyright;
            case VersionStringKey::Comments:
                return m_editComments;
            case VersionStringKey::ProductVersion:
                return m_editProductVersion;
            case VersionStringKey::ProductName:
                return m_editProductName;
            case VersionStringKey::PrivateBuild:
                return m_editPrivateBuild;
            case VersionStringKey::CompanyName:
                return m_editCompanyName;
            case VersionStringKey::LegalTrademarks:
                return m_editLegalTrademarks;
            case VersionStringKey::InternalName:
                return m_editInternalName;
            case VersionStringKey::SpecialBuild:
                return m_editSpecialBuild;
            case VersionStringKey::OriginalFilename:
                break;
        }
        return m_editOriginalFilename;
    };

    std::vector<FoundValue> found;
    for (const VersionStringKeyInfo& info : kVersionStringKeys) {
        // The language name is shown in both modes, between SpecialBuild and OriginalFilename.
        if (info.key == VersionStringKey::OriginalFilename) {
            char language[256] = {};
            ::VerLanguageNameA(pair.language, language, sizeof language);
            m_editLanguage.SetWindowTextA(language);
        }
        AnsiForm form{};
        if (!QueryAnsiForm(block, VersionStringName(pair.language, pair.codePage, info.key),
                           form)) {
            continue;  // an absent key: its field keeps its text and limit
        }
        CEdit& field = fieldOf(info.key);
        if (write) {
            found.push_back({&info, &field, form});
        } else {
            field.SetWindowTextA(AnsiText(block, form).c_str());
            field.SendMessageA(EM_LIMITTEXT, form.length);
        }
    }
    if (!write) return false;

    // Every text is checked before any is written: one that does not fit stores nothing.
    std::vector<PlannedRewrite> rewrites;
    for (const FoundValue& value : found) {
        CString text;
        value.field->GetWindowTextA(text);
        // Unchanged: left byte for byte, so that a character which the code page lacks is kept.
        if (MatchesAnsiForm(block, value.form.offset, value.form.length, text.str())) continue;
        std::u16string units = ToUtf16(AnsiToWide(text.str()));
        const RewriteResult check =
            CheckVersionRewrite(block, value.form.offset, value.form.length, units);
        if (check == RewriteResult::TooLong) {
            CString message;
            message.Format("%s的新内容过长!\n版本信息未修改!", value.info->label);
            MessageBoxA(message, "提示");
            return false;
        }
        if (check != RewriteResult::Written || !StoredTextMatches(block, value.form)) {
            // The block is not laid out as the rewrite needs: writing could damage the resource.
            CString message;
            message.Format("版本修改失败!\n错误代码: %d", static_cast<int>(ERROR_INVALID_DATA));
            MessageBoxA(message, "提示");
            return false;
        }
        rewrites.push_back({&value, std::move(units)});
    }
    for (const PlannedRewrite& rewrite : rewrites) {
        RewriteVersionString(block, rewrite.value->form.offset, rewrite.value->form.length,
                             rewrite.text);
    }

    const VersionStoreResult result = StoreVersionResource(
        m_strPathName, pair.language, original.data(), block.data(), block.RawSize());
    if (!result.stored) {
        CString message;
        message.Format("版本修改失败!\n错误代码: %d", static_cast<int>(result.error));
        MessageBoxA(message, "提示");
    }
    return result.stored;
}
