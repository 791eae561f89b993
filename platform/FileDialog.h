// The platform's file-open dialog.
#pragma once

#include "platform/CString.h"
#include "platform/Wnd.h"

class CFileDialog {
  public:
    // filter: the program's own text (UTF-8), entries of "description|pattern|" ending in "|".
    CFileDialog(BOOL openFileDialog, const char* defaultExtension = nullptr,
                const char* fileName = nullptr, DWORD flags = OFN_HIDEREADONLY,
                const char* filter = nullptr, CWnd* parent = nullptr);

    // IDOK when a file was chosen, IDCANCEL otherwise.
    INT_PTR DoModal();
    // Narrow forms of the chosen file's name and full path.
    CString GetFileName() const { return m_fileName; }
    CString GetPathName() const { return m_pathName; }

  private:
    std::wstring m_defaultExtension;
    std::wstring m_initialName;
    std::wstring m_filter;
    DWORD m_flags;
    CWnd* m_pParentWnd;
    CString m_fileName;
    CString m_pathName;
};
