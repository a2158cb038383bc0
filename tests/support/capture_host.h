// The capture host's end-to-end tests: a folder of its own holding the host, the stand-in and an INI file,
// console runs with their output, and the reference tables of the shared captures as the host prints them.
#pragma once

#include <windows.h>

#include <string>

#include "files.h"

namespace capture_e2e {

using traffic_win32::DataPath;

// A temporary folder with BrisklaneCapture.exe, packet.dll and BrisklaneCapture.ini (the given text);
// removed with everything in it at the end.
class HostFolder {
public:
    explicit HostFolder(const std::string& iniText);
    const std::string& Path() const { return m_folder.Path(); }
    std::string Exe() const { return m_folder.File("BrisklaneCapture.exe"); }
    std::string File(const std::string& name) const { return m_folder.File(name); }
    std::string Write(const std::string& name, const traffic_test::Bytes& bytes) const {
        return m_folder.Write(name, bytes);
    }
    std::string Ini() const;

private:
    traffic_win32::TempFolder m_folder{"brisklane_capture"};
};

struct ConsoleRun {
    bool finished = false;
    DWORD exitCode = 0;
    std::string out;
    std::string err;
};

// Runs a program with the arguments in the given folder and collects both output streams.
ConsoleRun RunConsole(const std::string& exe, const std::string& folder, const std::string& arguments, DWORD timeoutMs);
// Runs the host with the arguments in its folder.
inline ConsoleRun RunHost(const HostFolder& folder, const std::string& arguments, DWORD timeoutMs) {
    return RunConsole(folder.Exe(), folder.Path(), arguments, timeoutMs);
}

// What the console prints for a shared capture: the reference flows (without the truncation column) and
// the status line with the reference totals.
std::string ExpectedConsoleOutput(const std::string& captureName);

// Compares a file of saved packets with the capture they came from: the same records (time stamps,
// lengths, bytes) in the same order, and the given link type. Empty when they agree, else the first
// difference.
std::string CompareSavedPackets(const std::string& capture, const std::string& saved, uint32_t linkType);

} // namespace capture_e2e
