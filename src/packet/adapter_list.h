// The adapter-name list of the stand-in: which capture files it offers, and the list's byte layout.
#pragma once

#include <string>
#include <vector>

namespace packet {

struct AdapterEntry {
    std::string name;        // the capture file's path, which is what opening the adapter takes
    std::string description; // e.g. "Capture file eth-icmp-echo.pcap (Ethernet)"
};

// The items of a ';'-separated list, without empty ones.
std::vector<std::string> SplitPathList(const std::string& list);

// True for names ending in ".pcap" or ".pcapng" (any letter case): the files a folder contributes.
bool HasCaptureExtension(const std::string& fileName);

// The description of a readable capture file, or an empty text when the file is not one.
std::string DescribeCaptureFile(const std::string& path);

// Every name followed by a zero byte, one more zero byte, every description followed by a zero byte, one
// more zero byte. Empty for no entries.
std::string FormatAdapterNames(const std::vector<AdapterEntry>& entries);

} // namespace packet
