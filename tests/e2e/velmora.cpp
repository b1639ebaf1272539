#include "velmora.h"

#include <gtest/gtest.h>

namespace e2e {

namespace {

std::wstring& StoredProgramPath() {
    static std::wstring path;
    return path;
}

} // namespace

const std::wstring& ProgramPath() {
    return StoredProgramPath();
}

void SetProgramPath(std::wstring path) {
    StoredProgramPath() = std::move(path);
}

std::string CodeList(std::initializer_list<std::wstring_view> lines) {
    std::string bytes;
    for (const auto line : lines) {
        bytes += Ansi(line) + "\r\n";
    }
    return bytes;
}

std::string StandardCodeList() {
    return CodeList({L"kr,Kamień graniczny", L"bez przecinka", L"  sł\t, Słup energetyczny ",
                     L",Bez kodu", L"Pom,Punkt pomiarowy, stały"});
}

Velmora::Velmora(std::wstring_view label, std::optional<std::string> codeList)
    : m_folder(label), m_programFolder(m_folder.Path()) {
    Start(m_folder.Path(), codeList);
}

Velmora::Velmora(std::wstring_view label, const std::wstring& writable,
                 const std::wstring& programFolder, const std::string& codeList)
    : m_folder(label), m_programFolder(programFolder) {
    Start(writable, codeList);
}

void Velmora::Start(const std::wstring& writable, const std::optional<std::string>& codeList) {
    const std::wstring copy = writable + L"Velmora.exe";
    if (!CopyFileW(ProgramPath().c_str(), copy.c_str(), FALSE)) {
        throw DriverError("cannot copy " + Utf8(ProgramPath()) + " to " + Utf8(copy));
    }
    if (codeList) {
        WriteBytes(writable + kCodeListName, *codeList);
    }
    m_program = std::make_unique<Program>(m_programFolder + L"Velmora.exe", m_folder.Path());
}

bool Velmora::DialogShown() const {
    for (HWND dialog : m_program->Dialogs()) {
        if (Child(dialog, IDC_INPUT_PATH) != nullptr) {
            return true;
        }
    }
    return false;
}

HWND Velmora::Dialog() {
    if (m_dialog == nullptr) {
        m_dialog = m_program->WaitDialog(
            [](HWND dialog) {
                return TextOf(dialog) == L"Velmora" && Child(dialog, IDC_INPUT_PATH) != nullptr;
            },
            "the main dialog");
    }
    if (!IsAlive(m_dialog)) {
        throw DriverError("the main dialog is gone");
    }
    return m_dialog;
}

HWND Velmora::Control(int id) {
    const HWND control = GetDlgItem(Dialog(), id);
    if (control == nullptr) {
        throw DriverError("the dialog has no control " + std::to_string(id));
    }
    return control;
}

bool Velmora::Checked(int id) {
    return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Velmora::Activate() {
    // Left of "Generuj", below the output group: no control there.
    RECT client{};
    GetClientRect(Dialog(), &client);
    POINT spot{8, client.bottom - 8};
    ClientToScreen(Dialog(), &spot);
    ClickUntil(
        spot, [&] { return GetForegroundWindow() == Dialog(); }, "the dialog to be active");
}

int Velmora::FocusedControl() {
    HWND focus = FocusOfThread(Dialog());
    // A combo box's focus may sit in its own child window.
    while (focus != nullptr && GetParent(focus) != nullptr && GetParent(focus) != Dialog()) {
        focus = GetParent(focus);
    }
    return focus != nullptr && GetParent(focus) == Dialog() ? GetDlgCtrlID(focus) : 0;
}

void Velmora::ChooseInputFile(const std::wstring& name) {
    ClickAndGoOn(Control(IDC_BROWSE_INPUT));
    ChooseInFileDialog(*m_program, Dialog(), name);
}

void Velmora::ChooseOutputFile(const std::wstring& name) {
    ClickAndGoOn(Control(IDC_BROWSE_OUTPUT));
    ChooseInFileDialog(*m_program, Dialog(), name);
}

MessageBoxInfo Velmora::WaitMessage(bool readIcon) {
    return ReadMessageBox(m_program->WaitMessageBox("a message box"), readIcon);
}

void Velmora::Answer(const MessageBoxInfo& box, int button) {
    const HWND target = Child(box.window, button);
    if (target == nullptr) {
        throw DriverError("the message box has no button " + std::to_string(button));
    }
    PostMessageW(target, BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsAlive(box.window); }, "the message box to close");
}

void Velmora::ExpectMessage(const MessageBoxInfo& box, const std::wstring& text, bool okCancel) {
    EXPECT_EQ(Utf8(box.text), Utf8(text));
    EXPECT_EQ(Utf8(box.caption), "Velmora");
    EXPECT_EQ(NameOf(box.icon), NameOf(Icon::Exclamation));
    const std::vector<int> buttons =
        okCancel ? std::vector<int>{IDOK, IDCANCEL} : std::vector<int>{IDOK};
    EXPECT_EQ(box.buttons, buttons);
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), Dialog()) << "the box is not owned by the dialog";
}

bool Velmora::WaitEnded() {
    return m_program->WaitExit();
}

} // namespace e2e
