#pragma once
// CToolTipCtrl: the tool-tip window of a dialog. The dialog relays its mouse
// messages to it (RelayEvent); the tips are its controls' windows.

#include "wnd.h"

class CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl() = default;
    CToolTipCtrl(const CToolTipCtrl&) = delete;
    CToolTipCtrl& operator=(const CToolTipCtrl&) = delete;
    // The dialog that owns the tool tip destroys it with itself; one that
    // outlives its dialog goes here.
    ~CToolTipCtrl() {
        if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
            ::DestroyWindow(m_hWnd);
        }
    }

    BOOL Create(const CWnd& parent, DWORD style = 0) {
        m_hWnd =
            ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent.GetSafeHwnd(),
                              nullptr, ::GetModuleHandleA(nullptr), nullptr);
        return m_hWnd != nullptr;
    }

    void Activate(BOOL activate) const { SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(activate)); }

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
        return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
    }

    void RelayEvent(MSG* message) const {
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(message));
    }
};
