// The services-file table: service names by port and IP protocol, read once from a "services" file.
#pragma once

#include <cstddef>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>

class CServicesParser {
public:
    // Reads the file "services" in the executable's folder (defined by the Windows build).
    CServicesParser();
    // Reads the given file (at most 259 characters of the path are kept).
    explicit CServicesParser(const char* fileName);
    virtual ~CServicesParser();

    CServicesParser(const CServicesParser&) = delete;
    CServicesParser& operator=(const CServicesParser&) = delete;

    // 1 when the file was read, 0 when it cannot be opened. Leaves lookups off either way.
    int Load();

    // Reads the entries of an already open stream, line by line; Load uses it for the file.
    void LoadLines(std::FILE* stream);

    // Adds at most one entry for a line of the form "name port/protocol"; other lines are ignored.
    void ParseLine(const char* line);

    // The service name for a port (host byte order) and protocol number, or nullptr. Always nullptr while
    // lookups are off. When a pair occurs on several lines, the last such line wins.
    const char* Lookup(uint16_t port, uint8_t protocol) const;

    // Switches lookups on (non-zero) or off; returns the previous state.
    int SetEnabled(int enabled);

    const char* FileName() const { return m_fileName; }
    // Distinct (port, protocol) pairs named by the file.
    std::size_t EntryCount() const { return m_names.size(); }

private:
    char m_fileName[260] = {};
    // Switched by a host thread while the capture thread reads it: one aligned 32-bit value, atomic so
    // that the switch is a defined hand-over rather than a data race.
    std::atomic<int32_t> m_enabled{0};
    // The name of each (port, protocol) pair, by port << 8 | protocol; a later line replaces an earlier
    // one's name. However long the file, the table holds at most one name per pair, and a lookup costs the
    // same. The names stay in place as the table grows, so the text that Lookup hands out stays valid.
    std::unordered_map<uint32_t, std::string> m_names;
};

extern CServicesParser theServicesParser;
