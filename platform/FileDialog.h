// The platform's file-open dialog.
#pragma once

#include "platform/CString.h"
#include "platform/Wnd.h"

class CFileDialog {
  public:
    // filter: entries of "description|pattern|", ending in "|".
    CFileDialog(DWORD flags, const wchar_t* filter);

    // IDOK when a file was chosen, IDCANCEL otherwise.
    INT_PTR DoModal();
    CString GetFileName() const { return m_fileName; }
    CString GetPathName() const { return m_pathName; }

  private:
    DWORD m_flags;
    CString m_filter;
    CString m_fileName;
    CString m_pathName;
};
