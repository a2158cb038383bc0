// The adapter-name list of the stand-in: which capture files it offers, and the list's byte layout.
#include "packet/adapter_list.h"

#include <cctype>

#include "packet/capture_format.h"
#include "packet/link_types.h"

namespace packet {

std::vector<std::string> SplitPathList(const std::string& list) {
    std::vector<std::string> items;
    std::string::size_type start = 0;
    while (start <= list.size()) {
        std::string::size_type end = list.find(';', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        if (end > start) {
            items.push_back(list.substr(start, end - start));
        }
        start = end + 1;
    }
    return items;
}

bool HasCaptureExtension(const std::string& fileName) {
    for (const std::string extension : {".pcap", ".pcapng"}) {
        if (fileName.size() <= extension.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t i = 0; i < extension.size() && same; ++i) {
            const auto c = static_cast<unsigned char>(fileName[fileName.size() - extension.size() + i]);
            same = std::tolower(c) == extension[i];
        }
        if (same) {
            return true;
        }
    }
    return false;
}

std::string DescribeCaptureFile(const std::string& path) {
    const std::unique_ptr<CaptureReader> reader = OpenCaptureFile(path.c_str());
    if (reader == nullptr) {
        return {};
    }
    const std::string::size_type slash = path.find_last_of("\\/");
    const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    char unnamed[32];
    return "Capture file " + fileName + " (" + LinkTypeName(reader->Header().linkType, unnamed, sizeof unnamed) + ")";
}

std::string FormatAdapterNames(const std::vector<AdapterEntry>& entries) {
    if (entries.empty()) {
        return {};
    }
    std::string block;
    for (const AdapterEntry& entry : entries) {
        block += entry.name;
        block += '\0';
    }
    block += '\0';
    for (const AdapterEntry& entry : entries) {
        block += entry.description;
        block += '\0';
    }
    block += '\0';
    return block;
}

} // namespace packet
