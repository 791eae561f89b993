// Choosing the target (file dialog, folder browser, drop), resetting the form and loading the
// target's directory entry into it.
#include <shlobj.h>

#include <vector>

#include "platform/FileDialog.h"
#include "platform/Text.h"
#include "platform/UiServices.h"
#include "res/resource.h"
#include "ui/AttribToolDlg.h"

namespace {

std::string OwnExecutablePath() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return std::string(path.data(), length);
        path.resize(path.size() * 2);
    }
}

// '?' stands where the ANSI code page lacks a character of the real name; as a wildcard it could
// make the directory search find some other item, so such a path names nothing.
bool HasWildcard(const CString& path) {
    return path.str().find_first_of("?*") != std::string::npos;
}

}  // namespace

void CAttribToolDlg::OnBrowseFile() {
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                       "所有文件(*.*)|*.*||");
    if (dialog.DoModal() != IDOK) return;
    ResetForm();
    m_strFileName = dialog.GetFileName();
    m_strPathName = dialog.GetPathName();
    LoadTarget();
}

void CAttribToolDlg::OnBrowseFolder() {
    ResetForm();
    wchar_t displayName[MAX_PATH] = {};
    const std::wstring title = Utf8ToWide("选择一个文件夹");
    BROWSEINFOW request{};
    request.hwndOwner = m_hWnd;
    request.pszDisplayName = displayName;
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    PIDLIST_ABSOLUTE item = Ui().BrowseForFolder(request);
    if (!item) return;

    // A display name is no path: an item outside the file system chooses nothing.
    wchar_t path[MAX_PATH] = {};
    const bool hasPath = ::SHGetPathFromIDListW(item, path);
    ::CoTaskMemFree(item);
    if (hasPath) ChooseFromPath(WideToAnsi(path));
}

void CAttribToolDlg::OnDropFiles(HDROP drop) {
    ResetForm();
    // Ask for the length first: the whole path is taken, never a shortened one.
    const UINT length = Ui().QueryDroppedFile(drop, 0, nullptr, 0);
    std::vector<wchar_t> path(static_cast<size_t>(length) + 1, L'\0');
    const UINT copied = Ui().QueryDroppedFile(drop, 0, path.data(), static_cast<UINT>(path.size()));
    Ui().FinishDrop(drop);
    ChooseFromPath(WideToAnsi(std::wstring(path.data(), copied < path.size() ? copied : 0)));
}

void CAttribToolDlg::ChooseFromPath(const CString& path) {
    m_strPathName = path;
    m_strFileName = path.AfterLastBackslash();
    LoadTarget();
}

void CAttribToolDlg::ResetForm() {
    m_strFileName.Empty();
    m_strPathName.Empty();
    m_bHasVersionInfo = false;
    m_bTargetLoaded = false;

    for (CButton* box : {&m_chkReadOnly, &m_chkHidden, &m_chkSystem, &m_chkArchive, &m_chkDirectory,
                         &m_chkEncrypted, &m_chkNormal, &m_chkTemporary}) {
        SetChecked(*box, false);
    }
    SetChecked(m_chkOptBasic, true);
    SetChecked(m_chkOptTime, false);
    SetChecked(m_chkOptVersion, false);
    SetChecked(m_chkOptBackup, true);

    for (CEdit* edit : {&m_editName,
                        &m_editCreated,
                        &m_editModified,
                        &m_editAccessed,
                        &m_editNewCreated,
                        &m_editNewModified,
                        &m_editNewAccessed,
                        &m_editFileVersion,
                        &m_editFileDescription,
                        &m_editLegalCopyright,
                        &m_editComments,
                        &m_editProductVersion,
                        &m_editProductName,
                        &m_editPrivateBuild,
                        &m_editCompanyName,
                        &m_editLegalTrademarks,
                        &m_editInternalName,
                        &m_editSpecialBuild,
                        &m_editOriginalFilename,
                        &m_editLanguage,
                        &m_editFileSize}) {
        edit->SetWindowTextA("");
    }
    for (CEdit* edit : {&m_editSpecialBuild, &m_editProductVersion, &m_editProductName,
                        &m_editPrivateBuild, &m_editOriginalFilename, &m_editLegalTrademarks,
                        &m_editLegalCopyright, &m_editInternalName, &m_editFileVersion,
                        &m_editFileDescription, &m_editCompanyName, &m_editComments}) {
        edit->SendMessageA(EM_LIMITTEXT, 256);
    }
}

void CAttribToolDlg::LoadTarget() {
    if (m_strPathName.str() == OwnExecutablePath()) {
        MessageBoxA("不能修改自身!", "提示");
        return;
    }
    HANDLE search = HasWildcard(m_strPathName) ? INVALID_HANDLE_VALUE
                                               : ::FindFirstFileA(m_strPathName, &m_findData);
    if (search == INVALID_HANDLE_VALUE) {
        MessageBoxA("文件句柄无效!", "提示");
        return;
    }
    ::FindClose(search);
    if (m_findData.dwFileAttributes == INVALID_FILE_ATTRIBUTES) return;

    m_editName.SetWindowTextA(m_strFileName);
    ShowAttributesAndTimes();
    ProcessVersionInfo(false);
    m_bTargetLoaded = true;
}

void CAttribToolDlg::ShowAttributesAndTimes() {
    ShowAttributes();
    ShowTimes();
    CString size;
    size.Format("%u 字节", static_cast<unsigned>(m_findData.nFileSizeLow));
    m_editFileSize.SetWindowTextW(Utf8ToWide(size).c_str());
}
