// The version fields: filled from the target's version resource when it loads, and the edited
// ones stored back by "修改". Texts go between the file and the fields as UTF-16, unchanged.
#include "platform/Text.h"
#include "ui/AttribToolDlg.h"

bool CAttribToolDlg::ProcessVersionInfo(bool write) {
    if (write && !m_bHasVersionInfo) return false;
    // Write mode reads the file afresh too: its language, and whether it still has a Translation.
    const LoadedVersion now = ReadVersionStrings(m_strFilePath);
    if (!write) {
        m_loadedVersion = now;
        m_bHasVersionInfo = now.state != LoadedVersion::State::None;
        if (!m_bHasVersionInfo) m_chkOptVersion.SetTicked(false);
        m_chkOptVersion.EnableWindow(m_bHasVersionInfo);
    }
    if (now.state == LoadedVersion::State::NoTranslation) {
        Tell(L"获取语言失败!");
        return false;
    }
    if (now.state == LoadedVersion::State::Loaded) {
        m_editLanguage.SetWindowTextW(LanguageName(now.translation.language));
    }
    if (!write) {
        for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
            if (!now.texts[i]) continue;
            m_editVersion[i].SetWindowTextW(*now.texts[i]);
            m_editVersion[i].SetLimitText(now.limits[i]);
        }
        return false;
    }

    // Only the fields that differ from what the load showed are written; a text that the file
    // has changed since then is left as the file holds it. A file that no longer holds the
    // loaded resource is the store's to report.
    std::vector<VersionEdit> edits;
    for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
        if (!m_loadedVersion.texts[i]) continue;  // an absent key is never added
        CString text = m_editVersion[i].GetWindowTextW();
        if (text != *m_loadedVersion.texts[i]) edits.push_back({i, ToUtf16(text)});
    }
    if (edits.empty()) return false;  // nothing to store: the file is not even opened for writing

    const VersionStoreResult result =
        StoreVersionStrings(m_strFilePath, m_loadedVersion, VersionChanges{edits});
    switch (result.outcome) {
        case VersionStoreResult::Outcome::Stored:
            return true;
        case VersionStoreResult::Outcome::TooLong:
            Tell(ToWide(kVersionStringKeys[result.key].label) + L"的新内容过长!\n版本信息未修改!");
            return false;
        case VersionStoreResult::Outcome::NoFixedInfo:
            Tell(L"版本信息中没有固定版本号!\n版本信息未修改!");
            return false;
        case VersionStoreResult::Outcome::Failed:
            Tell(L"版本修改失败!\n错误代码: " + DecimalText(result.error));
            return false;
    }
    return false;
}
