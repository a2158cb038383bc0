// The capture host run from outside: a folder of its own holding the host, the stand-in and an INI file,
// console runs, and the reference tables of the test captures as the host prints them.
#pragma once

#include <cstdint>
#include <string>

#include "capture/engine/frame_account.h"
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

// What the console prints for a test capture: the reference flows (without the truncation column), the
// status line with the reference totals, the Frames line of ReferenceFrameFigures, and that a replay dropped
// nothing.
[[nodiscard]] std::string ExpectedConsoleOutput(const std::string& captureName);

// The frame account of a real capture from its reference totals: read (frames_total), counted
// (packetCount) and ignored (ignored_h_ge_l). The reference counts the frames its frame rule skips together;
// those whose byte at the link offset is there and is not 0x45 are "not IPv4", the rest too short. No frame
// is filtered out or of another link type.
[[nodiscard]] capture::FrameFigures ReferenceFrameFigures(const std::string& captureName);

// A real capture converted to pcapng when the tests ran, as a path the programs under Wine open.
[[nodiscard]] std::string PcapngCorpusPath(const std::string& captureName);

// Compares a file of saved packets with the capture they came from: the same records (time stamps,
// lengths, bytes) in the same order, and the given link type. Empty when they agree, else the first
// difference.
[[nodiscard]] std::string CompareSavedPackets(const std::string& capture, const std::string& saved, uint32_t linkType);

} // namespace e2e
