#pragma once
// Where the process looks for a DLL that is loaded by its name alone. Windows
// looks in the program's own folder first and in the current folder later, so
// a DLL planted beside a program run from the downloads folder would be loaded
// in place of the system's own. The entry point limits the search before
// anything else runs.

namespace win32 {

// Takes the current folder out of the search (SetDllDirectoryW with an empty
// text). False when the system refused.
bool RemoveCurrentFolderFromDllSearch();

// Limits the search to the system folder (SetDefaultDllDirectories with
// LOAD_LIBRARY_SEARCH_SYSTEM32), which takes the program's folder and the
// current folder out. Looked up at run time: Windows 7 has it only with update
// KB2533623. Left out on Windows Vista, whose shell objects then fail to
// load. False when the search stays as it was.
bool LimitDllSearchToSystemFolder();

// Both of the above; false when either stays as it was.
bool LimitDllSearch();

} // namespace win32
