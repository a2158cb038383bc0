// The capture log's file handling: open and empty it, and write formatted records in one call each.
#include "capture/log/traffic_log.h"

#include <cstring>
#include <utility>

namespace capture {

namespace {

constexpr std::size_t kStreamBuffer = 64 * 1024;

int64_t EndOfFile(std::FILE* file) {
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0) {
        return 0;
    }
    const int64_t end = _ftelli64(file);
#else
    if (fseeko(file, 0, SEEK_END) != 0) {
        return 0;
    }
    const int64_t end = ftello(file);
#endif
    return end < 0 ? 0 : end;
}

} // namespace

StdioLogSink::~StdioLogSink() {
    Close();
}

bool StdioLogSink::Open(const char* path, bool emptyFirst) {
    Close();
    m_file = std::fopen(path, emptyFirst ? "wb" : "ab");
    if (m_file == nullptr) {
        return false;
    }
    (void)std::setvbuf(m_file, nullptr, _IOFBF, kStreamBuffer);
    // Where an append stream reports its position before the first write differs between C libraries;
    // the size rule needs the file's real size.
    m_position = emptyFirst ? 0 : EndOfFile(m_file);
    return true;
}

void StdioLogSink::Close() {
    if (m_file != nullptr) {
        (void)std::fclose(m_file);
        m_file = nullptr;
    }
    m_position = 0;
}

void StdioLogSink::Write(const char* data, std::size_t size) {
    if (m_file == nullptr || size == 0) {
        return;
    }
    (void)std::fwrite(data, 1, size, m_file);
    m_position += static_cast<int64_t>(size);
}

std::string LogOpenWarningText(const char* path) {
    std::string text = "Cannot open log file \"";
    text += path;
    text += "\" for writing!\r\nThe logging will be disabled.\r\nYou could enable it from the Settings.";
    return text;
}

TrafficLog::TrafficLog(std::unique_ptr<LogSink> sink, LocalTimeSource now, LogWarning warn)
    : m_sink(std::move(sink)), m_now(std::move(now)), m_warn(std::move(warn)) {}

void TrafficLog::OpenLogFile(SettingsValues& settings, const char* mode) {
    if (settings.uselogfile == 0) {
        return;
    }
    // The path field is fixed-size; never trust it to be terminated.
    const std::string path(settings.logfile, strnlen(settings.logfile, sizeof settings.logfile));
    const bool emptyFirst = std::strcmp(mode, "w+") == 0;
    if (!m_sink->Open(path.c_str(), emptyFirst)) {
        if (m_warn) {
            m_warn(LogOpenWarningText(path.c_str()));
        }
        StoreShared(settings.uselogfile, 0); // the host's window shows the switch
    }
}

void TrafficLog::CloseLogFile() {
    m_sink->Close();
}

void TrafficLog::CheckLogSize(SettingsValues& settings, int32_t sizeLimit) {
    if (m_sink->IsOpen() && m_sink->Position() > sizeLimit) {
        CloseLogFile();
        OpenLogFile(settings, "w+");
    }
}

void TrafficLog::WriteLogRecord(SettingsValues& settings, int32_t sizeLimit, const uint8_t* datagram, uint32_t length,
                                uint32_t captured, uint32_t headerSize) {
    CheckLogSize(settings, sizeLimit);
    if (!m_sink->IsOpen()) {
        return;
    }
    m_text.clear();
    AppendLogRecord(m_text, Now(), settings.logtype, datagram, length, captured, headerSize);
    WriteText();
}

void TrafficLog::WriteRecordHead(const uint8_t* datagram, uint32_t captured) {
    m_text.clear();
    AppendRecordHead(m_text, Now(), datagram, captured);
    WriteText();
}

void TrafficLog::WriteHexDump(const uint8_t* bytes, uint32_t count) {
    m_text.clear();
    AppendHexDump(m_text, bytes, count);
    WriteText();
}

void TrafficLog::WriteHexTextDump(const uint8_t* bytes, uint32_t count) {
    m_text.clear();
    AppendHexTextDump(m_text, bytes, count);
    WriteText();
}

void TrafficLog::WriteRaw(const uint8_t* bytes, uint32_t count) {
    m_text.clear();
    AppendRaw(m_text, bytes, count);
    WriteText();
}

LocalTime TrafficLog::Now() const {
    return m_now ? m_now() : LocalTime{};
}

void TrafficLog::WriteText() {
    m_sink->Write(m_text.data(), m_text.size());
}

} // namespace capture
