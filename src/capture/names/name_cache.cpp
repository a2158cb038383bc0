// The reverse-name cache over a lookup function it is given.
#include "capture/names/name_cache.h"

#include <cstdio>
#include <cstring>
#include <utility>

void FormatDottedQuad(uint32_t address, char (&text)[16]) {
    unsigned char bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
}

CNSCashe::CNSCashe(ReverseLookup lookup) : m_lookup(std::move(lookup)) {}

CNSCashe::~CNSCashe() = default;

const char* CNSCashe::Resolve(uint32_t address) {
    if (m_enabled.load(std::memory_order_relaxed) == 0) {
        FormatDottedQuad(address, m_dottedQuad);
        return m_dottedQuad;
    }
    if (const char* cached = Find(address)) {
        return cached;
    }
    std::string name;
    const bool found = m_lookup && m_lookup(address, name);
    return Remember(address, found, std::move(name));
}

const char* CNSCashe::Remember(uint32_t address, bool found, std::string name) {
    if (!found) {
        char quad[16];
        FormatDottedQuad(address, quad);
        name = quad;
    }
    m_entries.push_back({address, std::move(name)});
    return m_entries.back().name.c_str();
}

const char* CNSCashe::Find(uint32_t address) const {
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry) {
        if (entry->address == address) {
            return entry->name.c_str();
        }
    }
    return nullptr;
}

int CNSCashe::SetEnabled(int enabled) {
    return m_enabled.exchange(enabled, std::memory_order_relaxed);
}
