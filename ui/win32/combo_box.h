#pragma once
// CComboBox: a drop-down list of a dialog.

#include "wnd.h"

#include <string>

class CComboBox : public CWnd {
public:
    // The position the item was put at, or CB_ERR / CB_ERRSPACE.
    int InsertString(int index, const std::string& text) const {
        return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(text.c_str())));
    }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    // CB_ERR (-1) when nothing is selected.
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) const {
        return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)));
    }
};
