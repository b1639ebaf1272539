#pragma once
// CToolTipCtrl: the tool-tip window of a dialog. The dialog relays its mouse
// messages to it (RelayEvent); the tips are its controls' windows.

#include "wnd.h"

namespace win32 {

class CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl() = default;
    CToolTipCtrl(const CToolTipCtrl&) = delete;
    CToolTipCtrl& operator=(const CToolTipCtrl&) = delete;
    // The window belongs to the dialog, which destroys it with itself; the
    // wrapper then forgets its handle, which the system may give to another
    // window. A tool tip that outlives its dialog is destroyed here.
    ~CToolTipCtrl() {
        if (m_hWnd != nullptr) {
            ::DestroyWindow(m_hWnd);
        }
    }

    BOOL Create(const CWnd& parent, DWORD style = 0) {
        if (m_hWnd != nullptr) {
            return FALSE;
        }
        m_hWnd =
            ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent.GetSafeHwnd(),
                              nullptr, ::GetModuleHandleA(nullptr), nullptr);
        if (m_hWnd != nullptr &&
            !::SetWindowSubclass(m_hWnd, &ForgetOnDestroy, 0, reinterpret_cast<DWORD_PTR>(this))) {
            // A window whose end the wrapper would not see is not kept.
            ::DestroyWindow(m_hWnd);
            m_hWnd = nullptr;
        }
        return m_hWnd != nullptr;
    }

    void Activate(BOOL activate) const { SendMsg(TTM_ACTIVATE, static_cast<WPARAM>(activate)); }

    // Registers the whole of window as a tool whose text is the program's
    // string resource textId.
    BOOL AddTool(const CWnd& window, UINT textId) const {
        TTTOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.uFlags = TTF_IDISHWND;
        info.hwnd = ::GetParent(window.GetSafeHwnd());
        info.uId = reinterpret_cast<UINT_PTR>(window.GetSafeHwnd());
        info.hinst = ::GetModuleHandleA(nullptr);
        info.lpszText = MAKEINTRESOURCEA(textId);
        return static_cast<BOOL>(SendMsg(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
    }

    void RelayEvent(MSG* message) const {
        SendMsg(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(message));
    }

private:
    static LRESULT CALLBACK ForgetOnDestroy(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR self) {
        if (message == WM_NCDESTROY) {
            auto* toolTip =
                reinterpret_cast<CToolTipCtrl*>(self); // NOLINT(performance-no-int-to-ptr)
            toolTip->m_hWnd = nullptr;
            ::RemoveWindowSubclass(hWnd, &ForgetOnDestroy, id);
        }
        return ::DefSubclassProc(hWnd, message, wParam, lParam);
    }
};

} // namespace win32
