// Host names for the traffic list's host columns: asked for when a flow appears, shown once they are known.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "capture/names/name_cache.h"

namespace capture {

// Where the traffic list's host columns get their texts. Addresses in network byte order.
class HostNames {
public:
    virtual ~HostNames() = default;
    // A flow with this address has appeared (on the capture thread): its name is wanted.
    virtual void Request(uint32_t address) = 0;
    // The address's name as far as it is known now, else its dotted quad; cut to size. Any thread.
    virtual void Text(uint32_t address, char* text, std::size_t size) const = 0;
};

// Names from a name cache, which does the lookups and remembers them (each address is looked up at most
// once). On the caller's thread, a request waits for the lookup; on a thread of its own, requests only
// queue the address, and each name is shown once it arrives, so that a slow resolver never holds up the
// capture. Once given to a resolver, the cache is used by it alone.
class NameResolver final : public HostNames {
public:
    enum class Mode { OnCallersThread, OnOwnThread };

    NameResolver(CNSCashe& cache, Mode mode);
    // Waits for the lookup in hand, if any; queued addresses are dropped.
    ~NameResolver() override;
    NameResolver(const NameResolver&) = delete;
    NameResolver& operator=(const NameResolver&) = delete;

    // Lookups are on while the cache's are (CNSCashe::SetEnabled); while off, addresses show as dotted quads.
    // Called after each name has arrived, on the thread that looked it up (e.g. to repaint the list).
    void SetOnName(std::function<void()> onName);

    void Request(uint32_t address) override;
    void Text(uint32_t address, char* text, std::size_t size) const override;

    // Lookups answered so far.
    std::size_t Answered() const;

private:
    void LookUp(uint32_t address);
    void Run();

    CNSCashe& m_cache;
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    // Every address asked for; the name once it has arrived, empty until then.
    std::unordered_map<uint32_t, std::string> m_names;
    std::deque<uint32_t> m_queue;
    std::size_t m_answered = 0;
    std::function<void()> m_onName;
    bool m_stopping = false;
    std::thread m_thread; // last: started once everything above is ready
};

} // namespace capture
