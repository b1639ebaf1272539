// Driving a Windows program from another process, as a person at the screen would: start it in a
// folder of its own, find its windows and controls, read and type texts, press buttons, answer
// message boxes and file dialogs, and wait for all of it with timeouts.
//
// Texts are UTF-16 on this side. Files hold code page 1250 bytes; Ansi()/Wide() convert.
//
// What works under Wine 8 (Xvfb, no window manager), as found while writing this:
// - A message box's icon kind cannot be told from its handle (shared icons have other handles in
//   every process, GetIconInfo on a foreign icon fails). The static's pixels are captured from
//   the screen and compared with IDI_* icons drawn here on the same background: exact enough to
//   tell exclamation, stop, information and question apart.
// - GetGuiResources and GetProcessHandleCount answer 0 for another process, and so does
//   PROCESS_MEMORY_COUNTERS_EX::PrivateUsage; PagefileUsage carries the commit charge. GDI
//   objects are counted in the process's GDI handle table (read with ReadProcessMemory); the
//   windows of the process stand in for its USER objects.
// - Mouse input through SendInput reaches the window under the pointer in any process. A tool
//   tip shows only while its dialog is the active window, and every relayed WM_MOUSEMOVE inside
//   the tool restarts its delay: the pointer has to come to rest over the control.
// - Keys through SendInput go to the focus of the foreground window; a freshly started dialog is
//   not always the foreground one, so a scenario clicks into it first (Velmora::Activate).
// - Messages sent to a disabled control still work on it (WM_CHAR types into a disabled edit):
//   what a disabled control refuses can only be shown with real input.
// - The Explorer-style file dialog lists its folder every time it opens, slower with every file
//   there; its first uses make a one-off allocation of about 1.4 MB in the program.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous; every wait polls and returns as soon as it can. The slowest waits (a program's main
// dialog, a file dialog) take under a second with both cores busy, about five times as long
// where Wine runs through qemu-i386.
inline constexpr std::chrono::milliseconds kTimeout = 20s;

// A timeout or a broken expectation of the driver itself; GoogleTest reports it as a failure.
class DriverError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string Ansi(std::wstring_view text);  // UTF-16 -> code page 1250 bytes
std::wstring Wide(std::string_view bytes); // code page 1250 bytes -> UTF-16
std::string Utf8(std::wstring_view text);  // for failure messages

// A Unix path ("/work/x") becomes the Wine drive path "Z:\work\x"; a Windows path stays.
std::wstring WindowsPath(std::string_view path);

// Polls `ready` every few milliseconds until it returns true; false after `timeout`.
bool PollUntil(const std::function<bool()>& ready, std::chrono::milliseconds timeout);

// Like PollUntil, but throws DriverError naming `what` after `timeout`.
void WaitUntil(const std::function<bool()>& ready, std::string_view what,
               std::chrono::milliseconds timeout = kTimeout);

// Like WaitUntil, for a value that appears: returns it as soon as `probe` yields one.
template <class T>
T WaitFor(const std::function<std::optional<T>()>& probe, std::string_view what,
          std::chrono::milliseconds timeout = kTimeout) {
    std::optional<T> value;
    WaitUntil([&] { return (value = probe()).has_value(); }, what, timeout);
    return *value;
}

// ---- Files ----------------------------------------------------------------------------------

void WriteBytes(const std::wstring& path, std::string_view bytes);
// The whole file, opened with full sharing; nothing when it cannot be opened (for example when
// another program holds it without sharing).
std::optional<std::string> ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);

// A fresh folder under the temporary folder, removed with everything in it on destruction.
class TempFolder {
public:
    explicit TempFolder(std::wstring_view label);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // The folder's path ending in a backslash.
    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(std::wstring_view name) const { return m_path + std::wstring(name); }
    std::wstring Subfolder(std::wstring_view name) const; // created; path ends in a backslash

private:
    std::wstring m_path;
};

// Holds a file open without sharing, as another program might.
class HeldFile {
public:
    explicit HeldFile(const std::wstring& path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    HANDLE m_handle;
};

// ---- Windows --------------------------------------------------------------------------------

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window); // WM_GETTEXT
bool IsAlive(HWND window);
// The window with the keyboard focus in the GUI thread that owns `window`.
HWND FocusOfThread(HWND window);
// The direct child with this control ID, or null.
HWND Child(HWND parent, int id);
// Direct child windows in Z order (the template order of a dialog).
std::vector<HWND> Children(HWND parent);

// Texts of a combo box's list, in index order (CB_GETLBTEXT).
std::vector<std::wstring> ComboItems(HWND combo);
int ComboSelection(HWND combo); // CB_GETCURSEL, -1 for none

