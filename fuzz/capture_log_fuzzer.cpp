// Fuzzes the log writer: any captured bytes, total length, header size and log type make one record,
// which must stay within the captured bytes and keep every text line ended by CR LF.
#include "capture/log/log_format.h"
#include "capture/log/memory_log_sink.h"
#include "capture/log/protocol_names.h"
#include "capture/log/traffic_log.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The text layouts never write a bare CR or LF: the text column turns both into spaces.
void CheckLineEnds(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            std::abort();
        }
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) {
        return 0;
    }
    FillUnknownProtocolNames();
    const int32_t logType = static_cast<int8_t>(data[0]) % 9; // -8..8: the out-of-range types too
    const uint32_t headerSize = data[1];
    const bool lengthFromHeader = (data[2] & 1) != 0;
    const uint32_t otherLength = static_cast<uint32_t>(data[3]) * 7;
    // The datagram alone, exactly sized, so any read beyond the captured bytes is caught.
    const std::vector<uint8_t> datagram(data + 4, data + size);
    const auto captured = static_cast<uint32_t>(datagram.size());
    const uint32_t length =
        lengthFromHeader && captured >= 4 ? static_cast<uint32_t>(datagram[2] << 8 | datagram[3]) : otherLength;

    std::string record;
    const capture::LocalTime time{2024, 2, 29, 23, 59, 59, 999};
    capture::AppendLogRecord(record, time, logType, datagram.data(), length, captured, headerSize);
    const capture::LogLayout layout = capture::LayoutOfLogType(logType);
    if (layout.body != capture::LogBody::Raw) {
        CheckLineEnds(record);
    }

    // The same through the log file, with a small limit so that emptying happens often.
    auto memory = std::make_unique<capture::MemoryLogSink>();
    capture::MemoryLogSink* sink = memory.get();
    sink->keepAtMost = 1 << 16;
    capture::TrafficLog log(
        std::move(memory), [&] { return time; }, nullptr);
    capture::SettingsValues settings;
    settings.uselogfile = 1;
    settings.logtype = logType;
    log.OpenLogFile(settings, "a+");
    for (int i = 0; i < 3; ++i) {
        log.WriteLogRecord(settings, 300, datagram.data(), length, captured, headerSize);
    }
    if (record.size() > 300 && sink->contents != record) {
        std::abort(); // past the limit, every record starts the file afresh
    }
    return 0;
}
