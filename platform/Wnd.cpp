#include "platform/Wnd.h"

#include "platform/SystemDll.h"
#include "platform/UiServices.h"
#include "platform/WinApp.h"

void CWnd::SetWindowTextW(const CString& text) {
    ::SetWindowTextW(m_hWnd, text.c_str());
}

CString CWnd::GetWindowTextW() const {
    CString text(::GetWindowTextLengthW(m_hWnd), L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size() + 1));
    text.resize(copied > 0 ? copied : 0);
    return text;
}

BOOL CWnd::EnableWindow(BOOL enable) {
    return ::EnableWindow(m_hWnd, enable);
}

LRESULT CWnd::SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}

void CWnd::GetClientRect(RECT* rect) const {
    ::GetClientRect(m_hWnd, rect);
}

int CWnd::MessageBoxW(const CString& text, const wchar_t* caption, UINT type) {
    return Ui().ShowMessage(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

void CWnd::AcceptDropsWhenElevated() {
    // Not before Windows 7; there the drop is simply not let through.
    const auto allow = SystemFunction<decltype(&ChangeWindowMessageFilterEx)>(
        L"user32.dll", "ChangeWindowMessageFilterEx", false);
    if (!allow) return;
    constexpr UINT kCopyGlobalData = 0x0049;  // WM_COPYGLOBALDATA, which carries the drop's data
    for (const UINT message : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, kCopyGlobalData})
        allow(m_hWnd, message, MSGFLT_ALLOW, nullptr);
}

bool CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    const MessageMap map = GetMessageMap();
    for (size_t i = 0; i < map.count; ++i) {
        const MessageMapEntry& entry = map.entries[i];
        if (entry.message != message) continue;
        if (message == WM_COMMAND &&
            (entry.controlId != LOWORD(wParam) || entry.notifyCode != HIWORD(wParam))) {
            continue;
        }
        return entry.invoke(*this, wParam, lParam, result);
    }
    return false;
}

void PumpPaintMessages() {
    // Bounded: a window whose painting leaves it invalid would come back for ever.
    MSG message;
    for (int i = 0; i < 64 && ::PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE);
         ++i) {
        ::DispatchMessageW(&message);
    }
}
