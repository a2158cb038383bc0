// A log sink in memory: what a file would hold, for tests and fuzzing without touching the disk.
#pragma once

#include "capture/log/traffic_log.h"

#include <algorithm>
#include <string>
#include <vector>

namespace capture {

class MemoryLogSink final : public LogSink {
public:
    // The file's bytes, kept while closed as a file on disk would keep them.
    std::string contents;
    // Paths and modes of every open asked for, in order ("a+" or "w+").
    std::vector<std::string> opens;
    // Opens fail while this is set, as for a path that cannot be written.
    bool failOpen = false;
    // Keeps at most this many bytes (the position still counts all); for long fuzzing runs.
    std::size_t keepAtMost = static_cast<std::size_t>(-1);

    [[nodiscard]] bool Open(const char* path, bool emptyFirst) override {
        opens.push_back(std::string(emptyFirst ? "w+ " : "a+ ") + path);
        m_open = !failOpen;
        if (m_open && emptyFirst) {
            contents.clear();
            m_position = 0;
        }
        return m_open;
    }
    void Close() override { m_open = false; }
    [[nodiscard]] bool IsOpen() const override { return m_open; }
    [[nodiscard]] int64_t Position() const override { return m_position; }
    void Write(const char* data, std::size_t size) override {
        if (!m_open) {
            return;
        }
        m_position += static_cast<int64_t>(size);
        if (contents.size() < keepAtMost) {
            contents.append(data, std::min(size, keepAtMost - contents.size()));
        }
    }

private:
    bool m_open = false;
    int64_t m_position = 0;
};

} // namespace capture
