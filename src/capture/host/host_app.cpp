// The capture host's application: the capture window, or one headless capture printed as CSV.
#include "capture/host/host_app.h"

#include <winsock2.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "capture/host/console_capture.h"
#include "capture/host/host_options.h"
#include "capture/host/window_timing.h"

CSocketsSession::CSocketsSession() {
    WSADATA data{};
    m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

CSocketsSession::~CSocketsSession() {
    if (m_started) {
        (void)WSACleanup();
    }
}

BOOL CCaptureHostApp::InitInstance() {
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) {
        arguments.emplace_back(__argv[i]);
    }
    const capture::HostOptions options = capture::ParseHostOptions(arguments);
    if (!options.error.empty()) {
        (void)capture_host::WriteOutput((options.error + "\n" + capture::HostUsage()).c_str(), true);
        m_nExitCode = 1;
        return FALSE;
    }
    if (options.console) {
        m_nExitCode = capture_host::RunConsoleCapture(options);
        return FALSE;
    }

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    (void)InitCommonControlsEx(&controls);
    m_sockets.emplace();
    m_window = std::make_unique<CCaptureWindow>();
    if (!m_window->Create(true)) {
        m_nExitCode = 1;
        return FALSE;
    }
    if (!options.adapter.empty()) {
        m_window->SetAdapter(options.adapter);
    }
    if (!options.packetsOut.empty()) {
        m_window->SetPacketsFile(options.packetsOut);
    }
    m_pMainWnd = m_window.get();
    if (options.start && options.timing) {
        m_nExitCode = capture_host::TimeWindowCapture(*m_window); // the window has closed again
        return FALSE;
    }
    if (options.start) {
        (void)m_window->StartCapturing(); // a refusal has been shown; the window stays for another try
    }
    return TRUE;
}
