#pragma once
// CEdit: an edit box of a dialog.

#include "wnd.h"

namespace win32 {

class CEdit : public CWnd {
public:
    // Selects characters start to end (-1 for end: to the end; start -1: no
    // selection) and, unless told not to, scrolls the caret into view.
    void SetSel(int start, int end, BOOL noScroll = FALSE) const {
        SendMsg(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
        if (!noScroll) {
            SendMsg(EM_SCROLLCARET);
        }
    }
};

} // namespace win32
