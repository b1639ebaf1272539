#include "app.h"

#include "main_dialog.h"
#include "platform.h"

#include "win32/win32.h"

using namespace win32;

namespace {

// The catalogue's messages (an unreadable point-code list) as message boxes.
void ShowCatalogueMessage(const std::string& text) {
    AfxMessageBox(text, MB_OK);
}

} // namespace

CVelmoraApp theApp;

CVelmoraApp::CVelmoraApp() = default;

std::span<const CommandMapEntry> CVelmoraApp::GetCommandMap() const {
    static constexpr CommandMapEntry kCommandMap[] = {
        OnCommand<&CWinApp::OnHelp>(ID_HELP),
    };
    return kCommandMap;
}

BOOL CVelmoraApp::InitInstance() {
    ::InitCommonControls();
    CWinApp::InitInstance();
    velmora::platform::SetMessageFunction(&ShowCatalogueMessage);

    CVelmoraDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    // The dialog has closed: end the program without a message loop of our own.
    return FALSE;
}
