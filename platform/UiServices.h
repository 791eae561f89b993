// The windows that the platform shows on the program's behalf (message boxes, the file dialog,
// the folder browser) and the drop query, reached through one seam. The program uses the
// platform's own calls; in-process tests install their own services to capture what would be
// shown and to answer the common dialogs.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <string>

class UiServices {
  public:
    virtual ~UiServices() = default;

    virtual int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                            UINT type);
    virtual BOOL ChooseOpenFile(OPENFILENAMEW& request);
    // The chosen folder's item list (the caller frees it with CoTaskMemFree), or null on cancel.
    virtual PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOW& request);
    virtual UINT QueryDroppedFile(HDROP drop, UINT index, wchar_t* buffer, UINT capacity);
    virtual void FinishDrop(HDROP drop);
};

// The services in force: the platform's own unless a test has installed others.
UiServices& Ui();
// Installs services for the calling test; nullptr restores the platform's own.
void SetUiServices(UiServices* services);
