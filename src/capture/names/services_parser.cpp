// Parsing of the services file: one "name port/protocol" entry per line, spaces as the only separator.
#include "capture/names/services_parser.h"

#include "capture/settings/module_paths.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// One read takes at most this many characters of a line (the line feed included when it fits); a longer
// physical line arrives in several pieces, each parsed as a line of its own.
constexpr int kLineBuffer = 300;

// Digits only: the port must follow the separating spaces directly. Saturates, so that no run of digits
// can wrap around into the valid range.
uint32_t ParsePort(const char* p) {
    uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<uint32_t>(*p - '0');
        if (value > 65535) {
            return 65536;
        }
    }
    return value;
}

int ProtocolNumber(const char* token, std::size_t length) {
    char lowered[5] = {};
    if (length >= sizeof lowered) {
        return -1;
    }
    for (std::size_t i = 0; i < length; ++i) {
        const char c = token[i];
        lowered[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (std::strcmp(lowered, "tcp") == 0) {
        return 6;
    }
    if (std::strcmp(lowered, "udp") == 0) {
        return 17;
    }
    if (std::strcmp(lowered, "icmp") == 0) {
        return 1;
    }
    return -1;
}

struct FileCloser {
    void operator()(std::FILE* file) const { (void)std::fclose(file); }
};

} // namespace

CServicesParser::CServicesParser(const char* fileName) {
    capture::CopyBounded(m_fileName, sizeof m_fileName, fileName);
    (void)Load();
}

CServicesParser::~CServicesParser() = default;

int CServicesParser::Load() {
    m_names.clear();
    m_enabled.store(0, std::memory_order_relaxed);
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(m_fileName, "r"));
    if (file == nullptr) {
        return 0;
    }
    LoadLines(file.get());
    return 1;
}

void CServicesParser::LoadLines(std::FILE* stream) {
    char line[kLineBuffer];
    while (std::fgets(line, kLineBuffer, stream) != nullptr) {
        ParseLine(line);
    }
}

void CServicesParser::ParseLine(const char* line) {
    if (line[0] == '#' || line[0] == '\r' || line[0] == '\n') {
        return;
    }
    const char* name = line;
    while (*name == ' ') {
        ++name;
    }
    const char* nameEnd = std::strchr(name, ' ');
    if (nameEnd == nullptr) {
        return;
    }
    const char* number = nameEnd;
    while (*number == ' ') {
        ++number;
    }
    const uint32_t port = ParsePort(number);
    if (port == 0 || port > 65535) {
        return;
    }
    const char* slash = std::strchr(number, '/');
    if (slash == nullptr) {
        return;
    }
    const char* token = slash + 1;
    const std::size_t tokenLength = std::strcspn(token, " \r\n");
    const int protocol = ProtocolNumber(token, tokenLength);
    if (protocol < 0) {
        return;
    }
    m_names[port << 8 | static_cast<uint32_t>(protocol)].assign(name, static_cast<std::size_t>(nameEnd - name));
}

const char* CServicesParser::Lookup(uint16_t port, uint8_t protocol) const {
    if (m_enabled.load(std::memory_order_relaxed) == 0) {
        return nullptr;
    }
    const auto found = m_names.find(static_cast<uint32_t>(port) << 8 | protocol);
    return found == m_names.end() ? nullptr : found->second.c_str();
}

int CServicesParser::SetEnabled(int enabled) {
    return m_enabled.exchange(enabled, std::memory_order_relaxed);
}
