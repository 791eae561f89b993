// The version fields: filled from the target's version resource when it loads, and the edited
// ones stored back by "修改".
#include "platform/Text.h"
#include "ui/AttribToolDlg.h"

bool CAttribToolDlg::ProcessVersionInfo(bool write) {
    if (write) {
        if (!m_bHasVersionInfo) return false;
        // Only the fields that differ from what the load showed are written; a text that the
        // file has changed since then is left as the file holds it.
        std::vector<VersionEdit> edits;
        for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
            if (!m_loadedVersion.texts[i]) continue;  // an absent key is never added
            std::string text = WideToAnsi(m_editVersion[i].GetWindowTextW());
            if (text != *m_loadedVersion.texts[i]) edits.push_back({i, std::move(text)});
        }
        if (edits.empty()) return false;  // nothing to store: the file is not even opened

        const VersionStoreResult result =
            StoreVersionStrings(m_strFilePath, m_loadedVersion, edits);
        switch (result.outcome) {
            case VersionStoreResult::Outcome::Stored:
                return true;
            case VersionStoreResult::Outcome::TooLong:
                Tell(ToWide(kVersionStringKeys[result.key].label) +
                     L"的新内容过长!\n版本信息未修改!");
                return false;
            case VersionStoreResult::Outcome::Failed:
                Tell(L"版本修改失败!\n错误代码: " + DecimalText(result.error));
                return false;
        }
        return false;
    }

    m_loadedVersion = ReadVersionStrings(m_strFilePath);
    m_bHasVersionInfo = m_loadedVersion.state != LoadedVersion::State::None;
    if (!m_bHasVersionInfo) m_chkOptVersion.SetTicked(false);
    m_chkOptVersion.EnableWindow(m_bHasVersionInfo);
    if (m_loadedVersion.state == LoadedVersion::State::NoTranslation) Tell(L"获取语言失败!");
    if (m_loadedVersion.state != LoadedVersion::State::Loaded) return false;

    for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
        if (const std::optional<std::string>& text = m_loadedVersion.texts[i]) {
            m_editVersion[i].SetWindowTextW(AnsiToWide(*text));
            // L, the text's length in bytes of the ANSI code page.
            m_editVersion[i].SetLimitText(static_cast<UINT>(text->size()));
        }
    }
    m_editLanguage.SetWindowTextW(LanguageName(m_loadedVersion.translation.language));
    return false;
}
