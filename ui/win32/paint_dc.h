#pragma once
// CPaintDC: the paint context of one WM_PAINT, from BeginPaint to EndPaint.

#include "wnd.h"

#include <cassert>

namespace win32 {

class CPaintDC {
public:
    explicit CPaintDC(const CWnd& window) : m_hWnd(window.GetSafeHwnd()) {
        assert(::IsWindow(m_hWnd) && "painting without a window");
        m_hDC = ::BeginPaint(m_hWnd, &m_ps);
    }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }

    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon) const { return ::DrawIcon(m_hDC, x, y, icon); }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_hDC = nullptr;
};

} // namespace win32
