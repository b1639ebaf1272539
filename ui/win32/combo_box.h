#pragma once
// CComboBox: a drop-down list of a dialog.

#include "wnd.h"

#include <string>

namespace win32 {

class CComboBox : public CWnd {
public:
    // The position the item was put at, or CB_ERR / CB_ERRSPACE.
    int InsertString(int index, const std::string& text) const {
        return static_cast<int>(SendMsg(CB_INSERTSTRING, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(text.c_str())));
    }
    int GetCount() const { return static_cast<int>(SendMsg(CB_GETCOUNT)); }
    // CB_ERR (-1) when nothing is selected.
    int GetCurSel() const { return static_cast<int>(SendMsg(CB_GETCURSEL)); }
    // The text of item index; empty when there is no such item.
    std::string GetLBText(int index) const {
        const auto length = static_cast<int>(SendMsg(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)));
        if (length <= 0) {
            return {};
        }
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const auto copied = static_cast<int>(SendMsg(CB_GETLBTEXT, static_cast<WPARAM>(index),
                                                     reinterpret_cast<LPARAM>(text.data())));
        text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        return text;
    }
    int SetCurSel(int index) const {
        return static_cast<int>(SendMsg(CB_SETCURSEL, static_cast<WPARAM>(index)));
    }
};

} // namespace win32
