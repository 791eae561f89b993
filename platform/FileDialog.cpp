#include "platform/FileDialog.h"

#include "platform/UiServices.h"
#include "platform/WinApp.h"

CFileDialog::CFileDialog(DWORD flags, const wchar_t* filter) : m_flags(flags), m_filter(filter) {
    // The platform takes the filter as strings separated and ended by zeros.
    for (wchar_t& c : m_filter) {
        if (c == L'|') c = L'\0';
    }
}

INT_PTR CFileDialog::DoModal() {
    CString path(32768, L'\0');  // room for the longest path there is
    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    if (AfxGetApp() && AfxGetApp()->m_pMainWnd) request.hwndOwner = AfxGetApp()->m_pMainWnd->m_hWnd;
    request.lpstrFilter = m_filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = path.data();
    request.nMaxFile = static_cast<DWORD>(path.size());
    request.Flags = m_flags | OFN_EXPLORER;
    if (!Ui().ChooseOpenFile(request)) return IDCANCEL;

    path.resize(path.find(L'\0'));
    m_pathName = path;
    m_fileName = FileNameOf(path);
    return IDOK;
}
