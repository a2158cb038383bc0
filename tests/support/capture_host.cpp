// The capture host run from outside: host folders and what the host prints and saves.
#include "capture_host.h"

#include <windows.h>

#include <algorithm>
#include <fstream>

#include "packet/capture_format.h"
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
    return capture_bytes::ReferenceFlowCsv(captureName) + capture_bytes::ReferenceStatusLine(captureName) + "\n" +
           capture::FormatFramesLine(ReferenceFrameFigures(captureName)) + "\nDropped: 0\n"; // a replay drops nothing
}

capture::FrameFigures ReferenceFrameFigures(const std::string& captureName) {
    const auto totals = capture_bytes::ReadTotals(captureName);
    const uint64_t linkOffset = totals.at("link_header_length");
    packet::PcapReader reader(packet::FileByteSource::Open(capture_bytes::DataFile(captureName + ".pcap").c_str()));
    uint64_t notIpv4 = 0;
    packet::PcapRecord record;
    if (reader.Open() == packet::PcapStatus::Ok) {
        while (reader.Next(record) == packet::PcapStatus::Ok) {
            if (record.capturedLength > linkOffset && record.data[linkOffset] != 0x45) {
                ++notIpv4;
            }
        }
    }
    capture::FrameFigures figures;
    figures.read = totals.at("frames_total");
    figures.counted = static_cast<uint32_t>(totals.at("packetCount"));
    figures.headerNotBelowLength = totals.at("ignored_h_ge_l");
    figures.notIpv4 = notIpv4;
    figures.tooShort = totals.at("frames_total") - totals.at("frames_counted") - notIpv4;
    return figures;
}

std::string PcapngCorpusPath(const std::string& captureName) {
    std::string path = std::string("Z:") + BRISKLANE_PCAPNG_DIR + "/" + captureName + ".pcapng";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string CompareSavedPackets(const std::string& capture, const std::string& saved, uint32_t linkType) {
    // The capture in either format; what was saved must be classic libpcap.
    const std::unique_ptr<packet::CaptureReader> original = packet::OpenCaptureFile(capture.c_str());
    packet::PcapReader copy(packet::FileByteSource::Open(saved.c_str()));
    if (original == nullptr) {
        return "the capture does not read";
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
        const packet::PcapStatus first = original->Next(a);
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
