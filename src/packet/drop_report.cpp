// The counts a live capture's writer reports about itself.
#include "packet/drop_report.h"

#include <charconv>

namespace packet {

namespace {

// The number that opens a line ending in suffix; false when the line is not of that form.
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
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (end == std::string_view::npos) {
            break; // a line still being written
        }
        uint64_t count = 0;
        if (CountOfLine(line, " received by filter", count)) {
            received = count;
            haveReceived = true;
        } else if (CountOfLine(line, " dropped by kernel", count)) {
            latest.droppedByKernel = count;
            latest.receivedByFilter = haveReceived ? received : 0;
            haveReceived = false;
            found = true;
        }
    }
    if (found) {
        report = latest;
    }
    return found;
}

} // namespace packet
