#pragma once
// CWinApp: the one application object. The program's entry point (WinMain in
// win_app.cpp) limits the DLL search (dll_search.h), initialises COM for the
// user-interface thread, calls its InitInstance, runs a message loop when that
// returns TRUE, and ends with what its ExitInstance returns.

#include "message_map.h"
#include "wnd.h"

#include <exception>
#include <span>
#include <string>

namespace win32 {

// The framework's help command, sent to the main window on F1 or the caption's
// help button.
inline constexpr UINT ID_HELP = 0xE146;

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual BOOL InitInstance() { return TRUE; }
    // Called by the entry point once InitInstance has returned (after the
    // message loop when it returned TRUE); the result is the program's exit
    // code. This one returns 0.
    virtual int ExitInstance() { return 0; }
    // Runs the command's handler from the command map; false when it has none.
    bool OnCmdMsg(UINT id);

    // Help requests (ID_HELP) end here. The program ships no help file, so
    // there is nothing to open: a beep tells the user that F1 was heard.
    void OnHelp();

    // Counts nested wait requests: +1 shows the wait cursor, -1 restores the
    // cursor of before when the count reaches zero.
    void DoWaitCursor(int code);
    bool IsWaitCursorOn() const { return m_nWaitCursorCount > 0; }

    // Called once by the entry point before InitInstance: the instance, and
    // the title (string 0xE000, or the program file's name without extension).
    void SetUp(HINSTANCE hInstance);

    HINSTANCE m_hInstance = nullptr;
    // The title every message box carries.
    std::string m_strAppName;
    // The main window while it runs: the owner of message boxes and modal dialogs.
    CWnd* m_pMainWnd = nullptr;

protected:
    virtual std::span<const CommandMapEntry> GetCommandMap() const { return {}; }

private:
    int m_nWaitCursorCount = 0;
    HCURSOR m_hcurWaitCursorRestore = nullptr;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetResourceHandle();

// The program file's name without its folder and extension: the title when
// the program has no title string.
std::string AppTitleFromModulePath(const std::string& modulePath);

// The type AfxMessageBox shows for type: MB_OK and MB_OKCANCEL without an
// icon get the exclamation icon, MB_YESNO and MB_YESNOCANCEL the question mark.
UINT AfxMessageBoxType(UINT type);

// The message box of the program: captioned with the application title and
// owned by the main window while it exists; MB_OK and MB_OKCANCEL without an
// icon get the exclamation icon. Returns the button that closed it.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
inline int AfxMessageBox(const std::string& text, UINT type = MB_OK, UINT helpId = 0) {
    return AfxMessageBox(text.c_str(), type, helpId);
}

// What the error report shows for an exception; text lives as long as error.
struct CommandErrorReport {
    const char* text;
    UINT type;
};
CommandErrorReport DescribeCommandError(const std::exception_ptr& error) noexcept;

// Reports the exception being handled (call it inside a catch block): its
// what() text with the stop icon, "Internal application error." when it has
// none; running out of memory with the exclamation icon, system-modal.
void AfxReportCommandError() noexcept;

} // namespace win32
