// Choosing the target, resetting the form, loading the target's directory entry into it, and
// writing its attribute word and times back.
#include <array>

#include "platform/FileDialog.h"
#include "platform/Text.h"
#include "platform/UiServices.h"
#include "target/AttributeBits.h"
#include "target/TargetFile.h"
#include "target/TimeText.h"
#include "ui/AttribToolDlg.h"

namespace {

// The loaded times in the order of the time rows: creation, last write, last access.
std::array<uint64_t, 3> LoadedTimes(const WIN32_FIND_DATAW& entry) {
    return {Ticks(entry.ftCreationTime), Ticks(entry.ftLastWriteTime),
            Ticks(entry.ftLastAccessTime)};
}

}  // namespace

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
    ResetForm();
    const CString path = Ui().TakeDroppedPath(drop);
    if (!path.empty()) ChooseFromPath(path, NameAfterLastBackslash(path));
}

// The path stays as given for what the dialog shows and for naming the backup; the file calls get
// its extended form, made once here.
void CAttribToolDlg::ChooseFromPath(const CString& path, const CString& name) {
    m_strPathName = path;
    m_strFileName = name;
    m_strFilePath = ExtendedFullPath(path);
    LoadTarget();
}

void CAttribToolDlg::ResetForm() {
    m_strFileName.clear();
    m_strPathName.clear();
    m_strFilePath.clear();
    m_bHasVersionInfo = false;
    m_bTargetLoaded = false;
    m_loadedVersion = LoadedVersion();

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

void CAttribToolDlg::LoadTarget() {
    if (IsProgramItself(m_strFilePath)) {
        Tell(L"不能修改自身!");
        return;
    }
    if (!FindTarget(m_strFilePath, m_findData)) {
        Tell(L"文件句柄无效!");
        return;
    }
    if (m_findData.dwFileAttributes == INVALID_FILE_ATTRIBUTES) return;

    m_editName.SetWindowTextW(m_strFileName);
    ShowAttributesAndTimes();
    ProcessVersionInfo(false);
    m_bTargetLoaded = true;
}

void CAttribToolDlg::ShowAttributesAndTimes() {
    const AttributeBits bits(m_findData.dwFileAttributes);
    for (size_t i = 0; i < kShownAttributeBits.size(); ++i) {
        if (bits.test(kShownAttributeBits[i])) m_chkAttribute[i].SetTicked(true);
    }

    const std::array<uint64_t, 3> times = LoadedTimes(m_findData);
    const int64_t offset = UtcOffsetNow();
    for (int i = 0; i < 3; ++i)
        m_editTime[i].SetWindowTextW(AnsiToWide(FileTimeToTimeText(times[i], offset)));
    for (int i = 0; i < 3; ++i) m_editNewTime[i].SetWindowTextW(m_editTime[i].GetWindowTextW());

    m_editFileSize.SetWindowTextW(DecimalText(FileSize(m_findData)) + L" 字节");
}

void CAttribToolDlg::ApplyAttributes() {
    AttributeBoxes ticked{};
    for (size_t i = 0; i < ticked.size(); ++i) ticked[i] = m_chkAttribute[i].IsTicked();
    if (!WriteAttributes(m_strFilePath,
                         AttributeWordToWrite(m_findData.dwFileAttributes,
                                              ChangeFromBoxes(ticked)))) {
        Tell(L"属性修改失败!");
    }
}

bool CAttribToolDlg::ApplyTimes() {
    static const wchar_t* const kRefusals[] = {
        L"新的创建时间不符合要求!", L"新的修改时间不符合要求!", L"新的访问时间不符合要求!"};
    const std::array<uint64_t, 3> loaded = LoadedTimes(m_findData);
    std::array<NewTime, 3> texts;
    for (int i = 0; i < 3; ++i) {
        // Time texts are judged by their bytes: a full-width digit is two and no digit.
        texts[i] = {NewTime::Kind::Typed, WideToAnsi(m_editNewTime[i].GetWindowTextW()),
                    WideToAnsi(m_editTime[i].GetWindowTextW())};
    }
    const FileTimesDecision decision = DecideFileTimes(texts, loaded, UtcOffsetNow());
    if (decision.refused >= 0) {
        MessageBoxW(kRefusals[decision.refused]);  // bearing the application's name
        return false;
    }
    const bool folder = (m_findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!WriteFileTimes(m_strFilePath, folder, decision.times)) {
        Tell(L"时间修改失败!\n可能与只读或系统属性有关!");
        return false;
    }
    return true;
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
