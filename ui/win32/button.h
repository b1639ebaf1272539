#pragma once
// CButton: a push button or check box of a dialog.

#include "wnd.h"

namespace win32 {

class CButton : public CWnd {
public:
    // BM_GETSTATE: the check state in the low two bits, plus the push and focus bits.
    UINT GetState() const { return static_cast<UINT>(SendMsg(BM_GETSTATE)); }
    int GetCheck() const { return static_cast<int>(SendMsg(BM_GETCHECK)); }
    // Sends no click notification.
    void SetCheck(int check) const { SendMsg(BM_SETCHECK, static_cast<WPARAM>(check)); }
};

} // namespace win32
