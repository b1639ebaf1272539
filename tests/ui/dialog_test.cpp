// The dialog layer at work: a small dialog of the tests' own resources run
// modally in this process, with its message boxes read and answered by a
// hook on this thread.

#include "test_dialogs.h"

#include "win32/ansi_path.h"
#include "win32/combo_box.h"
#include "win32/dialog.h"
#include "win32/edit.h"
#include "win32/tool_tip_ctrl.h"
#include "win32/win_app.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// The layer's assertions are part of what these tests run (CMakeLists.txt).
#ifdef NDEBUG
#error "the tests of the Win32 layer are built without its assertions"
#endif

namespace {

using namespace win32;

CWinApp g_app("Test Velmora");

// The one system-menu command of the test dialog's own.
constexpr UINT kOwnSysCommand = 0x0010;

// The message boxes shown while it lives: caption, text and whether the
// owner was disabled; each is answered with IDOK (or IDCANCEL when it has
// no OK button).
class CMessageBoxWatch {
public:
    struct Box {
        std::string caption;
        std::string text;
        HWND owner;
        bool ownerDisabled;
    };

    CMessageBoxWatch() {
        s_pWatch = this;
        m_hHook = ::SetWindowsHookExA(WH_CBT, &HookProc, nullptr, ::GetCurrentThreadId());
    }
    CMessageBoxWatch(const CMessageBoxWatch&) = delete;
    CMessageBoxWatch& operator=(const CMessageBoxWatch&) = delete;
    ~CMessageBoxWatch() {
        ::UnhookWindowsHookEx(m_hHook);
        s_pWatch = nullptr;
    }

    std::vector<Box> m_boxes;

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && s_pWatch != nullptr) {
            const HWND box = reinterpret_cast<HWND>(wParam); // NOLINT(performance-no-int-to-ptr)
            char className[16] = {};
            ::GetClassNameA(box, className, sizeof className);
            char text[512] = {};
            if (std::string(className) == "#32770" &&
                ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text) > 0) {
                char caption[128] = {};
                ::GetWindowTextA(box, caption, sizeof caption);
                const HWND owner = ::GetWindow(box, GW_OWNER);
                s_pWatch->m_boxes.push_back(
                    {caption, text, owner, owner != nullptr && !::IsWindowEnabled(owner)});
                const int answer = ::GetDlgItem(box, IDOK) != nullptr ? IDOK : IDCANCEL;
                ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline CMessageBoxWatch* s_pWatch = nullptr;
    HHOOK m_hHook = nullptr;
};

// A dialog whose initialisation and button run what the test gives it.
class CTestDlg : public CDialog {
public:
    explicit CTestDlg(CWnd* pParent = nullptr) : CDialog(IDD_TEST_DIALOG, pParent) {}

    std::function<void(CTestDlg&)> m_onInit;
    std::function<void(CTestDlg&)> m_onButton;
    std::vector<UINT> m_preTranslated;
    std::vector<UINT> m_selChanges;
    std::vector<UINT> m_sysCommands;
    std::vector<std::string> m_dropped;
    CEdit m_edit;
    CComboBox m_combo;

    // Public for the tests.
    using CDialog::EndDialog;
    HWND Handle() const { return m_hWnd; }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_TEST_EDIT, m_edit);
        DDX_Control(pDX, IDC_TEST_COMBO, m_combo);
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message >= WM_APP) {
            m_preTranslated.push_back(pMsg->message);
        }
        return CDialog::PreTranslateMessage(pMsg);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        // A test that goes wrong ends with IDABORT instead of waiting for ever.
        ::SetTimer(m_hWnd, 1, 15000, &Watchdog);
        if (m_onInit) {
            m_onInit(*this);
        }
        return TRUE;
    }
    std::span<const MessageMapEntry> GetMessageMap() const override {
        static constexpr MessageMapEntry kMessageMap[] = {
            OnBnClicked<&CTestDlg::OnBnClickedButton>(IDC_TEST_BUTTON),
            OnCbnSelchange<&CTestDlg::OnCbnSelchangeCombo>(IDC_TEST_COMBO),
            OnWmSysCommand<&CTestDlg::OnSysCommand>(),
            OnWmDropFiles<&CTestDlg::OnDropFiles>(),
        };
        return kMessageMap;
    }

