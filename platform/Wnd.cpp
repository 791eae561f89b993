#include "platform/Wnd.h"

#include <vector>

#include "platform/Text.h"
#include "platform/UiServices.h"
#include "platform/WinApp.h"

void CWnd::SetWindowTextA(const char* text) {
    ::SetWindowTextA(m_hWnd, text ? text : "");
}

void CWnd::SetWindowTextW(const wchar_t* text) {
    ::SetWindowTextW(m_hWnd, text ? text : L"");
}

int CWnd::GetWindowTextA(CString& text) const {
    const int length = ::GetWindowTextLengthA(m_hWnd);
    std::vector<char> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
    text = CString(std::string(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0)));
    return text.GetLength();
}

BOOL CWnd::EnableWindow(BOOL enable) {
    return ::EnableWindow(m_hWnd, enable);
}

BOOL CWnd::IsWindowEnabled() const {
    return ::IsWindowEnabled(m_hWnd);
}

LRESULT CWnd::SendMessageA(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}

void CWnd::GetClientRect(RECT* rect) const {
    ::GetClientRect(m_hWnd, rect);
}

int CWnd::MessageBoxA(const char* text, const char* caption, UINT type) {
    const std::wstring shownCaption = caption ? Utf8ToWide(caption) : AfxGetAppName();
    return Ui().ShowMessage(m_hWnd, Utf8ToWide(text), shownCaption, type);
}

LRESULT CWnd::Default() {
    if (!m_superProc)
        return ::DefWindowProcA(m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
    return ::CallWindowProcA(m_superProc, m_hWnd, m_current.message, m_current.wParam,
                             m_current.lParam);
}

bool CWnd::OnBuiltInMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage outer = m_current;
    m_current = {message, wParam, lParam};
    LRESULT result = 0;
    bool handled = false;

    const MessageMap map = GetMessageMap();
    for (size_t i = 0; i < map.count && !handled; ++i) {
        const MessageMapEntry& entry = map.entries[i];
        if (entry.message != message) continue;
        if (message == WM_COMMAND &&
            (entry.controlId != LOWORD(wParam) || entry.notifyCode != HIWORD(wParam))) {
            continue;
        }
        result = entry.invoke(*this, wParam, lParam);
        handled = true;
    }
    if (!handled) handled = OnBuiltInMessage(message, wParam, lParam, result);
    if (!handled) result = Default();

    m_current = outer;
    return result;
}
