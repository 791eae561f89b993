// Choosing the target, resetting the form, and showing the target's snapshot in it.
#include <utility>

#include "platform/FileDialog.h"
#include "platform/Text.h"
#include "platform/UiServices.h"
#include "target/AttributeBits.h"
#include "target/TargetFile.h"
#include "target/TimeText.h"
#include "ui/AttribToolDlg.h"

void CAttribToolDlg::OnBrowseFile() {
    CFileDialog dialog(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, L"所有文件(*.*)|*.*||");
    if (dialog.DoModal() != IDOK) return;
    ResetForm();
    ChooseFromPath(dialog.GetPathName(), dialog.GetFileName());
}

void CAttribToolDlg::OnBrowseFolder() {
    ResetForm();
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW request{};
    request.hwndOwner = m_hWnd;
    request.pszDisplayName = displayName;
    request.lpszTitle = L"选择一个文件夹";
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    const CString path = Ui().BrowseForFolder(request);
    if (!path.empty()) ChooseFromPath(path, NameAfterLastBackslash(path));
}

void CAttribToolDlg::OnDropFiles(HDROP drop) {
    OpenPath(Ui().TakeDroppedPath(drop));
}

void CAttribToolDlg::OnOpenStartPath() {
    // Once only: any process may post this message.
    if (!m_strStartPath.empty()) OpenPath(std::exchange(m_strStartPath, CString()));
}

void CAttribToolDlg::OpenPath(const CString& path) {
    ResetForm();
    if (!path.empty()) ChooseFromPath(path, NameAfterLastBackslash(path));
}

void CAttribToolDlg::ChooseFromPath(const CString& path, const CString& name) {
    m_strFileName = name;
    switch (LoadTargetSnapshot(path, m_target)) {
        case LoadOutcome::ProgramItself:
            Tell(L"不能修改自身!");
            return;
        case LoadOutcome::NotFound:
            Tell(L"文件句柄无效!");
            return;
        case LoadOutcome::Unreadable:
            return;
        case LoadOutcome::Loaded:
            ShowTarget();
            m_bTargetLoaded = true;
            return;
    }
}

void CAttribToolDlg::ResetForm() {
    m_strFileName.clear();
    m_target = TargetSnapshot();
    m_bTargetLoaded = false;

    for (CButton& box : m_chkAttribute) box.SetTicked(false);
    m_chkOptBasic.SetTicked(true);
    m_chkOptTime.SetTicked(false);
    m_chkOptVersion.SetTicked(false);
    m_chkOptBackup.SetTicked(true);

    for (CEdit* edit : {&m_editName, &m_editLanguage, &m_editFileSize}) edit->SetWindowTextW(L"");
    for (int i = 0; i < 3; ++i) {
        m_editTime[i].SetWindowTextW(L"");
        m_editNewTime[i].SetWindowTextW(L"");
    }
    for (CEdit& field : m_editVersion) {
        field.SetWindowTextW(L"");
        field.SetLimitText(256);
    }
}

void CAttribToolDlg::ShowTarget() {
    const WIN32_FIND_DATAW& entry = m_target.entry;
    m_editName.SetWindowTextW(m_strFileName);
    const AttributeBoxes ticked = ShownAttributeBoxes(entry.dwFileAttributes);
    for (size_t i = 0; i < ticked.size(); ++i) {
        if (ticked[i]) m_chkAttribute[i].SetTicked(true);
    }

    const std::array<uint64_t, 3> times = EntryTimes(entry);
    const int64_t offset = UtcOffsetNow();
    for (int i = 0; i < 3; ++i)
        m_editTime[i].SetWindowTextW(AnsiToWide(FileTimeToTimeText(times[i], offset)));
    for (int i = 0; i < 3; ++i) m_editNewTime[i].SetWindowTextW(m_editTime[i].GetWindowTextW());

    m_editFileSize.SetWindowTextW(DecimalText(FileSize(entry)) + L" 字节");
    ShowVersionInfo();
}

void SetNowTime(CWnd* edit) {
    edit->SetWindowTextW(AnsiToWide(FileTimeToTimeText(FileTimeNow(), UtcOffsetNow())));
}

void CAttribToolDlg::OnNowCreated() {
    SetNowTime(&m_editNewTime[0]);
}

void CAttribToolDlg::OnNowModified() {
    SetNowTime(&m_editNewTime[1]);
}

void CAttribToolDlg::OnNowAccessed() {
    SetNowTime(&m_editNewTime[2]);
}
