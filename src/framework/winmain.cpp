// The program's entry point: runs the one application object.
#include "framework/win_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr || !AfxWinInit(instance)) {
        return 1;
    }
    int exitCode = 0;
    try {
        if (!app->InitInstance()) {
            exitCode = app->ExitInstance();
        } else {
            exitCode = app->Run();
        }
    } catch (...) {
        exitCode = 1;
    }
    return exitCode;
}
