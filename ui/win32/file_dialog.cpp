#include "file_dialog.h"

#include "ansi_path.h"
#include "win_app.h"

#include <shobjidl.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace win32 {

namespace {

// Releases the interface it holds.
template <class Interface> class CComPointer {
public:
    CComPointer() = default;
    CComPointer(const CComPointer&) = delete;
    CComPointer& operator=(const CComPointer&) = delete;
    ~CComPointer() {
        if (m_p != nullptr) {
            m_p->Release();
        }
    }
    Interface* operator->() const { return m_p; }
    Interface* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    Interface** operator&() { return &m_p; }
    void** AsVoid() { return reinterpret_cast<void**>(&m_p); }

private:
    Interface* m_p = nullptr;
};

std::wstring Widen(const char* text, int length = -1) {
    if (text == nullptr || length == 0) {
        return {};
    }
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, length, wide.data(), size);
    if (length < 0) {
        wide.pop_back(); // the terminating NUL
    }
    return wide;
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder a start path stands for: the path itself when it names a
// folder, else the folder that holds the file it names (also when the file
// has gone meanwhile). Nothing when neither exists.
bool MakeStartFolder(const std::wstring& path, IShellItem** folder) {
    if (IsDirectory(path)) {
        return SUCCEEDED(::SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem,
                                                       reinterpret_cast<void**>(folder)));
    }
    CComPointer<IShellItem> file;
    if (SUCCEEDED(
            ::SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem, file.AsVoid()))) {
        return SUCCEEDED(file->GetParent(folder));
    }
    const std::wstring parent = FolderOfFilePath(path);
    return !parent.empty() && IsDirectory(parent) &&
           SUCCEEDED(::SHCreateItemFromParsingName(parent.c_str(), nullptr, IID_IShellItem,
                                                   reinterpret_cast<void**>(folder)));
}

// Sets the chooser's options from the classic flags the program passes: each
// flag with an equivalent sets or clears it (an open dialog asks for an
// existing file unless told otherwise); the defaults of the chooser that a
// classic dialog only has on request are cleared. OFN_EXPLORER and
// OFN_HIDEREADONLY describe the chooser as it always is. The result is always
// a file system path.
void ApplyFlags(IFileDialog& dialog, DWORD flags) {
    FILEOPENDIALOGOPTIONS options = 0;
    dialog.GetOptions(&options);
    static constexpr struct {
        DWORD flag;
        FILEOPENDIALOGOPTIONS option;
    } kEquivalents[] = {
        {OFN_FILEMUSTEXIST, FOS_FILEMUSTEXIST},
        {OFN_OVERWRITEPROMPT, FOS_OVERWRITEPROMPT},
    };
    for (const auto& equivalent : kEquivalents) {
        if ((flags & equivalent.flag) != 0) {
            options |= equivalent.option;
        } else {
            options &= ~equivalent.option;
        }
    }
    // What a classic chooser does unless a flag the program never passes asks
    // otherwise: the current folder follows the user's choice (a typed bare
    // output name lands there), and the chooser leaves a missing folder or a
    // read-only file for the program to report.
    options &= ~(FOS_NOCHANGEDIR | FOS_PATHMUSTEXIST | FOS_NOREADONLYRETURN);
    dialog.SetOptions(options | FOS_FORCEFILESYSTEM);
}

// The chooser's file types from the classic filter: pairs of name and
// pattern, NUL-separated; the one at filterIndex (from 1) is chosen.
void SetFileTypes(IFileDialog& dialog, const char* filter, DWORD filterIndex) {
    std::vector<std::wstring> texts;
    for (const char* entry = filter; entry != nullptr && *entry != '\0';
         entry += std::char_traits<char>::length(entry) + 1) {
        texts.push_back(Widen(entry));
    }
    std::vector<COMDLG_FILTERSPEC> types;
    for (std::size_t i = 0; i + 1 < texts.size(); i += 2) {
        types.push_back({texts[i].c_str(), texts[i + 1].c_str()});
    }
    if (!types.empty()) {
        dialog.SetFileTypes(static_cast<UINT>(types.size()), types.data());
        dialog.SetFileTypeIndex(filterIndex != 0 ? filterIndex : 1);
    }
}

