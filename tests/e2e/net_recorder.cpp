// A stand-in for programs that Brisklane starts (the client, the updater, a web browser): appends one line
// "<own path>|<arguments as received>" to the file named by BRISKLANE_RECORD_FILE, then ends.
#include "platform/module_path.h"

#include <windows.h>

#include <string>

int main() {
    char file[MAX_PATH] = {};
    if (GetEnvironmentVariableA("BRISKLANE_RECORD_FILE", file, sizeof file) == 0) {
        return 2;
    }
    const std::string self = platform::ModulePath();
    // The arguments: the command line after the program's own name (quoted or not) and the blanks after it.
    const char* line = GetCommandLineA();
    if (*line == '"') {
        ++line;
        while (*line != '\0' && *line != '"') {
            ++line;
        }
        if (*line == '"') {
            ++line;
        }
    } else {
        while (*line != '\0' && *line != ' ' && *line != '\t') {
            ++line;
        }
    }
    while (*line == ' ' || *line == '\t') {
        ++line;
    }
    const std::string record = self + "|" + line + "\n";
    // Several starts may record at once: retry while another one has the file open.
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE out = CreateFileA(file, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(out, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
            CloseHandle(out);
            return 0;
        }
        Sleep(20);
    }
    return 3;
}
