// The main dialog: owns every control and all state of the run. Each operation reads the
// controls, calls the layers below (target/, version/, modify/) with explicit inputs, and shows
// what comes back.
#pragma once

#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "version/VersionFile.h"

class CAttribToolDlg : public CDialog {
  public:
    explicit CAttribToolDlg(CWnd* parent = nullptr);

    // Choosing a target and loading it into the form.
    void OnBrowseFile();
    void OnBrowseFolder();
    void OnDropFiles(HDROP drop);
    void ResetForm();
    void LoadTarget();
    void ShowAttributesAndTimes();

    // "修改" and the groups that it writes.
    void OnOK() override;
    void ApplyAttributes();
    // True when the three times were written.
    bool ApplyTimes();
    // Read mode fills the version fields; write mode stores the edited ones and is true when the
    // file was written.
    bool ProcessVersionInfo(bool write);
    void ShowForceNotImplemented();

    void OnNowCreated();
    void OnNowModified();
    void OnNowAccessed();
    void OnAbout();

    const CString& GetPathName() const { return m_strPathName; }

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    MessageMap GetMessageMap() const override;
    bool OnSysCommand(UINT nID, LPARAM lParam);
    bool OnPaint();
    HCURSOR OnQueryDragIcon();

  private:
    void ChooseFromPath(const CString& path, const CString& name);
    void Tell(const CString& text);

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
    CString m_strFileName;
    CString m_strPathName;
    // m_strPathName in its extended form: what every file call is given.
    CString m_strFilePath;
    WIN32_FIND_DATAW m_findData{};
    bool m_bHasVersionInfo = false;
    // Whether the last choice of a target completed its load: one that did not has no snapshot
    // of its own, and nothing may be written from it.
    bool m_bTargetLoaded = false;
    // The version strings as the last load showed them: an edit is a field that differs.
    LoadedVersion m_loadedVersion;
};

// Writes the present local time, as a time text, into the given field.
void SetNowTime(CWnd* edit);
