#pragma once
// CDialog: a modal dialog built from a dialog template of the program's
// resources. DoModal runs a message loop of its own, so every message passes
// PreTranslateMessage before it is dispatched. Messages reach the derived
// class's handlers through its message map (GetMessageMap).

#include "message_map.h"
#include "wnd.h"

#include <span>
#include <vector>

namespace win32 {

class CDialog;

// What DoDataExchange works with: the dialog, and the direction of the
// exchange (TRUE: controls to members).
struct CDataExchange {
    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Binds control to the dialog item id (once; later exchanges keep it). The
// control forgets the item's handle when the dialog's window is destroyed.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* pParentWnd = nullptr);
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    virtual ~CDialog();

    // Creates the dialog, disables its owner and runs the modal loop until
    // EndDialog; returns the end code, or -1 when the dialog cannot be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    // Runs DoDataExchange in the given direction.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Keyboard navigation of the dialog: IsDialogMessage for keyboard and mouse input.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // The application's wait cursor, for the length of a command.
    void BeginWaitCursor() const;
    void EndWaitCursor() const;

    // The framework's own tool tips ask the dialog for a text per control; the
    // dialogs of this program answer none (their tips come from a
    // CToolTipCtrl that carries its texts), so switching them on shows nothing
    // and needs no window of its own.
    BOOL EnableToolTips(BOOL /*enable*/) { return TRUE; }

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual std::span<const MessageMapEntry> GetMessageMap() const { return {}; }

    // The default handling of WM_SYSCOMMAND and WM_PAINT.
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();

    // Called by a message handler: the message it handles goes on to the
    // system's dialog processing, as if the message map had no row for it.
    void LeaveToDefault() { m_bLeftToDefault = true; }

private:
    friend void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The steps of DialogProc: WM_INITDIALOG (binds hWnd, runs OnInitDialog,
    // centres an unmoved dialog), WM_NCDESTROY (lets go of the window and its
    // controls), and every other message (the answer DialogProc returns).
    BOOL InitialiseWindow(HWND hWnd);
    void ForgetWindow();
    INT_PTR AnswerMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Handles message; false leaves it to the system's dialog procedure.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool RouteCommand(WPARAM wParam, LPARAM lParam);
    HWND GetModalOwner() const;
    void CenterWindow();
    void RunModalLoop();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    bool m_bContinueModal = false;
    int m_nModalResult = -1;
    bool m_bLeftToDefault = false;
    // The controls DDX_Control bound to items of the window.
    std::vector<CWnd*> m_boundControls;
};

} // namespace win32
