// Painting of one WM_PAINT, begun on construction and ended on destruction.
#pragma once

#include "platform/Wnd.h"

class CPaintDC {
  public:
    explicit CPaintDC(CWnd* window) : window_(window->m_hWnd) {
        m_hDC = ::BeginPaint(window_, &m_ps);
    }
    ~CPaintDC() { ::EndPaint(window_, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }

  private:
    HWND window_;
    PAINTSTRUCT m_ps{};
    HDC m_hDC = nullptr;
};
