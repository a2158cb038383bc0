// The capture host run from outside: host folders and what the host prints and saves.
#include "capture_host.h"

#include <windows.h>

#include <algorithm>
#include <fstream>

#include "packet/pcap_reader.h"

namespace e2e {

HostFolder::HostFolder(const std::string& iniText) {
    for (const char* file : {"BrisklaneCapture.exe", "packet.dll"}) {
        CopyFileA((testsupport::BinDir() + "\\" + file).c_str(), File(file).c_str(), FALSE);
    }
    std::ofstream(File("BrisklaneCapture.ini"), std::ios::binary) << iniText;
}

std::string HostFolder::Ini() const {
    return capture_bytes::ReadText(File("BrisklaneCapture.ini"));
}

std::string ExpectedConsoleOutput(const std::string& captureName) {
    // A replay drops nothing, and the stand-in says so.
    return capture_bytes::ReferenceFlowCsv(captureName) + capture_bytes::ReferenceStatusLine(captureName) +
           "\nDropped: 0\n";
}

std::string CompareSavedPackets(const std::string& capture, const std::string& saved, uint32_t linkType) {
    packet::PcapReader original(packet::FileByteSource::Open(capture.c_str()));
    packet::PcapReader copy(packet::FileByteSource::Open(saved.c_str()));
    if (original.Open() != packet::PcapStatus::Ok) {
        return "the capture does not read: " + original.ErrorText();
    }
    if (copy.Open() != packet::PcapStatus::Ok) {
        return "the saved file does not read: " + copy.ErrorText();
    }
    if (copy.Header().linkType != linkType || copy.Header().nanosecond) {
        return "saved with link type " + std::to_string(copy.Header().linkType) +
               (copy.Header().nanosecond ? " and nanoseconds" : "");
    }
    for (;;) {
        packet::PcapRecord a;
        packet::PcapRecord b;
        const packet::PcapStatus first = original.Next(a);
        const packet::PcapStatus second = copy.Next(b);
        const std::string where = "record " + std::to_string(copy.RecordsRead());
        if (first != second) {
            return where + ": one file ends before the other";
        }
        if (first != packet::PcapStatus::Ok) {
            return "";
        }
        if (a.seconds != b.seconds || a.microseconds != b.microseconds || a.wireLength != b.wireLength ||
            a.capturedLength != b.capturedLength || !std::equal(a.data, a.data + a.capturedLength, b.data)) {
            return where + " differs";
        }
    }
}

} // namespace e2e
