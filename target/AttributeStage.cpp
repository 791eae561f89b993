// The attribute boxes of the main dialog: ticked from the loaded word, written back on request.
#include "platform/UiServices.h"
#include "target/AttributeBits.h"
#include "ui/AttribToolDlg.h"

void CAttribToolDlg::ShowAttributes() {
    CButton* const boxes[] = {&m_chkReadOnly, &m_chkHidden,    &m_chkSystem, &m_chkDirectory,
                              &m_chkArchive,  &m_chkEncrypted, &m_chkNormal, &m_chkTemporary};
    const AttributeBits bits(m_findData.dwFileAttributes);
    for (size_t i = 0; i < kShownAttributeBits.size(); ++i) {
        if (bits.test(kShownAttributeBits[i])) SetChecked(*boxes[i], true);
    }
}

void CAttribToolDlg::ApplyAttributes() {
    const ChangeableAttributes boxes{IsChecked(m_chkReadOnly), IsChecked(m_chkHidden),
                                     IsChecked(m_chkSystem), IsChecked(m_chkArchive)};
    const uint32_t word = AttributeWordToWrite(m_findData.dwFileAttributes, boxes);
    if (!::SetFileAttributesA(m_strPathName, word)) MessageBoxA("属性修改失败!", "提示");
}