private:
    static void CALLBACK Watchdog(HWND hWnd, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(hWnd, id);
        auto* dialog = reinterpret_cast<CTestDlg*>( // NOLINT(performance-no-int-to-ptr)
            ::GetWindowLongPtrA(hWnd, DWLP_USER));
        dialog->EndDialog(IDABORT);
    }

    void OnBnClickedButton() {
        if (m_onButton) {
            m_onButton(*this);
        }
    }
    void OnCbnSelchangeCombo() { m_selChanges.push_back(static_cast<UINT>(m_combo.GetCurSel())); }
    void OnDropFiles(HDROP drop) {
        for (const UINT index : {0, 1, 2}) {
            m_dropped.push_back(DragQueryPath(drop, index));
        }
    }
    void OnSysCommand(UINT id, LPARAM lParam) {
        m_sysCommands.push_back(id);
        if (id != kOwnSysCommand) {
            CDialog::OnSysCommand(id, lParam);
        }
    }
};

void Click(const CTestDlg& dialog, int id) {
    ::PostMessageA(::GetDlgItem(dialog.Handle(), id), BM_CLICK, 0, 0);
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { g_app.SetUp(::GetModuleHandleA(nullptr)); }
};

TEST_F(DialogTest, RunsUntilEndDialogAndReturnsItsCode) {
    CTestDlg dialog;
    HWND seen = nullptr;
    dialog.m_onInit = [&](CTestDlg& d) {
        seen = d.Handle();
        Click(d, IDC_TEST_BUTTON);
    };
    dialog.m_onButton = [](CTestDlg& d) { d.EndDialog(42); };
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_NE(seen, nullptr);
    EXPECT_FALSE(::IsWindow(seen)) << "the window is destroyed when DoModal returns";
    EXPECT_EQ(dialog.Handle(), nullptr);
}

TEST_F(DialogTest, OkAndCancelEndTheDialogWithTheirCodes) {
    for (const int id : {IDOK, IDCANCEL}) {
        CTestDlg dialog;
        dialog.m_onInit = [id](CTestDlg& d) { Click(d, id); };
        EXPECT_EQ(dialog.DoModal(), id);
    }
    CTestDlg closed;
    closed.m_onInit = [](CTestDlg& d) { ::PostMessageA(d.Handle(), WM_CLOSE, 0, 0); };
    EXPECT_EQ(closed.DoModal(), IDCANCEL) << "the close button cancels";
}

// How long a test gives a loop before it steps in to end it: far more than the slowest machine
// (Wine through qemu-i386, the other core busy) needs, so that only a loop that would never have
// ended is helped.
constexpr auto kLate = std::chrono::seconds(10);

bool g_quitLate = false;

void CALLBACK QuitLate(HWND /*window*/, UINT /*message*/, UINT_PTR /*id*/, DWORD /*time*/) {
    g_quitLate = true;
    ::PostQuitMessage(0);
}

TEST_F(DialogTest, AWindowDestroyedWhileTheLoopRunsEndsIt) {
    CTestDlg dialog;
    dialog.m_onInit = [](CTestDlg& d) { Click(d, IDC_TEST_BUTTON); };
    dialog.m_onButton = [](CTestDlg& d) { ::DestroyWindow(d.Handle()); };
    // A loop that missed the end of its window would wait for ever: a late WM_QUIT ends it.
    g_quitLate = false;
    const UINT_PTR timer = ::SetTimer(
        nullptr, 0, static_cast<UINT>(std::chrono::milliseconds(kLate).count()), &QuitLate);
    EXPECT_EQ(dialog.DoModal(), -1);
    ::KillTimer(nullptr, timer);
    EXPECT_FALSE(g_quitLate) << "the loop needed the late WM_QUIT";
    MSG quit;
    EXPECT_FALSE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// Whether `window` is on screen with nothing of it or of its controls left to paint.
bool Painted(HWND window) {
    if (!::IsWindowVisible(window) || ::GetUpdateRect(window, nullptr, FALSE)) {
        return false;
    }
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::IsWindowVisible(child) && ::GetUpdateRect(child, nullptr, FALSE)) {
            return false;
        }
    }
    return true;
}

