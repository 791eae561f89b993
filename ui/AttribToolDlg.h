// The main dialog: owns every control and all state of the run.
#pragma once

#include "platform/Controls.h"
#include "platform/Dialog.h"

class CAttribToolDlg : public CDialog {
  public:
    explicit CAttribToolDlg(CWnd* parent = nullptr);

    // Loading a target (the three ways of choosing one end here).
    void OnBrowseFile();
    void OnBrowseFolder();
    void OnDropFiles(HDROP drop);
    void ResetForm();
    void LoadTarget();
    void ShowAttributesAndTimes();

    // Writing the chosen groups back.
    void OnOK() override;
    void ApplyAttributes();
    // True when the three times were written.
    bool ApplyTimes();
    BOOL IsValidTimeText(CString text);
    // In write mode, true when the version resource was stored.
    bool ProcessVersionInfo(bool write);
    void ShowForceNotImplemented();

    void OnNowCreated();
    void OnNowModified();
    void OnNowAccessed();
    void OnAbout();

    // Whether the last choice of a target completed its load: a chosen target that did not load
    // has no snapshot of its own, and nothing may be written from it.
    bool IsTargetLoaded() const { return m_bTargetLoaded; }
    const CString& GetPathName() const { return m_strPathName; }
    const CString& GetFileName() const { return m_strFileName; }

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    MessageMap GetMessageMap() const override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

  private:
    void ChooseFromPath(const CString& path);
    void ShowAttributes();
    void ShowTimes();
    bool MakeBackup();
    bool IsChecked(const CButton& box) const;
    void SetChecked(CButton& box, bool ticked);

    CButton m_chkOptForce;
    CButton m_chkOptBackup;
    CButton m_chkOptVersion;
    CButton m_chkOptTime;
    CButton m_chkOptBasic;
    CEdit m_editFileSize;
    CEdit m_editLanguage;
    CEdit m_editOriginalFilename;
    CEdit m_editFileVersion;
    CEdit m_editInternalName;
    CEdit m_editSpecialBuild;
    CEdit m_editLegalTrademarks;
    CEdit m_editCompanyName;
    CEdit m_editProductName;
    CEdit m_editPrivateBuild;
    CEdit m_editProductVersion;
    CEdit m_editComments;
    CEdit m_editLegalCopyright;
    CEdit m_editFileDescription;
    CEdit m_editNewAccessed;
    CEdit m_editNewModified;
    CEdit m_editNewCreated;
    CEdit m_editAccessed;
    CEdit m_editModified;
    CEdit m_editCreated;
    CEdit m_editName;
    CButton m_chkTemporary;
    CButton m_chkEncrypted;
    CButton m_chkNormal;
    CButton m_chkDirectory;
    CButton m_chkArchive;
    CButton m_chkSystem;
    CButton m_chkHidden;
    CButton m_chkReadOnly;

    HICON m_hIcon;
    CString m_strFileName;
    CString m_strPathName;
    WIN32_FIND_DATAA m_findData;
    bool m_bHasVersionInfo;
    bool m_bTargetLoaded = false;
};

// Writes the present local time, as a time text, into the given field.
void SetNowTime(CWnd* edit);
