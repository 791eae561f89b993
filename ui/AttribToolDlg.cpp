#include "ui/AttribToolDlg.h"

#include "platform/Text.h"
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
// Posted to itself when the dialog has come up with a path to load.
constexpr UINT kOpenStartPath = WM_APP;

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
        OnMessage<&CAttribToolDlg::OnOpenStartPath>(kOpenStartPath),
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
    // Taken from the queue once the dialog manager has shown the dialog.
    if (!m_strStartPath.empty()) ::PostMessageW(m_hWnd, kOpenStartPath, 0, 0);
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

void CAttribToolDlg::OnOK() {
    RunModify(m_bTargetLoaded ? &m_target : nullptr, ModifyRequest(), *this);
}

void CAttribToolDlg::Refresh(ModifyRequest& request) {
    request.backup = m_chkOptBackup.IsTicked();
    request.attributes = m_chkOptBasic.IsTicked();
    request.times = m_chkOptTime.IsTicked();
    request.versions = m_chkOptVersion.IsTicked();
    request.force = m_chkOptForce.IsTicked();
    AttributeBoxes ticked{};
    for (size_t i = 0; i < ticked.size(); ++i) ticked[i] = m_chkAttribute[i].IsTicked();
    request.attributeChange = ChangeFromBoxes(ticked);
    for (int i = 0; i < 3; ++i) {
        // Time texts are judged by their bytes: a full-width digit is two and no digit.
        request.newTimes[i] = {NewTime::Kind::Typed, WideToAnsi(m_editNewTime[i].GetWindowTextW()),
                               WideToAnsi(m_editTime[i].GetWindowTextW())};
    }
    request.versionChanges.strings = EditedVersionStrings();
}

bool CAttribToolDlg::AllowUnsigning(const ModifyRequest&) {
    return MessageBoxW(L"该文件带有数字签名，修改版本信息会使签名失效。\n是否继续？", L"提示",
                       MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void CAttribToolDlg::WhileCopying() {
    PumpPaintMessages();  // the window keeps painting through a long copy
}

void CAttribToolDlg::Report(const ModifyReport& report) {
    switch (report.event) {
        case ModifyEvent::UnsigningRefused:  // the user's own answer
        case ModifyEvent::BackupKept:        // never overwritten, and no news
            return;
        case ModifyEvent::LanguageRead:
            m_editLanguage.SetWindowTextW(LanguageName(report.language));
            return;
        case ModifyEvent::TimeRefused:
            MessageBoxW(ToWide(ModifyMessage(report)));  // bearing the application's name
            return;
        default:
            Tell(ToWide(ModifyMessage(report)));
    }
}