// What a person does to a control.
void Click(HWND button);        // BM_CLICK, waits for the handler to finish
void ClickAndGoOn(HWND button); // BM_CLICK posted: for a button that opens a modal window
void TypeText(HWND edit, std::wstring_view text);    // WM_CHAR per character, appended at the caret
void ReplaceText(HWND edit, std::wstring_view text); // select all, then type
void SelectComboItem(HWND combo, int index);         // CB_SETCURSEL + CBN_SELCHANGE to the parent
// Keys through the system's input queue to the window with the focus of the active window.
void PressKey(WORD virtualKey);
// Moves the real mouse pointer to the centre of `window` (shifted by `nudge` pixels).
void MovePointerOver(HWND window, int nudge = 0);
// A left click of the real mouse at the centre of `window`.
void ClickWithMouse(HWND window);
// A left click of the real mouse at a point of the screen.
void ClickAt(POINT point);
// Clicks the real mouse at `point` until `done` holds, again every few seconds: for a click that
// does no harm when repeated, since Xvfb without a window manager now and then drops one.
void ClickUntil(POINT point, const std::function<bool()>& done, std::string_view what);
POINT CentreOf(HWND window); // of its window rectangle, in screen coordinates

// ---- Message boxes --------------------------------------------------------------------------

enum class Icon { None, Exclamation, Stop, Information, Question, Unknown };
std::string_view NameOf(Icon icon);

struct MessageBoxInfo {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    Icon icon = Icon::Unknown;
    std::vector<int> buttons; // IDs of the buttons present, ascending (IDOK 1, IDCANCEL 2, ...)
};

// Reads a message box window (a #32770 with the text static 0xFFFF). The icon is told by its
// pixels on screen: handles of shared icons differ between processes, so the static's picture is
// captured and compared with the system icons drawn here on the same background.
MessageBoxInfo ReadMessageBox(HWND box, bool readIcon = true);
Icon IconOfStatic(HWND iconStatic);

// ---- A started program ----------------------------------------------------------------------

class Program {
public:
    // Starts `exe` with `folder` as its current directory.
    Program(const std::wstring& exe, const std::wstring& folder);
    // A program still running is killed: a failed scenario leaves nothing behind.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD Id() const { return m_info.dwProcessId; }
    HANDLE Handle() const { return m_info.hProcess; }
    bool Running() const;
    // Waits for the process to end; false on timeout.
    bool WaitExit(std::chrono::milliseconds timeout = kTimeout) const;
    void Kill();

    // The program's top-level windows (visible or not), in Z order from the top.
    std::vector<HWND> TopLevelWindows() const;
    // Visible top-level dialogs (#32770) of the program.
    std::vector<HWND> Dialogs() const;
    // Waits for a visible top-level #32770 of the program for which `match` holds.
    HWND WaitDialog(const std::function<bool(HWND)>& match, std::string_view what,
                    std::chrono::milliseconds timeout = kTimeout) const;
    // Waits for a message box (a dialog with the static 0xFFFF and no control `notId`).
    HWND WaitMessageBox(std::string_view what, std::chrono::milliseconds timeout = kTimeout) const;
    // A message box or nothing, now.
    std::optional<HWND> FindMessageBox() const;

    // Counters of the running process, for leak checks. Under Wine, GetGuiResources and the
    // handle count give 0: the GDI objects are then counted in the process's GDI handle table,
    // and the windows of the process stand in for its USER objects.
    struct Resources {
        DWORD gdiObjects = 0;
        DWORD userObjects = 0; // 0 under Wine
        DWORD windows = 0;
        DWORD handles = 0; // 0 under Wine
        SIZE_T privateBytes = 0;
        SIZE_T workingSet = 0;
    };
    Resources ReadResources() const;
    // All windows of the process, top-level and child.
    DWORD CountWindows() const;

private:
    PROCESS_INFORMATION m_info{};
};

bool IsMessageBox(HWND dialog);

// ---- The Explorer-style file dialog ---------------------------------------------------------

// Waits for the file dialog that `owner` opened, types `name` (a full path or a bare file name,
// taken relative to the folder the dialog shows) and presses Open; waits until it has closed.
void ChooseInFileDialog(const Program& program, HWND owner, const std::wstring& name);
// The same, for a name the file dialog may refuse: then its complaint is acknowledged, the file
// dialog cancelled, and the complaint returned.
std::optional<std::wstring> TryFileDialog(const Program& program, HWND owner,
                                          const std::wstring& name);
void CancelFileDialog(const Program& program, HWND owner);
HWND WaitFileDialog(const Program& program, HWND owner);

} // namespace e2e
