// Host names for the traffic list's host columns: asked for when a flow appears, shown once they are known.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
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

    // Stops at once, without waiting for the lookup in hand (a resolver may take many seconds to answer):
    // its answer is dropped, and from here on the resolver's thread does not touch the cache. Only for a
    // lookup that needs nothing the caller may destroy (the platform's does not), and a names' callback
    // that may still be called once meanwhile. Addresses show as dotted quads from then on.
    void Abandon();
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
    // What the resolver's thread shares with it; kept alive by the thread too, which may outlive the
    // resolver once abandoned.
    struct Shared {
        std::mutex lock;
        std::condition_variable wake;
        // Every address asked for; the name once it has arrived, empty until then.
        std::unordered_map<uint32_t, std::string> names;
        std::deque<uint32_t> queue;
        std::size_t answered = 0;
        std::function<void()> onName;
        bool stopping = false;
    };

    // Keeps the name that arrived and tells of it; the lock is held on entry and on return.
    static void Arrived(Shared& shared, std::unique_lock<std::mutex>& lock, uint32_t address, std::string name);
    static void Run(const std::shared_ptr<Shared>& shared, CNSCashe& cache, ReverseLookup lookup);
    void Stop();

    CNSCashe& m_cache;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    std::thread m_thread; // last: started once everything above is ready
};

} // namespace capture
