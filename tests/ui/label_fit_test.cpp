// Every static label of the program's own dialogs shows whole in the dialog's
// font: the templates are read from the built Velmora.exe, the dialogs created
// (hidden) in this process, and each label's text laid out as the static
// control lays it out.

#include "resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Text statics only (not icons, frames or pictures).
bool IsTextLabel(HWND control) {
    char className[16] = {};
    ::GetClassNameA(control, className, sizeof className);
    const LONG type = ::GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    return std::string(className) == "Static" &&
           (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
}

void ExpectLabelsFit(HMODULE program, int dialogId) {
    const HWND dialog =
        ::CreateDialogParamA(program, MAKEINTRESOURCEA(dialogId), nullptr, &NoDialogProc, 0);
    ASSERT_NE(dialog, nullptr) << "dialog " << dialogId;
    int labels = 0;
    for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        if (!IsTextLabel(control)) {
            continue;
        }
        ++labels;
        char text[256] = {};
        ::GetWindowTextA(control, text, sizeof text);
        RECT client = {};
        ::GetClientRect(control, &client);
        const HDC dc = ::GetDC(control);
        const HGDIOBJ old =
            ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
        // As the static control draws it: words wrapped at its width.
        const UINT prefix = (::GetWindowLongA(control, GWL_STYLE) & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        RECT needed = {0, 0, client.right, 0};
        ::DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | prefix);
        ::SelectObject(dc, old);
        ::ReleaseDC(control, dc);
        EXPECT_LE(needed.right, client.right) << "dialog " << dialogId << ": \"" << text << "\"";
        EXPECT_LE(needed.bottom, client.bottom)
            << "dialog " << dialogId << ": \"" << text << "\" wraps to " << needed.bottom
            << " px in a label " << client.bottom << " px high";
    }
    EXPECT_GT(labels, 0) << "dialog " << dialogId;
    ::DestroyWindow(dialog);
}

TEST(LabelFit, EveryLabelOfBothDialogsShowsWhole) {
    const HMODULE program = ::LoadLibraryExA(
        VELMORA_PROGRAM, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr) << VELMORA_PROGRAM;
    ExpectLabelsFit(program, IDD_MAIN_DIALOG);
    ExpectLabelsFit(program, IDD_ABOUTBOX);
    ::FreeLibrary(program);
}

} // namespace
