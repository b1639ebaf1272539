#include "win_app.h"

#include "dll_search.h"

#include <objbase.h>

#include <exception>
#include <new>

namespace win32 {

namespace {

CWinApp* g_pApp = nullptr;

constexpr UINT kAppTitleStringId = 0xE000;

std::string ProgramTitle(HINSTANCE hInstance) {
    char title[256];
    if (const int length = ::LoadStringA(hInstance, kAppTitleStringId, title, sizeof title);
        length > 0) {
        return std::string(title, static_cast<std::size_t>(length));
    }
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(hInstance, path, MAX_PATH);
    return AppTitleFromModulePath(std::string(path, length < MAX_PATH ? length : 0));
}

// COM in a single-threaded apartment for the user-interface thread, from
// start to exit: the file dialogs are COM objects.
class CComApartment {
public:
    CComApartment()
        : m_bInitialised(SUCCEEDED(
              ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;
    ~CComApartment() {
        if (m_bInitialised) {
            ::CoUninitialize();
        }
    }

private:
    bool m_bInitialised;
};

} // namespace

std::string AppTitleFromModulePath(const std::string& modulePath) {
    std::string name = modulePath;
    if (const auto slash = name.find_last_of("\\/:"); slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    if (const auto dot = name.rfind('.'); dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

CWinApp::CWinApp(const char* appName) {
    g_pApp = this;
    if (appName != nullptr) {
        m_strAppName = appName;
    }
}

CWinApp::~CWinApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

void CWinApp::SetUp(HINSTANCE hInstance) {
    m_hInstance = hInstance;
    if (m_strAppName.empty()) {
        m_strAppName = ProgramTitle(hInstance);
    }
}

bool CWinApp::OnCmdMsg(UINT id) {
    for (const CommandMapEntry& entry : GetCommandMap()) {
        if (entry.id == id) {
            entry.handler(*this);
            return true;
        }
    }
    return false;
}

void CWinApp::OnHelp() {
    ::MessageBeep(MB_OK);
}

void CWinApp::DoWaitCursor(int code) {
    if (code > 0) {
        const HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        if (m_nWaitCursorCount++ == 0) {
            m_hcurWaitCursorRestore = previous;
        }
    } else if (m_nWaitCursorCount > 0 && --m_nWaitCursorCount == 0) {
        ::SetCursor(m_hcurWaitCursorRestore);
    }
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

CWnd* AfxGetMainWnd() {
    return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetResourceHandle() {
    return g_pApp != nullptr && g_pApp->m_hInstance != nullptr ? g_pApp->m_hInstance
                                                               : ::GetModuleHandleA(nullptr);
}

UINT AfxMessageBoxType(UINT type) {
    if ((type & MB_ICONMASK) != 0) {
        return type;
    }
    switch (type & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
        return type | MB_ICONEXCLAMATION;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return type | MB_ICONQUESTION;
    default:
        return type;
    }
}

int AfxMessageBox(const char* text, UINT type, UINT /*helpId*/) {
    HWND owner = nullptr;
    if (const CWnd* mainWnd = AfxGetMainWnd();
        mainWnd != nullptr && ::IsWindow(mainWnd->GetSafeHwnd())) {
        owner = mainWnd->GetSafeHwnd();
    }
    const char* caption = g_pApp != nullptr ? g_pApp->m_strAppName.c_str() : nullptr;
    return ::MessageBoxA(owner, text, caption, AfxMessageBoxType(type));
}

CommandErrorReport DescribeCommandError(const std::exception_ptr& error) noexcept {
    static constexpr char kInternalError[] = "Internal application error.";
    static constexpr char kOutOfMemory[] = "Out of memory.";
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return {kOutOfMemory, MB_ICONEXCLAMATION | MB_SYSTEMMODAL};
    } catch (const std::exception& exception) {
        const char* text = exception.what();
        return {text != nullptr && *text != '\0' ? text : kInternalError, MB_ICONSTOP};
    } catch (...) {
        return {kInternalError, MB_ICONSTOP};
    }
}

void AfxReportCommandError() noexcept {
    const std::exception_ptr error = std::current_exception();
    const CommandErrorReport report = DescribeCommandError(error);
    AfxMessageBox(report.text, report.type);
}

} // namespace win32

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR /*cmdLine*/,
                   int /*showCommand*/) {
    // Before anything can load a DLL on demand.
    win32::LimitDllSearch();
    win32::CWinApp* app = win32::AfxGetApp();
    if (app == nullptr) {
        return -1;
    }
    const win32::CComApartment com;
    try {
        app->SetUp(hInstance);
        if (app->InitInstance()) {
            // This program does all its work inside InitInstance; an
            // application that returned TRUE would run its message loop here.
            MSG msg;
            while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        return app->ExitInstance();
    } catch (...) {
        win32::AfxReportCommandError();
        return -1;
    }
}
