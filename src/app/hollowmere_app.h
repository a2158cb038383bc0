// CHollowmereApp: prepares the process and runs the main dialog for the whole life of the program.
#pragma once

#include "framework/win_app.h"

class CHollowmereApp : public CWinApp {
public:
    CHollowmereApp() = default;

    // Always FALSE, once the main dialog has ended: there is no message loop of the application's own.
    BOOL InitInstance() override;
    // Releases the skin layer; the base class's result becomes the process exit code.
    int ExitInstance() override;

protected:
    std::span<const fw::AppCommandEntry> GetCommandMap() const override;
};
