// The counts a live capture's writer reports about itself.
#include "packet/drop_report.h"

#include <charconv>

namespace packet {

namespace {

// The number that opens a count ending in suffix ("12 packets received by filter"); false when the text
// is not of that form.
bool CountOfLine(std::string_view line, std::string_view suffix, uint64_t& count) {
    if (line.size() <= suffix.size() || line.substr(line.size() - suffix.size()) != suffix) {
        return false;
    }
    // tcpdump writes "1 packet" and "2 packets"; both end in the suffix from " dropped ..." on.
    const auto parsed = std::from_chars(line.data(), line.data() + line.size(), count);
    return parsed.ec == std::errc() && parsed.ptr != line.data() && *parsed.ptr == ' ';
}

} // namespace

bool ParseLatestDropReport(std::string_view text, DropReport& report) {
    bool found = false;
    DropReport latest;
    uint64_t received = 0;
    bool haveReceived = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            break; // a line still being written
        }
        std::string_view line = text.substr(0, end);
        text = text.substr(end + 1);
        // At its end tcpdump writes one count a line; on SIGUSR1 all three on one line, after its name:
        // "tcpdump: 10 packets captured, 12 packets received by filter, 2 packets dropped by kernel".
        if (const std::size_t name = line.find(": "); name != std::string_view::npos) {
            line.remove_prefix(name + 2);
        }
        while (!line.empty()) {
            const std::size_t comma = line.find(',');
            std::string_view count = line.substr(0, comma);
            line = comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
            while (!count.empty() && count.front() == ' ') {
                count.remove_prefix(1);
            }
            while (!count.empty() && (count.back() == ' ' || count.back() == '\r')) {
                count.remove_suffix(1);
            }
            uint64_t value = 0;
            if (CountOfLine(count, " received by filter", value)) {
                received = value;
                haveReceived = true;
            } else if (CountOfLine(count, " dropped by kernel", value)) {
                latest.droppedByKernel = value;
                latest.receivedByFilter = haveReceived ? received : 0;
                haveReceived = false;
                found = true;
            }
        }
    }
    if (found) {
        report = latest;
    }
    return found;
}

} // namespace packet
