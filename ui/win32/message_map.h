#pragma once
// Message maps: tables that route a window's messages and commands to member
// functions of the class that declares the table. A row is made by one of
// the functions below from the handler's member pointer, e.g.
//   OnBnClicked<&CMyDlg::OnBnClickedStart>(IDC_START)

#include "win32.h"

namespace win32 {

class CDialog;
class CWinApp;

// A row of a dialog's message map. A WM_COMMAND row names the notification
// code and the control ID it handles; any other row handles its message. The
// handler returns the message's result.
struct MessageMapEntry {
    UINT message;
    UINT code;
    UINT id;
    LRESULT (*handler)(CDialog& dialog, WPARAM wParam, LPARAM lParam);
};

// A row of the application's command map.
struct CommandMapEntry {
    UINT id;
    void (*handler)(CWinApp& app);
};

namespace message_map_detail {
template <class Member> struct ClassOf;
template <class Class, class Result, class... Args> struct ClassOf<Result (Class::*)(Args...)> {
    using Type = Class;
};
template <auto Handler> using Owner = typename ClassOf<decltype(Handler)>::Type;

template <auto Handler> constexpr MessageMapEntry Notification(UINT code, UINT id) {
    return {WM_COMMAND, code, id, [](CDialog& dialog, WPARAM, LPARAM) -> LRESULT {
                (static_cast<Owner<Handler>&>(dialog).*Handler)();
                return 0;
            }};
}
} // namespace message_map_detail

// BN_CLICKED of button id: void Handler().
template <auto Handler> constexpr MessageMapEntry OnBnClicked(UINT id) {
    return message_map_detail::Notification<Handler>(BN_CLICKED, id);
}

// CBN_SELCHANGE of combo box id: void Handler().
template <auto Handler> constexpr MessageMapEntry OnCbnSelchange(UINT id) {
    return message_map_detail::Notification<Handler>(CBN_SELCHANGE, id);
}

// WM_SYSCOMMAND: void Handler(UINT id, LPARAM lParam).
template <auto Handler> constexpr MessageMapEntry OnWmSysCommand() {
    return {WM_SYSCOMMAND, 0, 0, [](CDialog& dialog, WPARAM wParam, LPARAM lParam) -> LRESULT {
                using Dialog = message_map_detail::Owner<Handler>;
                (static_cast<Dialog&>(dialog).*Handler)(static_cast<UINT>(wParam), lParam);
                return 0;
            }};
}

// WM_PAINT: void Handler().
template <auto Handler> constexpr MessageMapEntry OnWmPaint() {
    return {WM_PAINT, 0, 0, [](CDialog& dialog, WPARAM, LPARAM) -> LRESULT {
                (static_cast<message_map_detail::Owner<Handler>&>(dialog).*Handler)();
                return 0;
            }};
}

// WM_QUERYDRAGICON: HCURSOR Handler().
template <auto Handler> constexpr MessageMapEntry OnWmQueryDragIcon() {
    return {WM_QUERYDRAGICON, 0, 0, [](CDialog& dialog, WPARAM, LPARAM) -> LRESULT {
                using Dialog = message_map_detail::Owner<Handler>;
                return reinterpret_cast<LRESULT>((static_cast<Dialog&>(dialog).*Handler)());
            }};
}

// WM_DROPFILES, files dropped on a window that accepts them
// (CWnd::DragAcceptFiles): void Handler(HDROP drop). The drop is released
// (DragFinish) when the handler returns.
template <auto Handler> constexpr MessageMapEntry OnWmDropFiles() {
    return {WM_DROPFILES, 0, 0, [](CDialog& dialog, WPARAM wParam, LPARAM) -> LRESULT {
                using Dialog = message_map_detail::Owner<Handler>;
                const auto drop =
                    reinterpret_cast<HDROP>(wParam); // NOLINT(performance-no-int-to-ptr)
                const struct Finish {
                    HDROP drop;
                    ~Finish() { ::DragFinish(drop); }
                } finish{drop};
                (static_cast<Dialog&>(dialog).*Handler)(drop);
                return 0;
            }};
}

// Command id of the application: void Handler().
template <auto Handler> constexpr CommandMapEntry OnCommand(UINT id) {
    return {id, [](CWinApp& app) {
                (static_cast<message_map_detail::Owner<Handler>&>(app).*Handler)();
            }};
}

} // namespace win32
