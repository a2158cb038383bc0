// The capture host's application: the capture window, or one headless capture printed as CSV.
#pragma once

#include <memory>
#include <optional>

#include "capture/host/capture_window.h"
#include "framework/win_app.h"

// Windows Sockets from construction to destruction: the host's reverse name lookups need them.
class CSocketsSession {
public:
    CSocketsSession();
    ~CSocketsSession();
    CSocketsSession(const CSocketsSession&) = delete;
    CSocketsSession& operator=(const CSocketsSession&) = delete;

private:
    bool m_started = false;
};

class CCaptureHostApp : public CWinApp {
public:
    BOOL InitInstance() override;

private:
    // Before the window: its resolver thread has ended by the time the sockets are cleaned up.
    std::optional<CSocketsSession> m_sockets;
    std::unique_ptr<CCaptureWindow> m_window;
};
