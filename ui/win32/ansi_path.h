#pragma once
// Paths the system gives in UTF-16, in the ANSI code page that the program's
// file functions take.

#include "win32.h"

#include <string>

namespace win32 {

// path in the ANSI code page. A name with characters the code page lacks is
// given as its short (8.3) form where the file system has one.
std::string AnsiPath(const std::wstring& path);

// The path of file index of a drop (WM_DROPFILES), as AnsiPath gives it;
// empty when the drop holds no such file.
std::string DragQueryPath(HDROP drop, UINT index);

} // namespace win32
