#pragma once
// CWnd: a window handle with the operations the dialogs call on their
// windows. It owns nothing: the window belongs to whoever created it.

#include "win32.h"

#include <cassert>
#include <string>

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}

    HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach() {
        HWND hWnd = m_hWnd;
        m_hWnd = nullptr;
        return hWnd;
    }

    // Sent to no window, a message answers 0, which reads as a valid result
    // (index 0, unchecked): a debug build stops there instead, as it does in
    // every operation below on a window that does not exist.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        AssertHasWindow();
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }

    // Code page bytes of the window text, as the system's ANSI functions give them.
    std::string GetWindowText() const {
        AssertHasWindow();
        std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(m_hWnd)) + 1, '\0');
        const int length = ::GetWindowTextA(m_hWnd, text.data(), static_cast<int>(text.size()));
        text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
        return text;
    }
    void SetWindowText(const std::string& text) const {
        AssertHasWindow();
        ::SetWindowTextA(m_hWnd, text.c_str());
    }

    int GetDlgCtrlID() const {
        AssertHasWindow();
        return ::GetDlgCtrlID(m_hWnd);
    }
    CWnd GetWindow(UINT command) const {
        AssertHasWindow();
        return CWnd(::GetWindow(m_hWnd, command));
    }
    CWnd GetDlgItem(int id) const {
        AssertHasWindow();
        return CWnd(::GetDlgItem(m_hWnd, id));
    }
    HMENU GetSystemMenu(BOOL revert) const {
        AssertHasWindow();
        return ::GetSystemMenu(m_hWnd, revert);
    }

    BOOL EnableWindow(BOOL enable) const {
        AssertHasWindow();
        return ::EnableWindow(m_hWnd, enable);
    }
    BOOL IsWindowEnabled() const {
        AssertHasWindow();
        return ::IsWindowEnabled(m_hWnd);
    }
    CWnd SetFocus() const {
        AssertHasWindow();
        return CWnd(::SetFocus(m_hWnd));
    }
    BOOL ShowWindow(int command) const {
        AssertHasWindow();
        return ::ShowWindow(m_hWnd, command);
    }
    BOOL IsIconic() const {
        AssertHasWindow();
        return ::IsIconic(m_hWnd);
    }
    void GetClientRect(RECT* rect) const {
        AssertHasWindow();
        ::GetClientRect(m_hWnd, rect);
    }
    void GetWindowRect(RECT* rect) const {
        AssertHasWindow();
        ::GetWindowRect(m_hWnd, rect);
    }
    LONG_PTR GetStyle() const {
        AssertHasWindow();
        return ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    }
    HICON SetIcon(HICON icon, BOOL bigIcon) const {
        // The previous icon comes back as the message's result.
        return reinterpret_cast<HICON>( // NOLINT(performance-no-int-to-ptr)
            SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                        reinterpret_cast<LPARAM>(icon)));
    }

protected:
    // Also a handle whose window is gone: the system may have given it to
    // another window meanwhile.
    void AssertHasWindow() const {
        assert(::IsWindow(m_hWnd) && "a wrapper used without its window");
    }

    HWND m_hWnd = nullptr;
};
