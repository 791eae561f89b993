// A non-owning view of a window, with the calls through which the dialogs read and set their
// controls and report to the user.
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
    LRESULT (*invoke)(CWnd& window, WPARAM wParam, LPARAM lParam);
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

    // Narrow text in the ANSI code page: the values of the target shown in the controls.
    void SetWindowTextA(const char* text);
    // The program's own texts, which the ANSI code page may lack.
    void SetWindowTextW(const wchar_t* text);
    int GetWindowTextA(CString& text) const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    LRESULT SendMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    // A modal box owned by this window. Text and caption are the program's own texts (UTF-8);
    // no caption shows the application's name.
    int MessageBoxA(const char* text, const char* caption = nullptr, UINT type = MB_OK);

    // Default processing of the message being handled.
    LRESULT Default();

  protected:
    // Handlers that this window class adds; consulted before the built-in routing.
    virtual MessageMap GetMessageMap() const { return {nullptr, 0}; }
    // Routes one message: the message map first, then the window's own procedure.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // The built-in routing for messages that the map does not name.
    virtual bool OnBuiltInMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    WNDPROC m_superProc = nullptr;

  private:
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage m_current{};
};

// Message map rows bound to member handlers of the window class T.
namespace message_map {

template <class M>
struct MemberOf;
template <class C, class F>
struct MemberOf<F C::*> {
    using type = C;
};

template <class T>
LRESULT Call(T& t, void (T::*handler)(), WPARAM, LPARAM) {
    (t.*handler)();
    return 0;
}
template <class T>
LRESULT Call(T& t, void (T::*handler)(UINT, LPARAM), WPARAM wParam, LPARAM lParam) {
    (t.*handler)(static_cast<UINT>(wParam), lParam);
    return 0;
}
template <class T>
LRESULT Call(T& t, void (T::*handler)(HDROP), WPARAM wParam, LPARAM) {
    (t.*handler)(reinterpret_cast<HDROP>(wParam));
    return 0;
}
template <class T>
LRESULT Call(T& t, HCURSOR (T::*handler)(), WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((t.*handler)());
}
template <class T>
LRESULT Call(T& t, void (T::*handler)(UINT, CPoint), WPARAM wParam, LPARAM lParam) {
    (t.*handler)(static_cast<UINT>(wParam),
                 CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
    return 0;
}

template <auto Handler>
LRESULT Invoke(CWnd& window, WPARAM wParam, LPARAM lParam) {
    using T = typename MemberOf<decltype(Handler)>::type;
    return Call(static_cast<T&>(window), Handler, wParam, lParam);
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
