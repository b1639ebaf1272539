#pragma once
// CButton: a push button or check box of a dialog.

#include "wnd.h"

namespace win32 {

class CButton : public CWnd {
public:
    // BM_GETCHECK: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int GetCheck() const { return static_cast<int>(SendMsg(BM_GETCHECK)); }
    // Sends no click notification.
    void SetCheck(int check) const { SendMsg(BM_SETCHECK, static_cast<WPARAM>(check)); }
};

} // namespace win32
