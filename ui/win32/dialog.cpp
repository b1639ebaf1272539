#include "dialog.h"

#include "paint_dc.h"
#include "win_app.h"

#include <cassert>
#include <utility>

namespace win32 {

namespace {

// The application object, whose wait cursor the dialogs show.
CWinApp& App() {
    CWinApp* app = AfxGetApp();
    assert(app != nullptr && "a dialog used without the application object");
    return *app;
}

} // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.GetSafeHwnd() == nullptr) {
        control.Attach(pDX->m_pDlgWnd->GetDlgItem(id).GetSafeHwnd());
        assert(control.GetSafeHwnd() != nullptr && "no item of the dialog with this id");
        if (control.GetSafeHwnd() != nullptr) {
            pDX->m_pDlgWnd->m_boundControls.push_back(&control);
        }
    }
}

CDialog::CDialog(UINT templateId, CWnd* pParentWnd)
    : m_nIDTemplate(templateId), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    // DoModal destroys the window before it returns; destroyed now, it would
    // send its last messages to an object whose derived part is gone.
    assert(m_hWnd == nullptr && "a dialog object destroyed before its window");
    // Should a window be left (an error that left DoModal early), its
    // messages no longer reach this object.
    if (m_hWnd != nullptr) {
        ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    }
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
    }
}

