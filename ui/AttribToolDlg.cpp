#include "ui/AttribToolDlg.h"

#include "modify/Backup.h"
#include "modify/ModifyPlan.h"
#include "platform/PaintDC.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/DialogRules.h"

namespace {

// The boxes of kShownAttributeBits, in its order.
constexpr int kAttributeBoxIds[] = {IDC_CHK_READONLY,  IDC_CHK_HIDDEN,   IDC_CHK_SYSTEM,
                                    IDC_CHK_DIRECTORY, IDC_CHK_ARCHIVE,  IDC_CHK_ENCRYPTED,
                                    IDC_CHK_NORMAL,    IDC_CHK_TEMPORARY};
// Creation, last write, last access.
constexpr int kTimeIds[] = {IDC_EDIT_CREATED, IDC_EDIT_MODIFIED, IDC_EDIT_ACCESSED};
constexpr int kNewTimeIds[] = {IDC_EDIT_NEW_CREATED, IDC_EDIT_NEW_MODIFIED, IDC_EDIT_NEW_ACCESSED};

}  // namespace

CAttribToolDlg::CAttribToolDlg(CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

void CAttribToolDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CHK_OPT_FORCE, m_chkOptForce);
    DDX_Control(dx, IDC_CHK_OPT_BACKUP, m_chkOptBackup);
    DDX_Control(dx, IDC_CHK_OPT_VERSION, m_chkOptVersion);
    DDX_Control(dx, IDC_CHK_OPT_TIME, m_chkOptTime);
    DDX_Control(dx, IDC_CHK_OPT_BASIC, m_chkOptBasic);
    DDX_Control(dx, IDC_EDIT_FILESIZE, m_editFileSize);
    DDX_Control(dx, IDC_EDIT_LANGUAGE, m_editLanguage);
    for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
        DDX_Control(dx, kVersionStringKeys[i].controlId, m_editVersion[i]);
    }
    for (int i = 0; i < 3; ++i) {
        DDX_Control(dx, kNewTimeIds[i], m_editNewTime[i]);
        DDX_Control(dx, kTimeIds[i], m_editTime[i]);
    }
    for (int i = 0; i < 8; ++i) DDX_Control(dx, kAttributeBoxIds[i], m_chkAttribute[i]);
    DDX_Control(dx, IDC_EDIT_NAME, m_editName);
}

MessageMap CAttribToolDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        OnMessage<&CAttribToolDlg::OnSysCommand>(WM_SYSCOMMAND),
        OnMessage<&CAttribToolDlg::OnPaint>(WM_PAINT),
        OnMessage<&CAttribToolDlg::OnDropFiles>(WM_DROPFILES),
        OnMessage<&CAttribToolDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
        OnClicked<&CAttribToolDlg::OnBrowseFile>(IDC_BTN_FILE),
        OnClicked<&CAttribToolDlg::OnBrowseFolder>(IDC_BTN_DIR),
        OnClicked<&CAttribToolDlg::OnAbout>(IDC_BTN_ABOUT),
        OnClicked<&CAttribToolDlg::OnNowCreated>(IDC_BTN_NOW_CREATED),
        OnClicked<&CAttribToolDlg::OnNowModified>(IDC_BTN_NOW_MODIFIED),
        OnClicked<&CAttribToolDlg::OnNowAccessed>(IDC_BTN_NOW_ACCESSED),
        OnClicked<&CAttribToolDlg::OnOK>(IDOK),
        OnClicked<&CDialog::OnCancel>(IDCANCEL),
    };
    return MakeMessageMap(entries);
}

BOOL CAttribToolDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessageW(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    AcceptDropsWhenElevated();
    return TRUE;  // the focus goes to the first tab stop, the name
}

bool CAttribToolDlg::OnSysCommand(UINT nID, LPARAM) {
    if (!IsAboutBoxCommand(nID)) return false;
    OnAbout();
    return true;
}

bool CAttribToolDlg::OnPaint() {
    if (!IsIconic()) return false;
    CPaintDC dc(this);
    SendMessageW(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    RECT client;
    GetClientRect(&client);
    const IconPosition at =
        CentredIconPosition(client.right - client.left, client.bottom - client.top,
                            ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    dc.DrawIcon(at.x, at.y, m_hIcon);
    return true;
}

HCURSOR CAttribToolDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CAttribToolDlg::OnAbout() {
    CAboutDlg about;
    about.DoModal();
}

void CAttribToolDlg::Tell(const CString& text) {
    MessageBoxW(text, L"提示");
}

void CAttribToolDlg::ShowForceNotImplemented() {
    Tell(L"强制修改功能尚未实现!");
}

void CAttribToolDlg::OnOK() {
    ModifyState state{};
    state.targetLoaded = !m_strPathName.empty() && m_bTargetLoaded;
    state.isFolder = (m_findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    for (ModifyStep step = ModifyStep::Start; step != ModifyStep::End;) {
        // The boxes are read as each step is reached.
        state.backupTicked = m_chkOptBackup.IsTicked();
        state.basicTicked = m_chkOptBasic.IsTicked();
        state.timeTicked = m_chkOptTime.IsTicked();
        state.versionTicked = m_chkOptVersion.IsTicked();
        state.forceTicked = m_chkOptForce.IsTicked();
        state.hasVersionInfo = m_bHasVersionInfo;
        step = NextModifyStep(step, state);
        switch (step) {
            case ModifyStep::ReportNoTarget:
                Tell(L"路径不能为空!");
                break;
            case ModifyStep::Backup:
                // The window keeps painting through a long copy.
                state.backupFailed =
                    MakeBackup(m_strFilePath, PumpPaintMessages) == BackupResult::Failed;
                break;
            case ModifyStep::ReportBackupFailed:
                Tell(L"备份失败!\n文件未修改!");
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
                Tell(L"文件修改完成!");
                break;
            case ModifyStep::Start:
            case ModifyStep::End:
                break;
        }
    }
}
