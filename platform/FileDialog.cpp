#include "platform/FileDialog.h"

#include <commdlg.h>

#include <vector>

#include "platform/Text.h"
#include "platform/UiServices.h"
#include "platform/WinApp.h"

CFileDialog::CFileDialog(BOOL, const char* defaultExtension, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_defaultExtension(Utf8ToWide(defaultExtension)),
      m_initialName(Utf8ToWide(fileName)),
      m_filter(Utf8ToWide(filter)),
      m_flags(flags),
      m_pParentWnd(parent) {
    // The platform takes the filter as strings separated and ended by zeros.
    for (wchar_t& c : m_filter) {
        if (c == L'|') c = L'\0';
    }
}

INT_PTR CFileDialog::DoModal() {
    // Room for the longest path the platform names.
    std::vector<wchar_t> path(32768, L'\0');
    m_initialName.copy(path.data(), path.size() - 1);

    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    if (m_pParentWnd) {
        request.hwndOwner = m_pParentWnd->m_hWnd;
    } else if (AfxGetApp() && AfxGetApp()->m_pMainWnd) {
        request.hwndOwner = AfxGetApp()->m_pMainWnd->m_hWnd;
    }
    request.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = path.data();
    request.nMaxFile = static_cast<DWORD>(path.size());
    request.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
    request.Flags = m_flags | OFN_EXPLORER;

    if (!Ui().ChooseOpenFile(request)) return IDCANCEL;

    const std::wstring chosen(path.data());
    m_pathName = WideToAnsi(chosen);
    const size_t slash = chosen.find_last_of(L"\\/");
    m_fileName = WideToAnsi(slash == std::wstring::npos ? chosen : chosen.substr(slash + 1));
    return IDOK;
}
