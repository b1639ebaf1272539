// The Velmora dialog as its user sees it: one copy of the program started in a fresh folder with
// the code list a scenario wants, and what a person does with its controls.
#pragma once

#include "driver.h"
// The main dialog's control IDs (IDC_...; "Zamknij" is IDOK), as the program has them.
#include "resource.h"

#include <memory>
#include <optional>
#include <string>

namespace e2e {

// The program under test; set by main() from the command line.
const std::wstring& ProgramPath();
void SetProgramPath(std::wstring path);

inline constexpr wchar_t kCodeListName[] = L"ListaKodów.txt";

// A code list in code page 1250 with CR LF line ends: the lines of `lines` joined.
std::string CodeList(std::initializer_list<std::wstring_view> lines);
// The list most scenarios use: KR "Kamień graniczny", SŁ "Słup energetyczny", POM "Punkt
// pomiarowy", plus two lines the program must skip.
std::string StandardCodeList();

class Velmora {
public:
    // Copies the program into a fresh folder (named after `label`) beside `codeList` (no list
    // file at all when it is empty) and starts it there.
    explicit Velmora(std::wstring_view label,
                     std::optional<std::string> codeList = StandardCodeList());
    // Copies the program and `codeList` into `writable` and starts it from `programFolder`,
    // another view of the same folder (a read-only one, say); both paths end in a backslash.
    Velmora(std::wstring_view label, const std::wstring& writable,
            const std::wstring& programFolder, const std::string& codeList);

    const TempFolder& Folder() const { return m_folder; }
    Program& Process() { return *m_program; }
    std::wstring ListPath() const { return m_programFolder + kCodeListName; }

    // The main dialog; waits for it the first time.
    HWND Dialog();
    bool DialogShown() const;
    HWND Control(int id);
    std::wstring Text(int id) { return TextOf(Control(id)); }
    bool Enabled(int id) { return IsWindowEnabled(Control(id)) != FALSE; }
    bool Checked(int id);
    // Clicks an empty spot of the dialog, as a person does before typing, so that it is the
    // active window that keys and tool tips go to; the focus stays where it was.
    void Activate();
    // The control ID of the window with the keyboard focus (0 for none or another window).
    int FocusedControl();

    // Presses "..." beside the input path and chooses `name` in the file dialog.
    void ChooseInputFile(const std::wstring& name);
    void ChooseOutputFile(const std::wstring& name);
    // Presses "Generuj" without waiting: it may show message boxes.
    void PressGenerate() { ClickAndGoOn(Control(IDC_GENERATE)); }

    // The next message box of the program (its icon left unknown unless `readIcon`).
    MessageBoxInfo WaitMessage(bool readIcon = true);
    // Presses a button of the box and waits for the box to close.
    void Answer(const MessageBoxInfo& box, int button = IDOK);
    // Fails unless the box is the program's usual message: caption "Velmora", exclamation icon,
    // OK only (or OK and Cancel), owned by the main dialog.
    void ExpectMessage(const MessageBoxInfo& box, const std::wstring& text, bool okCancel = false);

    // Waits for the dialog to close and the program to end.
    bool WaitEnded();

private:
    // Puts the program and its list into `writable` and starts it from m_programFolder.
    void Start(const std::wstring& writable, const std::optional<std::string>& codeList);

    TempFolder m_folder;
    std::wstring m_programFolder;
    std::unique_ptr<Program> m_program;
    HWND m_dialog = nullptr;
};

} // namespace e2e
