// The rules of the Network Interface list: row text, which rows are listed, counter text, item-to-row map.
#include "net/interface_rows.h"

#include <cstdio>
#include <cstring>

namespace net {

std::string FormatInterfaceInfo(const unsigned char* description, size_t capacity, uint32_t speed) {
    size_t length = 0;
    if (description != nullptr) {
        const void* end = std::memchr(description, 0, capacity);
        length = end != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(end) - description) : capacity;
    }
    if (length > kDescriptionCut) {
        length = kDescriptionCut;
    }
    std::string cut;
    if (length > 0) {
        cut.assign(reinterpret_cast<const char*>(description), length);
    }
    char tail[32];
    std::snprintf(tail, sizeof tail, " %d %s", static_cast<int32_t>(speed >> 20), "Mb");
    return " " + cut + tail;
}

bool IsListedInterface(const std::string& info) noexcept {
    if (info.compare(0, 5, " WAN ") == 0) {
        return false;
    }
    if (info.compare(0, 8, " isatap.") == 0) {
        return false;
    }
    return info.find("Loopback") == std::string::npos;
}

std::string FormatOctets(uint32_t octets) {
    char text[16];
    std::snprintf(text, sizeof text, " %u ", static_cast<unsigned>(octets));
    return text;
}

std::optional<size_t> RowOfItem(const int32_t* rowOfItem, size_t listed, int32_t item, uint32_t numEntries) noexcept {
    if (rowOfItem == nullptr || item < 0 || static_cast<size_t>(item) >= listed ||
        static_cast<size_t>(item) >= kMaxListedInterfaces) {
        return std::nullopt;
    }
    const int32_t row = rowOfItem[item];
    if (row < 0 || static_cast<uint32_t>(row) >= numEntries) {
        return std::nullopt;
    }
    return static_cast<size_t>(row);
}

int32_t ChooseTrafficInterface(const std::vector<ListedInterface>& listed,
                               std::optional<uint32_t> defaultRouteIfIndex) {
    if (defaultRouteIfIndex) {
        for (size_t item = 0; item < listed.size(); ++item) {
            if (listed[item].ifIndex == *defaultRouteIfIndex) {
                return static_cast<int32_t>(item);
            }
        }
    }
    std::optional<size_t> busiest;
    for (size_t item = 0; item < listed.size(); ++item) {
        if (listed[item].loopback) {
            continue;
        }
        if (!busiest || listed[item].octets > listed[*busiest].octets) {
            busiest = item;
        }
    }
    return busiest ? static_cast<int32_t>(*busiest) : 0;
}

} // namespace net
