// Fuzzes the settings rules: paths beside the executable, the unsigned conversion, and a load from an INI
// file whose every value is fuzzer-chosen text.
#include "capture/settings/decimal.h"
#include "capture/settings/module_paths.h"
#include "capture/settings/settings_values.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool HighBytesLead(unsigned char byte) {
    return byte >= 0x81;
}

// Every value read is the next NUL-separated piece of the input (wrapping around).
class FuzzedProfile {
public:
    FuzzedProfile(const char* text, std::size_t size) : m_text(text), m_size(size) {}

    int32_t ReadInt(const char*, const char*, int32_t) {
        return static_cast<int32_t>(std::strtol(Next(), nullptr, 10));
    }
    uint32_t ReadUInt(const char*, const char*, uint32_t) { return capture::ParseUnsignedDecimal(Next()); }
    uint32_t ReadString(const char*, const char*, const char*, char* buffer, uint32_t size) {
        capture::CopyBounded(buffer, size, Next());
        return static_cast<uint32_t>(std::strlen(buffer));
    }
    bool WriteInt(const char*, const char*, int32_t) { return true; }
    bool WriteUInt(const char*, const char*, uint32_t) { return true; }
    bool WriteString(const char*, const char*, const char* text) { return std::strlen(text) < 260; }

private:
    const char* Next() {
        if (m_size == 0) {
            return "";
        }
        if (m_offset >= m_size) {
            m_offset = 0;
        }
        const char* piece = m_text + m_offset;
        m_offset += std::strlen(piece) + 1;
        return piece;
    }

    const char* m_text;
    std::size_t m_size;
    std::size_t m_offset = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size); // terminated by the string

    (void)capture::ParseUnsignedDecimal(text.c_str());

    const std::string ini = capture::IniPathFor(text, HighBytesLead);
    if (ini.size() < 4 || ini.compare(ini.size() - 4, 4, ".ini") != 0 || ini.size() > text.size() + 4) {
        std::abort();
    }
    const std::string services = capture::ServicesPathFor(text, HighBytesLead);
    if (services.size() < 8 || services.compare(services.size() - 8, 8, "services") != 0) {
        std::abort();
    }

    FuzzedProfile profile(text.c_str(), text.size());
    capture::SettingsValues values;
    const int32_t limit = capture::LoadSettingsValues(profile, values);
    if (values.mbdelete < 1 || values.mbdelete > 999 || values.logtype < 0 || values.logtype > 6 ||
        limit != values.mbdelete * 1048576 || strnlen(values.logfile, sizeof values.logfile) >= sizeof values.logfile) {
        std::abort();
    }
    (void)capture::SaveSettingsValues(profile, values);
    return 0;
}
