// The capture log: one file, opened when capture starts, emptied when it outgrows its limit, and one
// record per counted datagram in the layout that the log type chooses.
#pragma once

#include "capture/log/log_format.h"
#include "capture/settings/settings_values.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace capture {

// Where the log's bytes go. Bytes are stored exactly as given: the formatter writes its own CR LF line
// ends, and raw bodies keep the datagram's bytes unchanged.
class LogSink {
public:
    virtual ~LogSink() = default;
    // emptyFirst: start the file empty ("w+"); otherwise keep what it holds and append ("a+").
    [[nodiscard]] virtual bool Open(const char* path, bool emptyFirst) = 0;
    virtual void Close() = 0;
    [[nodiscard]] virtual bool IsOpen() const = 0;
    // What the file held when opened plus every byte written since.
    [[nodiscard]] virtual int64_t Position() const = 0;
    // A failed write (a full disk) loses the bytes silently.
    virtual void Write(const char* data, std::size_t size) = 0;
};

// The log as a file, opened in binary mode.
class StdioLogSink final : public LogSink {
public:
    StdioLogSink() = default;
    ~StdioLogSink() override;
    StdioLogSink(const StdioLogSink&) = delete;
    StdioLogSink& operator=(const StdioLogSink&) = delete;

    [[nodiscard]] bool Open(const char* path, bool emptyFirst) override;
    void Close() override;
    [[nodiscard]] bool IsOpen() const override { return m_file != nullptr; }
    [[nodiscard]] int64_t Position() const override { return m_position; }
    void Write(const char* data, std::size_t size) override;

private:
    std::FILE* m_file = nullptr;
    int64_t m_position = 0;
};

using LocalTimeSource = std::function<LocalTime()>;
// Shows the text of a log that cannot be opened (a message box in the program).
using LogWarning = std::function<void(const std::string& text)>;

// "Cannot open log file \"PATH\" for writing!..." as the warning shows it.
std::string LogOpenWarningText(const char* path);

class TrafficLog {
public:
    TrafficLog(std::unique_ptr<LogSink> sink, LocalTimeSource now, LogWarning warn);
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;

    // mode "a+" appends to the file named by settings.logfile, "w+" empties it. Does nothing while
    // settings.uselogfile is 0. When the file cannot be opened: shows the warning and clears uselogfile,
    // so that logging stays off for the rest of the run and in the saved settings.
    void OpenLogFile(SettingsValues& settings, const char* mode);
    void CloseLogFile();
    [[nodiscard]] bool IsOpen() const { return m_sink->IsOpen(); }

    // One record, written with one call: size check, head, then the body of settings.logtype. The
    // datagram's arguments are those of AppendLogRecord: captured bounds every byte read.
    void WriteLogRecord(SettingsValues& settings, int32_t sizeLimit, const uint8_t* datagram, uint32_t length,
                        uint32_t captured, uint32_t headerSize);

    // Empties the log (reopens it with "w+") once it holds more than sizeLimit bytes.
    void CheckLogSize(SettingsValues& settings, int32_t sizeLimit);

    // The parts of a record, each written on its own.
    void WriteRecordHead(const uint8_t* datagram, uint32_t captured);
    void WriteHexDump(const uint8_t* bytes, uint32_t count);
    void WriteHexTextDump(const uint8_t* bytes, uint32_t count);
    void WriteRaw(const uint8_t* bytes, uint32_t count);

private:
    LocalTime Now() const;
    void WriteText();

    std::unique_ptr<LogSink> m_sink;
    LocalTimeSource m_now;
    LogWarning m_warn;
    std::string m_text; // reused for every record, so that it stops allocating once it has grown
};

} // namespace capture
