// The capture host's application: the capture window, or one headless capture printed as CSV.
#pragma once

#include <memory>

#include "capture/host/capture_window.h"
#include "framework/win_app.h"

class CCaptureHostApp : public CWinApp {
public:
    BOOL InitInstance() override;

private:
    std::unique_ptr<CCaptureWindow> m_window;
};
