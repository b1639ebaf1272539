#pragma once
// The application: shows the main dialog and ends when it closes.

#include "win32/win_app.h"

class CVelmoraApp : public CWinApp {
public:
    CVelmoraApp();

    BOOL InitInstance() override;

protected:
    std::span<const CommandMapEntry> GetCommandMap() const override;
};
