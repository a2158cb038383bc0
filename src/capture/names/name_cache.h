// The reverse-name cache: host names of IPv4 addresses, each address looked up at most once.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

// Answers the host name of an IPv4 address (network byte order, as in the IP header); false when the
// address has no name. The program uses the platform's reverse lookup; tests give a scripted one.
using ReverseLookup = std::function<bool(uint32_t address, std::string& hostName)>;

// The dotted-quad text of an address in network byte order ("10.0.0.1"), as the platform's conversion
// writes it. The text has at most 15 characters.
void FormatDottedQuad(uint32_t address, char (&text)[16]);

class CNSCashe {
public:
    // Uses the platform's reverse lookup (defined by the Windows build).
    CNSCashe();
    explicit CNSCashe(ReverseLookup lookup);
    virtual ~CNSCashe();

    CNSCashe(const CNSCashe&) = delete;
    CNSCashe& operator=(const CNSCashe&) = delete;

    // A text naming the address. While lookups are off: its dotted quad, valid until the next call, and
    // nothing is cached. While on: the cached name, or a new lookup whose answer (the dotted quad when it
    // fails) is cached and lives as long as the cache.
    const char* Resolve(uint32_t address);

    // The cached name of the address, or nullptr.
    const char* Find(uint32_t address) const;

    // For a caller that runs the lookup without holding the cache: the lookup itself (a copy of it needs
    // nothing of the cache), and the keeping of its answer as Resolve keeps it (found false: the address
    // has no name, and its dotted quad is kept).
    const ReverseLookup& Lookup() const { return m_lookup; }
    const char* Remember(uint32_t address, bool found, std::string name);

    // Switches lookups on (non-zero) or off; returns the previous state. The cache is kept either way.
    int SetEnabled(int enabled);
    bool Enabled() const { return m_enabled.load(std::memory_order_relaxed) != 0; }

private:
    struct HostEntry {
        uint32_t address;
        std::string name;
    };

    // Newest last, searched from the back; a deque keeps handed-out names in place as it grows.
    std::deque<HostEntry> m_entries;
    // Switched by a host thread while the capture thread reads it: one aligned 32-bit value, atomic so
    // that the switch is a defined hand-over rather than a data race.
    std::atomic<int32_t> m_enabled{0};
    ReverseLookup m_lookup;
    char m_dottedQuad[16] = {};
};

extern CNSCashe theNameCache;