// A close sent by another thread is handled inside the loop's wait for
// messages; it must not wait there for some later message to end the loop.
TEST_F(DialogTest, ACloseSentFromAnotherThreadEndsTheLoopAtOnce) {
    for (const int id : {IDOK, IDCANCEL}) {
        CTestDlg dialog;
        std::promise<void> returned;
        std::thread closer;
        bool wokenLate = false;
        dialog.m_onInit = [&](CTestDlg& d) {
            // No edit box with the focus, whose blinking caret would wake the loop.
            d.m_edit.EnableWindow(FALSE);
            closer = std::thread([&, window = d.Handle()] {
                // Once the dialog has shown and painted itself, nothing but the close wakes
                // the loop.
                const auto deadline = std::chrono::steady_clock::now() + kLate;
                while (!Painted(window) && std::chrono::steady_clock::now() < deadline) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
                ::SendMessageTimeoutA(
                    window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0, SMTO_NORMAL,
                    static_cast<UINT>(std::chrono::milliseconds(kLate).count()), nullptr);
                // A loop that did not wake up is woken here, late.
                if (returned.get_future().wait_for(kLate) != std::future_status::ready) {
                    wokenLate = true;
                    ::PostMessageA(window, WM_APP, 0, 0);
                }
            });
        };
        EXPECT_EQ(dialog.DoModal(), id);
        returned.set_value();
        ASSERT_TRUE(closer.joinable());
        closer.join();
        EXPECT_FALSE(wokenLate) << "command " << id << " needed a later message to end the loop";
    }
}

