#pragma once
// CButton: a push button or check box of a dialog.

#include "wnd.h"

class CButton : public CWnd {
public:
    // BM_GETSTATE: the check state in the low two bits, plus the push and focus bits.
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    // Sends no click notification.
    void SetCheck(int check) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
};
