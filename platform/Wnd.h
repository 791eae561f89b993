// A non-owning view of a window, with the calls through which the dialogs read and set their
// controls and report to the user, and the message maps that route messages to handlers.
#pragma once

#include <windows.h>

#include "platform/CString.h"

struct CPoint : POINT {
    CPoint(int px, int py) : POINT{px, py} {}
};

class CWnd;

// One row of a message map: a window message, or (for WM_COMMAND) a control's notification.
struct MessageMapEntry {
    UINT message;
    UINT notifyCode;
    UINT controlId;
    // Runs the handler; false when it leaves the message to default processing.
    bool (*invoke)(CWnd& window, WPARAM wParam, LPARAM lParam, INT_PTR& result);
};

struct MessageMap {
    const MessageMapEntry* entries;
    size_t count;
};

class CWnd {
  public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    HWND m_hWnd = nullptr;

    void SetWindowTextW(const CString& text);
    CString GetWindowTextW() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    LRESULT SendMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    // A modal box owned by this window; without a caption it bears the application's name.
    int MessageBoxW(const CString& text, const wchar_t* caption = nullptr, UINT type = MB_OK);
    // Lets files dropped from Explorer reach this window also when it runs elevated, where Windows
    // holds back messages from processes of a lower integrity level.
    void AcceptDropsWhenElevated();

  protected:
    virtual MessageMap GetMessageMap() const { return {nullptr, 0}; }
    // Runs the map's handler for the message; false when there is none or it declines.
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
};

// Lets the thread's windows paint while a long operation runs on it; takes no other input.
void PumpPaintMessages();

// Message map rows bound to member handlers. A handler that returns bool says whether it handled
// the message; any other handler always does.
namespace message_map {

template <class M>
struct MemberOf;
template <class C, class F>
struct MemberOf<F C::*> {
    using type = C;
};

template <class T>
bool Call(T& t, void (T::*handler)(), WPARAM, LPARAM, INT_PTR&) {
    (t.*handler)();
    return true;
}
template <class T>
bool Call(T& t, bool (T::*handler)(), WPARAM, LPARAM, INT_PTR&) {
    return (t.*handler)();
}
template <class T>
bool Call(T& t, bool (T::*handler)(UINT, LPARAM), WPARAM wParam, LPARAM lParam, INT_PTR&) {
    return (t.*handler)(static_cast<UINT>(wParam), lParam);
}
template <class T>
bool Call(T& t, void (T::*handler)(HDROP), WPARAM wParam, LPARAM, INT_PTR&) {
    (t.*handler)(reinterpret_cast<HDROP>(wParam));
    return true;
}
template <class T>
bool Call(T& t, HCURSOR (T::*handler)(), WPARAM, LPARAM, INT_PTR& result) {
    result = reinterpret_cast<INT_PTR>((t.*handler)());
    return true;
}
template <class T>
bool Call(T& t, void (T::*handler)(UINT, CPoint), WPARAM wParam, LPARAM lParam, INT_PTR&) {
    (t.*handler)(static_cast<UINT>(wParam),
                 CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
    return true;
}

template <auto Handler>
bool Invoke(CWnd& window, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    using T = typename MemberOf<decltype(Handler)>::type;
    return Call(static_cast<T&>(window), Handler, wParam, lParam, result);
}

}  // namespace message_map

template <auto Handler>
constexpr MessageMapEntry OnMessage(UINT message) {
    return {message, 0, 0, &message_map::Invoke<Handler>};
}

template <auto Handler>
constexpr MessageMapEntry OnClicked(UINT controlId) {
    return {WM_COMMAND, BN_CLICKED, controlId, &message_map::Invoke<Handler>};
}

template <size_t N>
constexpr MessageMap MakeMessageMap(const MessageMapEntry (&entries)[N]) {
    return {entries, N};
}
