// The main dialog: owns every control and all state of the run. A load takes the target's snapshot
// and shows it; "修改" runs the modification with the dialog as its listener, which reads the
// boxes and fields as each step is reached and shows what each step reports.
#pragma once

#include "modify/ModifyCommand.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"

class CAttribToolDlg : public CDialog, private ModifyListener {
  public:
    explicit CAttribToolDlg(CWnd* parent = nullptr);

    // Choosing a target and loading it into the form.
    void OnBrowseFile();
    void OnBrowseFolder();
    void OnDropFiles(HDROP drop);
    void ResetForm();
    // The path that the program was started with: loaded as a drop of it, once the dialog is
    // on screen, so that a message about it has a visible owner.
    void OpenOnceShown(const CString& path) { m_strStartPath = path; }

    // "修改".
    void OnOK() override;

    void OnNowCreated();
    void OnNowModified();
    void OnNowAccessed();
    void OnAbout();

    const CString& GetPathName() const { return m_target.path; }

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    MessageMap GetMessageMap() const override;
    bool OnSysCommand(UINT nID, LPARAM lParam);
    bool OnPaint();
    HCURSOR OnQueryDragIcon();

  private:
    void OnOpenStartPath();
    // A whole path, dropped or given at start: the form reset, then the item loaded.
    void OpenPath(const CString& path);
    void ChooseFromPath(const CString& path, const CString& name);
    void ShowTarget();
    void ShowVersionInfo();
    // The version fields whose text differs from what the load showed.
    std::vector<VersionEdit> EditedVersionStrings() const;
    void Tell(const CString& text);

    // What "修改" reads and reports.
    void Refresh(ModifyRequest& request) override;
    bool AllowUnsigning(const ModifyRequest& request) override;
    void WhileCopying() override;
    void Report(const ModifyReport& report) override;

    CButton m_chkOptForce;
    CButton m_chkOptBackup;
    CButton m_chkOptVersion;
    CButton m_chkOptTime;
    CButton m_chkOptBasic;
    CEdit m_editFileSize;
    CEdit m_editLanguage;
    CEdit m_editVersion[kVersionStringKeyCount];  // in the order of kVersionStringKeys
    CEdit m_editNewTime[3];                       // creation, last write, last access
    CEdit m_editTime[3];
    CEdit m_editName;
    CButton m_chkAttribute[8];  // in the order of kShownAttributeBits

    HICON m_hIcon;
    CString m_strStartPath;
    CString m_strFileName;
    // The chosen target: its path, which stays set when the load fails, and what the load took.
    TargetSnapshot m_target;
    // Whether the last choice of a target completed its load: one that did not has no snapshot
    // of its own, and nothing may be written from it.
    bool m_bTargetLoaded = false;
};

// Writes the present local time, as a time text, into the given field.
void SetNowTime(CWnd* edit);
