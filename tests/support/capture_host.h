// The capture host run from outside: a folder of its own holding the host, the stand-in and an INI file,
// console runs, and the reference tables of the test captures as the host prints them.
#pragma once

#include <cstdint>
#include <string>

#include "e2e_harness.h"
#include "files.h"

namespace e2e {

// A temporary folder with BrisklaneCapture.exe, packet.dll and BrisklaneCapture.ini (the given text);
// removed with everything in it at the end.
class HostFolder {
public:
    explicit HostFolder(const std::string& iniText);
    [[nodiscard]] const std::string& Path() const { return folder_.Path(); }
    [[nodiscard]] std::string Exe() const { return folder_.File("BrisklaneCapture.exe"); }
    [[nodiscard]] std::string File(const std::string& name) const { return folder_.File(name); }
    std::string Write(const std::string& name, const capture_bytes::Bytes& bytes) const {
        return folder_.Write(name, bytes);
    }
    [[nodiscard]] std::string Ini() const;

private:
    testsupport::TempFolder folder_{"capture_host"};
};

// Runs the host with the arguments in its folder.
[[nodiscard]] inline ConsoleRun RunHost(const HostFolder& folder, const std::string& arguments, DWORD timeoutMs) {
    return RunConsole(folder.Exe(), folder.Path(), arguments, timeoutMs);
}

// What the console prints for a test capture: the reference flows (without the truncation column) and
// the status line with the reference totals.
[[nodiscard]] std::string ExpectedConsoleOutput(const std::string& captureName);

// Compares a file of saved packets with the capture they came from: the same records (time stamps,
// lengths, bytes) in the same order, and the given link type. Empty when they agree, else the first
// difference.
[[nodiscard]] std::string CompareSavedPackets(const std::string& capture, const std::string& saved, uint32_t linkType);

} // namespace e2e
