#pragma once
// The application: shows the main dialog and ends when it closes.

#include "win32/win_app.h"

class CVelmoraApp : public win32::CWinApp {
public:
    CVelmoraApp();

    BOOL InitInstance() override;

protected:
    std::span<const win32::CommandMapEntry> GetCommandMap() const override;
};
