// The windows that the platform shows on the program's behalf (message boxes, the file dialog,
// the folder browser) and the drop query, reached through one seam. In-process tests install
// their own services to capture what would be shown and to answer the common dialogs.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include "platform/CString.h"

class UiServices {
  public:
    virtual ~UiServices() = default;

    virtual int ShowMessage(HWND owner, const CString& text, const CString& caption, UINT type);
    // GetOpenFileNameW; false on cancel.
    virtual bool ChooseOpenFile(OPENFILENAMEW& request);
    // The chosen folder's path; empty on cancel, or when the chosen item is no file-system folder.
    virtual CString BrowseForFolder(BROWSEINFOW& request);
    // The whole path of the first dropped item; releases the drop.
    virtual CString TakeDroppedPath(HDROP drop);
};

// The services in force: the platform's own unless a test has installed others.
UiServices& Ui();
// Installs services for the calling test; nullptr restores the platform's own.
void SetUiServices(UiServices* services);
