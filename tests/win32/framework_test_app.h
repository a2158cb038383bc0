// The application object of the framework tests.
#pragma once

#include <windows.h>

#include "framework/framework.h"

// Command only the test application's command map knows.
constexpr UINT kAppOnlyCommand = 45001;

class FrameworkTestApp : public CWinApp {
public:
    int appCommands = 0;

protected:
    std::span<const fw::AppCommandEntry> GetCommandMap() const override;
};

FrameworkTestApp& TestApp();
