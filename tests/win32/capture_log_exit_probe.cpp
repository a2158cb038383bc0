// A program with the process-wide settings and log: opens the log once, writes what it saw to the file
// named by its argument and ends, so that a test can read the settings its exit saved.
#include "capture/log/log_file.h"
#include "capture/settings/settings.h"
#include "framework/message_box.h"

#include <windows.h>

#include <cstdio>
#include <string>

CSettings theSettings;

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    std::FILE* report = std::fopen(argv[1], "wb");
    if (report == nullptr) {
        return 3;
    }
    fw::SetMessageBoxHook(
        [report](HWND owner, const std::string& text, const std::string& caption, unsigned int style) {
            std::fprintf(report, "box: %s %u %s%s\n", caption.c_str(), style, text.c_str(),
                         owner == nullptr ? "" : " (with an owner)");
            return IDOK;
        });
    OpenLogFile("a+");
    std::fprintf(report, "open: %d uselogfile: %d\n", logFile.IsOpen() ? 1 : 0, theSettings.uselogfile);
    CloseLogFile();
    fw::SetMessageBoxHook(nullptr);
    std::fclose(report);
    return 0;
}
