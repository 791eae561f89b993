#include "ui/AttribToolDlg.h"

#include "platform/PaintDC.h"
#include "platform/WinApp.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/DialogRules.h"

CAttribToolDlg::CAttribToolDlg(CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      m_hIcon(::LoadIconA(AfxFindResourceHandle(MAKEINTRESOURCEA(IDR_MAINFRAME), RT_GROUP_ICON),
                          MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_strFileName(""),
      m_strPathName(""),
      m_bHasVersionInfo(false) {}

void CAttribToolDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CHK_OPT_FORCE, m_chkOptForce);
    DDX_Control(dx, IDC_CHK_OPT_BACKUP, m_chkOptBackup);
    DDX_Control(dx, IDC_CHK_OPT_VERSION, m_chkOptVersion);
    DDX_Control(dx, IDC_CHK_OPT_TIME, m_chkOptTime);
    DDX_Control(dx, IDC_CHK_OPT_BASIC, m_chkOptBasic);
    DDX_Control(dx, IDC_EDIT_FILESIZE, m_editFileSize);
    DDX_Control(dx, IDC_EDIT_LANGUAGE, m_editLanguage);
    DDX_Control(dx, IDC_EDIT_ORIGINALFILENAME, m_editOriginalFilename);
    DDX_Control(dx, IDC_EDIT_FILEVERSION, m_editFileVersion);
    DDX_Control(dx, IDC_EDIT_INTERNALNAME, m_editInternalName);
    DDX_Control(dx, IDC_EDIT_SPECIALBUILD, m_editSpecialBuild);
    DDX_Control(dx, IDC_EDIT_LEGALTRADEMARKS, m_editLegalTrademarks);
    DDX_Control(dx, IDC_EDIT_COMPANYNAME, m_editCompanyName);
    DDX_Control(dx, IDC_EDIT_PRODUCTNAME, m_editProductName);
    DDX_Control(dx, IDC_EDIT_PRIVATEBUILD, m_editPrivateBuild);
    DDX_Control(dx, IDC_EDIT_PRODUCTVERSION, m_editProductVersion);
    DDX_Control(dx, IDC_EDIT_COMMENTS, m_editComments);
    DDX_Control(dx, IDC_EDIT_LEGALCOPYRIGHT, m_editLegalCopyright);
    DDX_Control(dx, IDC_EDIT_FILEDESCRIPTION, m_editFileDescription);
    DDX_Control(dx, IDC_EDIT_NEW_ACCESSED, m_editNewAccessed);
    DDX_Control(dx, IDC_EDIT_NEW_MODIFIED, m_editNewModified);
    DDX_Control(dx, IDC_EDIT_NEW_CREATED, m_editNewCreated);
    DDX_Control(dx, IDC_EDIT_ACCESSED, m_editAccessed);
    DDX_Control(dx, IDC_EDIT_MODIFIED, m_editModified);
    DDX_Control(dx, IDC_EDIT_CREATED, m_editCreated);
    DDX_Control(dx, IDC_CHK_TEMPORARY, m_chkTemporary);
    DDX_Control(dx, IDC_CHK_ENCRYPTED, m_chkEncrypted);
    DDX_Control(dx, IDC_CHK_NORMAL, m_chkNormal);
    DDX_Control(dx, IDC_CHK_DIRECTORY, m_chkDirectory);
    DDX_Control(dx, IDC_CHK_ARCHIVE, m_chkArchive);
    DDX_Control(dx, IDC_CHK_SYSTEM, m_chkSystem);
    DDX_Control(dx, IDC_CHK_HIDDEN, m_chkHidden);
    DDX_Control(dx, IDC_CHK_READONLY, m_chkReadOnly);
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
    };
    return MakeMessageMap(entries);
}

BOOL CAttribToolDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessageA(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    return TRUE;  // the focus goes to the first tab stop, the name
}

void CAttribToolDlg::OnSysCommand(UINT nID, LPARAM) {
    if (IsAboutBoxCommand(nID)) {
        OnAbout();
    } else {
        Default();
    }
}

void CAttribToolDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessageA(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    RECT client;
    GetClientRect(&client);
    const IconPosition at =
        CentredIconPosition(client.right - client.left, client.bottom - client.top,
                            ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    dc.DrawIcon(at.x, at.y, m_hIcon);
}

HCURSOR CAttribToolDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CAttribToolDlg::OnAbout() {
    CAboutDlg about;
    about.DoModal();
}

bool CAttribToolDlg::IsChecked(const CButton& box) const {
    return box.SendMessageA(BM_GETCHECK) == BST_CHECKED;
}

void CAttribToolDlg::SetChecked(CButton& box, bool ticked) {
    box.SendMessageA(BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED);
}
