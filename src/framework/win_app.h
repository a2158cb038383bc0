// CWinApp: the one application object; the entry point runs it. Also the application-wide helpers.
#pragma once

#include <windows.h>

#include <span>
#include <string>

class CWnd;
class CWinApp;

namespace fw {
// One entry of an application's command map: a command id and the member that handles it.
struct AppCommandEntry {
    UINT id;
    void (*call)(CWinApp& app);
};
} // namespace fw

class CWinApp {
public:
    // Registers this object as the application; there is exactly one.
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    std::string m_strAppName;     // the executable's file name without extension
    std::string m_strRegistryKey; // set by SetRegistryKey; the program keeps no values there

    // Returning FALSE skips the message loop: the entry point then calls ExitInstance and ends.
    virtual BOOL InitInstance() { return TRUE; }
    // Its result is the process exit code.
    virtual int ExitInstance() { return m_nExitCode; }
    // The message loop, for an application whose InitInstance returns TRUE; ExitInstance's result.
    virtual int Run();

    HICON LoadIcon(UINT resourceId) const {
        return ::LoadIconA(m_hInstance != nullptr ? m_hInstance : ::GetModuleHandleA(nullptr),
                           MAKEINTRESOURCEA(resourceId));
    }
    void SetRegistryKey(const char* key) { m_strRegistryKey = key != nullptr ? key : ""; }

    // Commands that no window handled; true when the application's command map has the id.
    bool OnCmdMsg(UINT id);
    bool HasCommand(UINT id) const { return FindCommand(id) != nullptr; }

    // The standard Help command. No help file ships with the program, so it does nothing.
    void OnHelp() {}

protected:
    virtual std::span<const fw::AppCommandEntry> GetCommandMap() const { return {}; }

    // ExitInstance's result: the quit code that ended Run, or what the application sets.
    int m_nExitCode = 0;

private:
    const fw::AppCommandEntry* FindCommand(UINT id) const;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The application's title: the caption of its message boxes.
const char* AfxGetAppName();

// Sets the application's instance handle and title; the entry point does this before InitInstance.
[[nodiscard]] bool AfxWinInit(HINSTANCE instance);

// The application's message box: the title as caption; OK boxes without an icon get the warning icon.
int AfxMessageBox(const char* text, UINT style = MB_OK);
inline int AfxMessageBox(const std::string& text, UINT style = MB_OK) {
    return AfxMessageBox(text.c_str(), style);
}

// Dialogs of this program host no ActiveX controls; kept as the start-up step that enables hosting.
inline void AfxEnableControlContainer() {}

// Standard command identifier of Help.
constexpr UINT ID_HELP = 0xE146;
