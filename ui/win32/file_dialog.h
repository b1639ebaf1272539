#pragma once
// CFileDialog: the system's file chooser in its Explorer (Windows Vista)
// style. The arguments are those of the classic OPENFILENAME structure, kept
// in m_ofn so a caller can adjust them (start folder: lpstrInitialDir) before
// DoModal; they are translated to the chooser's options when it is shown.
// The chooser is a COM object: the thread has COM initialised (the program's
// entry point does so for the user-interface thread).

#include "wnd.h"

#include <string>

namespace win32 {

// The folder part of a file's path: C:\dane for C:\dane\punkty.txt, the root
// C:\ for C:\punkty.txt; empty when the path has no folder part.
std::wstring FolderOfFilePath(const std::wstring& path);

// path with "." and extension appended when its file name has no extension
// of its own: C:\dane\wynik with "wsd" is C:\dane\wynik.wsd.
std::wstring WithDefaultExtension(const std::wstring& path, const std::wstring& extension);

class CFileDialog {
public:
    // filter: "Name|pattern|...|" pairs ending in "||"; copied.
    explicit CFileDialog(BOOL openFileDialog, const char* defaultExtension = nullptr,
                         const char* fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         const char* filter = nullptr, CWnd* pParentWnd = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when a file was chosen, IDCANCEL otherwise (also when the chooser
    // cannot be shown). A name chosen without an extension that names no file
    // gets the default extension, whether or not the chooser added it.
    INT_PTR DoModal();

    // The chosen file's full path in the ANSI code page.
    std::string GetPathName() const { return m_strPathName; }

    OPENFILENAMEA m_ofn{};

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    std::string m_strDefaultExtension;
    std::string m_strFileName;
    std::string m_strFilter; // the filter with '|' turned into NUL
    std::string m_strPathName;
};

} // namespace win32