INT_PTR CDialog::DoModal() {
    assert(m_hWnd == nullptr && "a dialog that runs already");
    const HINSTANCE instance = AfxGetResourceHandle();
    const HRSRC resource = ::FindResourceA(instance, MAKEINTRESOURCEA(m_nIDTemplate), RT_DIALOG);
    const HGLOBAL loaded = resource != nullptr ? ::LoadResource(instance, resource) : nullptr;
    const auto* dialogTemplate =
        loaded != nullptr ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
    if (dialogTemplate == nullptr) {
        return -1;
    }

    const HWND owner = GetModalOwner();
    const bool enableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (enableOwner) {
        ::EnableWindow(owner, FALSE);
    }

    m_bContinueModal = true;
    m_nModalResult = -1;
    const HWND created = ::CreateDialogIndirectParamA(instance, dialogTemplate, owner, &DialogProc,
                                                      reinterpret_cast<LPARAM>(this));
    if (created != nullptr && m_bContinueModal) {
        ShowWindow(SW_SHOWNORMAL);
        RunModalLoop();
    }

    if (m_hWnd != nullptr) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (enableOwner) {
        ::EnableWindow(owner, TRUE);
    }
    if (owner != nullptr && m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd) {
        ::SetActiveWindow(owner);
    }
    if (m_hWnd != nullptr) {
        ::DestroyWindow(m_hWnd);
    }
    return created != nullptr ? m_nModalResult : -1;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bContinueModal = false;
    // The loop may be asleep in GetMessage: a command that came as a sent
    // message (from another thread, from a hook) left nothing in the queue
    // to wake it.
    ::PostMessageA(Window(), WM_NULL, 0, 0);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange{this, saveAndValidate};
    DoDataExchange(&exchange);
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    const UINT message = pMsg->message;
    const bool input = (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
                       (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
    return input && ::IsDialogMessageA(m_hWnd, pMsg);
}

void CDialog::BeginWaitCursor() const {
    App().DoWaitCursor(1);
}

void CDialog::EndWaitCursor() const {
    App().DoWaitCursor(-1);
}

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

// Moving, closing and the other commands of the system menu are the
// system's dialog processing.
void CDialog::OnSysCommand(UINT /*id*/, LPARAM /*lParam*/) {
    LeaveToDefault();
}

void CDialog::OnPaint() {
    const CPaintDC paint(*this);
}

// The owner of a modal dialog: the top-level window of the parent, or else of
// the main window while it exists.
HWND CDialog::GetModalOwner() const {
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    if (owner == nullptr) {
        if (const CWnd* mainWnd = AfxGetMainWnd(); mainWnd != nullptr && mainWnd != this) {
            owner = mainWnd->GetSafeHwnd();
        }
    }
    if (owner == nullptr || !::IsWindow(owner)) {
        return nullptr;
    }
    return ::GetAncestor(owner, GA_ROOT);
}

// Centres the dialog on its owner when the owner is visible and not
// minimised, otherwise on the work area of its monitor.
void CDialog::CenterWindow() {
    RECT window;
    GetWindowRect(&window);
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;

    HWND center = ::GetWindow(m_hWnd, GW_OWNER);
    if (center != nullptr) {
        const LONG_PTR style = ::GetWindowLongPtrA(center, GWL_STYLE);
        if ((style & WS_VISIBLE) == 0 || (style & WS_MINIMIZE) != 0) {
            center = nullptr;
        }
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(
        ::MonitorFromWindow(center != nullptr ? center : m_hWnd, MONITOR_DEFAULTTOPRIMARY),
        &monitor);
    const RECT area = monitor.rcWork;
    RECT centerRect = area;
    if (center != nullptr) {
        ::GetWindowRect(center, &centerRect);
    }

    LONG left = (centerRect.left + centerRect.right) / 2 - width / 2;
    LONG top = (centerRect.top + centerRect.bottom) / 2 - height / 2;
    if (left + width > area.right) {
        left = area.right - width;
    }
    if (left < area.left) {
        left = area.left;
    }
    if (top + height > area.bottom) {
        top = area.bottom - height;
    }
    if (top < area.top) {
        top = area.top;
    }
    ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDialog::RunModalLoop() {
    MSG msg;
    while (m_bContinueModal) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            // WM_QUIT belongs to the outer loop: leave it in the queue for it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

// Commands that the message map does not name: IDOK and IDCANCEL end the
// dialog; anything else goes to the application's command map.
bool CDialog::RouteCommand(WPARAM wParam, LPARAM /*lParam*/) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (code != BN_CLICKED) {
        return false;
    }
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(id);
}

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    for (const MessageMapEntry& entry : GetMessageMap()) {
        if (entry.message != message) {
            continue;
        }
        if (message == WM_COMMAND && (entry.code != HIWORD(wParam) || entry.id != LOWORD(wParam))) {
            continue;
        }
        // A handler may run nested message loops, whose handlers of this
        // dialog keep their own answer.
        const bool outer = std::exchange(m_bLeftToDefault, false);
        result = entry.handler(*this, wParam, lParam);
        return !std::exchange(m_bLeftToDefault, outer);
    }

    switch (message) {
    case WM_COMMAND:
        return RouteCommand(wParam, lParam);
    case WM_HELP:
        // F1 or the caption's help button: the help command of the main window.
        if (CWnd* mainWnd = AfxGetMainWnd(); mainWnd != nullptr && ::GetKeyState(VK_SHIFT) >= 0 &&
                                             ::GetKeyState(VK_CONTROL) >= 0 &&
                                             ::GetKeyState(VK_MENU) >= 0) {
            mainWnd->SendMsg(WM_COMMAND, ID_HELP);
            result = TRUE;
            return true;
        }
        return false;
    case WM_SETCURSOR:
        if (App().IsWaitCursorOn()) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
            result = TRUE;
            return true;
        }
        return false;
    default:
        return false;
    }
}

BOOL CDialog::InitialiseWindow(HWND hWnd) {
    m_hWnd = hWnd;
    RECT before;
    GetWindowRect(&before);
    BOOL result = TRUE;
    try {
        result = OnInitDialog();
    } catch (...) {
        AfxReportCommandError();
    }
    // A dialog that its initialisation did not move, and that has no enabled
    // owner, opens centred.
    RECT after;
    GetWindowRect(&after);
    const HWND owner = ::GetWindow(hWnd, GW_OWNER);
    if ((GetStyle() & (WS_VISIBLE | WS_CHILD)) == 0 && before.left == after.left &&
        before.top == after.top && (owner == nullptr || !::IsWindowEnabled(owner))) {
        CenterWindow();
    }
    return result;
}

// The last message of the window; its controls have gone before it.
// Destroyed while its modal loop runs (by a handler, say), it ends the loop,
// which may be asleep in GetMessage.
void CDialog::ForgetWindow() {
    m_hWnd = nullptr;
    if (std::exchange(m_bContinueModal, false)) {
        ::PostMessageA(nullptr, WM_NULL, 0, 0);
    }
    for (CWnd* control : m_boundControls) {
        control->Detach();
    }
    m_boundControls.clear();
}

INT_PTR CDialog::AnswerMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    bool handled = true;
    try {
        handled = OnMessage(message, wParam, lParam, result);
    } catch (...) {
        // The command is over; the dialog goes on with the state it reached.
        AfxReportCommandError();
    }
    if (!handled) {
        return FALSE;
    }
    if (message == WM_QUERYDRAGICON) {
        return static_cast<INT_PTR>(result);
    }
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        // The dialog object, as DoModal passed it to CreateDialogIndirectParamA.
        auto* dialog = reinterpret_cast<CDialog*>(lParam); // NOLINT(performance-no-int-to-ptr)
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        return dialog->InitialiseWindow(hWnd);
    }
    auto* dialog = reinterpret_cast<CDialog*>( // NOLINT(performance-no-int-to-ptr)
        ::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (dialog == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        dialog->ForgetWindow();
        return FALSE;
    }
    return dialog->AnswerMessage(hWnd, message, wParam, lParam);
}

} // namespace win32
