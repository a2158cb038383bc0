// The adapter-name list of the stand-in: which capture files it offers, and the list's byte layout.
#include "packet/adapter_list.h"

#include <cctype>

#include "packet/link_types.h"
#include "packet/pcap_reader.h"

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
    static constexpr char kExtension[] = ".pcap";
    constexpr std::size_t length = sizeof kExtension - 1;
    if (fileName.size() <= length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(fileName[fileName.size() - length + i]);
        if (std::tolower(c) != kExtension[i]) {
            return false;
        }
    }
    return true;
}

std::string DescribeCaptureFile(const std::string& path) {
    std::unique_ptr<FileByteSource> source = FileByteSource::Open(path.c_str());
    if (source == nullptr) {
        return {};
    }
    PcapReader reader(std::move(source));
    if (reader.Open() != PcapStatus::Ok) {
        return {};
    }
    const std::string::size_type slash = path.find_last_of("\\/");
    const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    char unnamed[32];
    return "Capture file " + fileName + " (" + LinkTypeName(reader.Header().linkType, unnamed, sizeof unnamed) + ")";
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