// Where the chooser opens: the folder of the start path, when there is one.
void SetStartFolder(IFileDialog& dialog, const char* startPath) {
    if (CComPointer<IShellItem> folder;
        startPath != nullptr && *startPath != '\0' && MakeStartFolder(Widen(startPath), &folder)) {
        dialog.SetFolder(folder.Get());
    }
}

// The window that owns the chooser: the one given in the structure, else the
// parent, else the main window.
HWND ChooserOwner(HWND owner, const CWnd* parent) {
    if (owner == nullptr && parent != nullptr) {
        owner = parent->GetSafeHwnd();
    }
    const CWnd* mainWnd = AfxGetMainWnd();
    return owner == nullptr && mainWnd != nullptr ? mainWnd->GetSafeHwnd() : owner;
}

// The file the user chose, as a file system path; nothing when there is none.
std::optional<std::wstring> ChosenPath(IFileDialog& dialog) {
    CComPointer<IShellItem> result;
    PWSTR path = nullptr;
    if (FAILED(dialog.GetResult(&result)) ||
        FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        return std::nullopt;
    }
    std::wstring chosen = path;
    ::CoTaskMemFree(path);
    return chosen;
}

} // namespace

std::wstring FolderOfFilePath(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return {};
    }
    std::wstring folder = path.substr(0, separator);
    if (folder.size() == 2 && folder[1] == L':') {
        folder += L'\\';
    }
    return folder;
}

std::wstring WithDefaultExtension(const std::wstring& path, const std::wstring& extension) {
    const auto separator = path.find_last_of(L"\\/:");
    const auto nameStart = separator == std::wstring::npos ? 0 : separator + 1;
    if (extension.empty() || path.find(L'.', nameStart) != std::wstring::npos) {
        return path;
    }
    return path + L'.' + extension;
}

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExtension, const char* fileName,
                         DWORD flags, const char* filter, CWnd* pParentWnd)
    : m_bOpenFileDialog(openFileDialog), m_pParentWnd(pParentWnd) {
    if (defaultExtension != nullptr) {
        m_strDefaultExtension = defaultExtension;
    }
    if (fileName != nullptr) {
        m_strFileName = fileName;
    }
    if (filter != nullptr) {
        m_strFilter = filter;
        std::replace(m_strFilter.begin(), m_strFilter.end(), '|', '\0');
    }
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.Flags = flags;
    m_ofn.lpstrDefExt = defaultExtension != nullptr ? m_strDefaultExtension.c_str() : nullptr;
    m_ofn.lpstrFilter = filter != nullptr ? m_strFilter.c_str() : nullptr;
    m_ofn.nFilterIndex = 1;
}

INT_PTR CFileDialog::DoModal() {
    CComPointer<IFileDialog> dialog;
    if (FAILED(::CoCreateInstance(m_bOpenFileDialog ? CLSID_FileOpenDialog : CLSID_FileSaveDialog,
                                  nullptr, CLSCTX_INPROC_SERVER, IID_IFileDialog,
                                  dialog.AsVoid()))) {
        return IDCANCEL;
    }

    ApplyFlags(*dialog.Get(), m_ofn.Flags);
    SetFileTypes(*dialog.Get(), m_ofn.lpstrFilter, m_ofn.nFilterIndex);
    if (m_ofn.lpstrDefExt != nullptr) {
        dialog->SetDefaultExtension(Widen(m_ofn.lpstrDefExt).c_str());
    }
    if (!m_strFileName.empty()) {
        dialog->SetFileName(Widen(m_strFileName.c_str()).c_str());
    }
    SetStartFolder(*dialog.Get(), m_ofn.lpstrInitialDir);
    if (FAILED(dialog->Show(ChooserOwner(m_ofn.hwndOwner, m_pParentWnd)))) {
        return IDCANCEL;
    }

    std::optional<std::wstring> chosen = ChosenPath(*dialog.Get());
    if (!chosen) {
        return IDCANCEL;
    }
    if (m_ofn.lpstrDefExt != nullptr &&
        ::GetFileAttributesW(chosen->c_str()) == INVALID_FILE_ATTRIBUTES) {
        chosen = WithDefaultExtension(*chosen, Widen(m_ofn.lpstrDefExt));
    }
    m_strPathName = AnsiPath(*chosen);
    return IDOK;
}

} // namespace win32
