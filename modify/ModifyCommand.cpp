// "修改": applies the chosen groups to the loaded target in their fixed order.
#include "modify/ModifyPlan.h"
#include "ui/AttribToolDlg.h"

void CAttribToolDlg::ShowForceNotImplemented() {
    MessageBoxA("强制修改功能尚未实现!", "提示");
}

// Copies the target beside itself as "<path>_bak", never over an earlier backup. False only when
// the copy failed for another reason than that backup existing.
bool CAttribToolDlg::MakeBackup() {
    CString backup;
    backup.Format("%s_bak", m_strPathName.GetString());
    if (::CopyFileA(m_strPathName, backup, TRUE)) return true;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

void CAttribToolDlg::OnOK() {
    ModifyState state{};
    state.targetLoaded = !m_strPathName.IsEmpty() && m_bTargetLoaded;
    state.isFolder = (m_findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;

    ModifyStep step = ModifyStep::Start;
    for (;;) {
        state.backupTicked = IsChecked(m_chkOptBackup);
        state.basicTicked = IsChecked(m_chkOptBasic);
        state.timeTicked = IsChecked(m_chkOptTime);
        state.versionTicked = IsChecked(m_chkOptVersion);
        state.forceTicked = IsChecked(m_chkOptForce);
        state.hasVersionInfo = m_bHasVersionInfo;
        step = NextModifyStep(step, state);
        switch (step) {
            case ModifyStep::ReportNoTarget:
                MessageBoxA("路径不能为空!", "提示");
                break;
            case ModifyStep::Backup:
                state.backupFailed = !MakeBackup();
                break;
            case ModifyStep::ReportBackupFailed:
                MessageBoxA("备份失败!\n文件未修改!", "提示");
                break;
            case ModifyStep::Attributes:
                ApplyAttributes();
                break;
            case ModifyStep::Times:
                state.timesWritten = ApplyTimes();
                break;
            case ModifyStep::VersionStrings:
                state.versionStored = ProcessVersionInfo(true);
                break;
            case ModifyStep::ForceNotImplemented:
                ShowForceNotImplemented();
                break;
            case ModifyStep::RewriteTimes:
                ApplyTimes();
                break;
            case ModifyStep::ReportDone:
                MessageBoxA("文件修改完成!", "提示");
                break;
            case ModifyStep::Start:
            case ModifyStep::End:
                return;
        }
    }
}