TEST_F(DialogTest, DataExchangeBindsTheControlsToTheirItems) {
    CTestDlg dialog;
    std::string text;
    int count = -1;
    dialog.m_onInit = [&](CTestDlg& d) {
        EXPECT_EQ(d.m_edit.GetDlgCtrlID(), IDC_TEST_EDIT);
        EXPECT_EQ(d.m_combo.GetDlgCtrlID(), IDC_TEST_COMBO);
        d.m_edit.SetText("Wej\x9C"
                         "cie \xB3\xB9"
                         "ka");
        text = d.m_edit.GetText();
        EXPECT_EQ(d.m_combo.InsertString(0, "B"), 0);
        EXPECT_EQ(d.m_combo.InsertString(0, "A"), 0);
        EXPECT_EQ(d.m_combo.InsertString(2, "C"), 2);
        count = d.m_combo.GetCount();
        EXPECT_EQ(d.m_combo.GetCurSel(), CB_ERR);
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(text, "Wej\x9C"
                    "cie \xB3\xB9"
                    "ka")
        << "code page 1250 text comes back byte for byte";
    EXPECT_EQ(count, 3);
}

TEST_F(DialogTest, WrappersForgetTheWindowsDestroyedWithTheDialog) {
    CTestDlg dialog;
    CToolTipCtrl toolTip;
    HWND tipWindow = nullptr;
    dialog.m_onInit = [&](CTestDlg& d) {
        EXPECT_TRUE(toolTip.Create(d));
        tipWindow = toolTip.GetSafeHwnd();
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(::IsWindow(tipWindow)) << "the tool tip goes with its dialog";
    // Handles of destroyed windows are given to new ones: a wrapper keeps none.
    EXPECT_EQ(toolTip.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dialog.m_edit.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dialog.m_combo.GetSafeHwnd(), nullptr);

    // Run again, the dialog binds its controls to the new window's.
    HWND editParent = nullptr;
    dialog.m_onInit = [&](CTestDlg& d) {
        editParent = ::GetParent(d.m_edit.GetSafeHwnd());
        EXPECT_EQ(d.m_combo.GetDlgCtrlID(), IDC_TEST_COMBO);
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_NE(editParent, nullptr);

    // A tool tip whose owner lives on is destroyed by its wrapper.
    const HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                         nullptr, nullptr, nullptr);
    {
        CToolTipCtrl outliving;
        ASSERT_TRUE(outliving.Create(CWnd(owner)));
        tipWindow = outliving.GetSafeHwnd();
    }
    EXPECT_FALSE(::IsWindow(tipWindow));
    ::DestroyWindow(owner);
}

TEST_F(DialogTest, SystemCommandsWithoutAHandlerOfTheDialogGoToTheSystem) {
    CTestDlg dialog;
    INT_PTR own = -1;
    INT_PTR close = -1;
    dialog.m_onInit = [&](CTestDlg& d) {
        // The dialog procedure answers FALSE for what the system's dialog processing does.
        const auto procedure = reinterpret_cast<DLGPROC>( // NOLINT(performance-no-int-to-ptr)
            ::GetWindowLongPtrA(d.Handle(), DWLP_DLGPROC));
        own = procedure(d.Handle(), WM_SYSCOMMAND, kOwnSysCommand, 0);
        close = procedure(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        ::PostMessageA(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL) << "the system menu's close cancels";
    EXPECT_EQ(own, TRUE);
    EXPECT_EQ(close, FALSE);
    const std::vector<UINT> expected{kOwnSysCommand, SC_CLOSE, SC_CLOSE};
    EXPECT_EQ(dialog.m_sysCommands, expected);
}

TEST_F(DialogTest, EveryQueuedMessagePassesPreTranslateMessage) {
    CTestDlg dialog;
    dialog.m_onInit = [](CTestDlg& d) {
        ::PostMessageA(d.Handle(), WM_APP + 1, 0, 0);
        ::PostMessageA(::GetDlgItem(d.Handle(), IDC_TEST_EDIT), WM_APP + 2, 0, 0);
        ::PostMessageA(d.Handle(), WM_APP + 3, 0, 0);
        Click(d, IDC_TEST_BUTTON);
    };
    dialog.m_onButton = [](CTestDlg& d) { d.EndDialog(IDOK); };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    const std::vector<UINT> expected{WM_APP + 1, WM_APP + 2, WM_APP + 3};
    EXPECT_EQ(dialog.m_preTranslated, expected);
}

TEST_F(DialogTest, TheOwnerIsDisabledWhileTheDialogRuns) {
    const HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 100,
                                         100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    CWnd ownerWnd(owner);
    CTestDlg dialog(&ownerWnd);
    bool enabledMeanwhile = true;
    HWND ownerMeanwhile = nullptr;
    dialog.m_onInit = [&](CTestDlg& d) {
        enabledMeanwhile = ::IsWindowEnabled(owner) != FALSE;
        ownerMeanwhile = ::GetWindow(d.Handle(), GW_OWNER);
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(enabledMeanwhile);
    EXPECT_EQ(ownerMeanwhile, owner);
    EXPECT_TRUE(::IsWindowEnabled(owner)) << "enabled again afterwards";
    ::DestroyWindow(owner);
}

TEST_F(DialogTest, ADialogWithoutOwnerOpensCentredOnTheScreen) {
    CTestDlg dialog;
    RECT window{};
    RECT area{};
    // Centring follows OnInitDialog: look once the loop runs.
    dialog.m_onInit = [](CTestDlg& d) { Click(d, IDC_TEST_BUTTON); };
    dialog.m_onButton = [&](CTestDlg& d) {
        ::GetWindowRect(d.Handle(), &window);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoA(::MonitorFromWindow(d.Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    const LONG centreX = (window.left + window.right) / 2;
    const LONG centreY = (window.top + window.bottom) / 2;
    const LONG areaCentreX = (area.left + area.right) / 2;
    const LONG areaCentreY = (area.top + area.bottom) / 2;
    EXPECT_NEAR(centreX, areaCentreX, 1);
    EXPECT_NEAR(centreY, areaCentreY, 1);
}

TEST_F(DialogTest, SelectionChangesReachTheirHandler) {
    CTestDlg dialog;
    dialog.m_onInit = [](CTestDlg& d) {
        d.m_combo.InsertString(0, "A");
        d.m_combo.InsertString(1, "B");
        // What the list sends when the user picks an item.
        ::PostMessageA(d.Handle(), WM_COMMAND, MAKEWPARAM(IDC_TEST_COMBO, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(d.m_combo.GetSafeHwnd()));
        ::PostMessageA(d.Handle(), WM_COMMAND, MAKEWPARAM(IDC_TEST_COMBO, CBN_DROPDOWN),
                       reinterpret_cast<LPARAM>(d.m_combo.GetSafeHwnd()));
        Click(d, IDC_TEST_BUTTON);
    };
    dialog.m_onButton = [](CTestDlg& d) { d.EndDialog(IDOK); };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_selChanges.size(), 1u) << "only CBN_SELCHANGE is mapped";
}

// Files dropped as the shell hands them over: a DROPFILES header followed by
// the UTF-16 paths, each ended by a NUL, and one more NUL, in movable global memory.
HDROP ShellDrop(const std::wstring& first, const std::wstring& second) {
    const std::wstring list = first + L'\0' + second + L'\0' + L'\0';
    const HGLOBAL memory =
        ::GlobalAlloc(GHND | GMEM_SHARE, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST_F(DialogTest, DroppedFilesReachTheirHandlerInTheCodePageAndAreReleased) {
    CTestDlg dialog;
    const HDROP drop = ShellDrop(L"Z:\\pomiary\\łąka.txt", L"C:\\b.txt");
    dialog.m_onInit = [drop](CTestDlg& d) {
        ::PostMessageA(d.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        Click(d, IDC_TEST_BUTTON);
    };
    dialog.m_onButton = [](CTestDlg& d) { d.EndDialog(IDOK); };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    const std::vector<std::string> expected{"Z:\\pomiary\\\xB3\xB9"
                                            "ka.txt",
                                            "C:\\b.txt", ""};
    EXPECT_EQ(dialog.m_dropped, expected);
    EXPECT_EQ(::GlobalSize(drop), 0u) << "the drop was not released";
}

TEST_F(DialogTest, AnErrorLeavingAHandlerIsReportedAndTheDialogGoesOn) {
    const CMessageBoxWatch watch;
    CTestDlg dialog;
    int clicks = 0;
    dialog.m_onInit = [](CTestDlg& d) {
        g_app.m_pMainWnd = &d;
        Click(d, IDC_TEST_BUTTON);
    };
    dialog.m_onButton = [&](CTestDlg& d) {
        ++clicks;
        if (clicks == 1) {
            Click(d, IDC_TEST_BUTTON); // handled after the report
            throw std::runtime_error("An unknown error occurred while accessing C:\\x.txt.");
        }
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    g_app.m_pMainWnd = nullptr;
    EXPECT_EQ(clicks, 2) << "the dialog went on after the report";
    ASSERT_EQ(watch.m_boxes.size(), 1u);
    EXPECT_EQ(watch.m_boxes[0].caption, "Test Velmora");
    EXPECT_EQ(watch.m_boxes[0].text, "An unknown error occurred while accessing C:\\x.txt.");
    EXPECT_NE(watch.m_boxes[0].owner, nullptr) << "owned by the main window";
    EXPECT_TRUE(watch.m_boxes[0].ownerDisabled);
}

TEST_F(DialogTest, MessageBoxesCarryTheApplicationTitle) {
    const CMessageBoxWatch watch;
    EXPECT_EQ(AfxMessageBox("B\xB3\xB9"
                            "d otwarcia pliku:\nC:\\a.txt",
                            MB_OKCANCEL),
              IDOK);
    ASSERT_EQ(watch.m_boxes.size(), 1u);
    EXPECT_EQ(watch.m_boxes[0].caption, "Test Velmora");
    EXPECT_EQ(watch.m_boxes[0].text, "B\xB3\xB9"
                                     "d otwarcia pliku:\nC:\\a.txt");
    EXPECT_EQ(watch.m_boxes[0].owner, nullptr) << "no main window, no owner";
}

TEST_F(DialogTest, TheWaitCursorNestsAndRestores) {
    EXPECT_FALSE(g_app.IsWaitCursorOn());
    g_app.DoWaitCursor(1);
    g_app.DoWaitCursor(1);
    EXPECT_TRUE(g_app.IsWaitCursorOn());
    g_app.DoWaitCursor(-1);
    EXPECT_TRUE(g_app.IsWaitCursorOn());
    g_app.DoWaitCursor(-1);
    EXPECT_FALSE(g_app.IsWaitCursorOn());
    g_app.DoWaitCursor(-1);
    EXPECT_FALSE(g_app.IsWaitCursorOn()) << "an extra end does not go below zero";
}

// Each misuse stops the program at its assertion (run in a child process).
TEST(LayerAssertions, StopWhatWouldActOnNoWindowOrTheWrongOne) {
    const HWND gone = ::CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, nullptr, nullptr);
    ::DestroyWindow(gone);
    const auto runModal = [](std::function<void(CTestDlg&)> onInit) {
        CTestDlg dialog;
        dialog.m_onInit = std::move(onInit);
        dialog.DoModal();
    };
    const struct {
        std::function<void()> misuse;
        const char* assertion;
    } cases[] = {
        {[] { CEdit().SetSel(0, 0); }, "without its window"},
        {[gone] { CWnd(gone).SetText("x"); }, "without its window"},
        {[] { CToolTipCtrl().Activate(TRUE); }, "without its window"},
        {[&] { runModal([](CTestDlg& d) { d.DoModal(); }); }, "runs already"},
        {[&] {
             runModal([](CTestDlg& d) {
                 CDataExchange exchange{&d, FALSE};
                 CEdit missing;
                 DDX_Control(&exchange, 999, missing);
             });
         },
         "no item"},
        {[gone] { CTestDlg(nullptr).Attach(gone); }, "before its window"},
    };
    for (const auto& c : cases) {
        EXPECT_DEATH(c.misuse(), c.assertion) << "case " << &c - cases;
    }
}

} // namespace
