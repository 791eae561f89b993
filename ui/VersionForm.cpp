// The version fields: filled from the target's version resource when it loads, and the edited ones
// handed to "修改". Texts go between the file and the fields as UTF-16, unchanged.
#include "platform/Text.h"
#include "ui/AttribToolDlg.h"

void CAttribToolDlg::ShowVersionInfo() {
    const LoadedVersion& loaded = m_target.version;
    const bool hasVersionInfo = loaded.state != LoadedVersion::State::None;
    if (!hasVersionInfo) m_chkOptVersion.SetTicked(false);
    m_chkOptVersion.EnableWindow(hasVersionInfo);
    if (loaded.state == LoadedVersion::State::NoTranslation) {
        Tell(ToWide(ModifyMessage({ModifyEvent::NoTranslation})));
        return;
    }
    if (loaded.state != LoadedVersion::State::Loaded) return;
    m_editLanguage.SetWindowTextW(LanguageName(loaded.translation.language));
    for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
        if (!loaded.texts[i]) continue;
        m_editVersion[i].SetWindowTextW(*loaded.texts[i]);
        m_editVersion[i].SetLimitText(loaded.limits[i]);
    }
}

// A text that the file has changed since the load is left as the file holds it unless the user
// edited that field too.
std::vector<VersionEdit> CAttribToolDlg::EditedVersionStrings() const {
    std::vector<VersionEdit> edits;
    for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
        if (!m_target.version.texts[i]) continue;  // an absent key is never added
        const CString text = m_editVersion[i].GetWindowTextW();
        if (text != *m_target.version.texts[i]) edits.push_back({i, ToUtf16(text)});
    }
    return edits;
}
