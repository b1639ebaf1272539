#pragma once
// CWnd: a window handle with the operations the dialogs call on their
// windows. It owns nothing: the window belongs to whoever created it.

#include "win32.h"

#include <cassert>
#include <string>

namespace win32 {

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
    LRESULT SendMsg(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(Window(), message, wParam, lParam);
    }

    // Code page bytes of the window text, as the system's ANSI functions give them.
    std::string GetText() const {
        std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(Window())) + 1, '\0');
        const int length = ::GetWindowTextA(m_hWnd, text.data(), static_cast<int>(text.size()));
        text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
        return text;
    }
    void SetText(const std::string& text) const { ::SetWindowTextA(Window(), text.c_str()); }

    int GetDlgCtrlID() const { return ::GetDlgCtrlID(Window()); }
    CWnd GetWindow(UINT command) const { return CWnd(::GetWindow(Window(), command)); }
    CWnd GetDlgItem(int id) const { return CWnd(::GetDlgItem(Window(), id)); }
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(Window(), revert); }

    BOOL EnableWindow(BOOL enable) const { return ::EnableWindow(Window(), enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(Window()); }
    CWnd SetFocus() const { return CWnd(::SetFocus(Window())); }
    BOOL ShowWindow(int command) const { return ::ShowWindow(Window(), command); }
    BOOL IsIconic() const { return ::IsIconic(Window()); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(Window(), rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(Window(), rect); }
    LONG_PTR GetStyle() const { return ::GetWindowLongPtrA(Window(), GWL_STYLE); }
    // Files dropped on the window (or on a child that does not accept them)
    // arrive as WM_DROPFILES.
    void DragAcceptFiles(BOOL accept = TRUE) const { ::DragAcceptFiles(Window(), accept); }
    HICON SetIcon(HICON icon, BOOL bigIcon) const {
        // The previous icon comes back as the message's result.
        return reinterpret_cast<HICON>( // NOLINT(performance-no-int-to-ptr)
            SendMsg(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }

protected:
    // The handle, for an operation on the window; a debug build stops when
    // there is no window, also when the handle's window is gone (the system
    // may have given the handle to another window meanwhile).
    HWND Window() const {
        assert(::IsWindow(m_hWnd) && "a wrapper used without its window");
        return m_hWnd;
    }

    HWND m_hWnd = nullptr;
};

} // namespace win32
