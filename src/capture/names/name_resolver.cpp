// Host names for the traffic list, looked up by the name cache on the caller's thread or on one of their own.
#include "capture/names/name_resolver.h"

#include <cstdio>

namespace capture {

NameResolver::NameResolver(CNSCashe& cache, Mode mode) : m_cache(cache) {
    if (mode == Mode::OnOwnThread) {
        m_thread = std::thread(Run, m_shared, std::ref(cache), cache.Lookup());
    }
}

NameResolver::~NameResolver() {
    Stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void NameResolver::Stop() {
    {
        const std::lock_guard lock(m_shared->lock);
        m_shared->stopping = true;
        m_shared->queue.clear();
    }
    m_shared->wake.notify_one();
}

void NameResolver::Abandon() {
    Stop();
    if (m_thread.joinable()) {
        m_thread.detach();
    }
}

void NameResolver::SetOnName(std::function<void()> onName) {
    const std::lock_guard lock(m_shared->lock);
    m_shared->onName = std::move(onName);
}

void NameResolver::Request(uint32_t address) {
    if (!m_cache.Enabled()) {
        return;
    }
    std::unique_lock lock(m_shared->lock);
    if (m_shared->stopping || !m_shared->names.emplace(address, std::string()).second) {
        return;
    }
    if (m_thread.joinable()) {
        m_shared->queue.push_back(address);
        m_shared->wake.notify_one();
        return;
    }
    // On the caller's thread the lookup runs unlocked: the list keeps reading the names already known.
    lock.unlock();
    std::string name = m_cache.Resolve(address);
    lock.lock();
    Arrived(*m_shared, lock, address, std::move(name));
}

void NameResolver::Arrived(Shared& shared, std::unique_lock<std::mutex>& lock, uint32_t address, std::string name) {
    shared.names[address] = std::move(name);
    ++shared.answered;
    const std::function<void()> onName = shared.onName;
    if (onName) {
        lock.unlock();
        onName();
        lock.lock();
    }
}

// The cache is used under the lock, and never once the resolver has stopped; the lookup runs unlocked, with
// a copy of the cache's lookup function, so that an abandoned thread may finish it after the cache is gone.
void NameResolver::Run(const std::shared_ptr<Shared>& shared, CNSCashe& cache, ReverseLookup lookup) {
    std::unique_lock lock(shared->lock);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->stopping || !shared->queue.empty(); });
        if (shared->stopping) {
            return;
        }
        const uint32_t address = shared->queue.front();
        shared->queue.pop_front();
        if (!cache.Enabled()) {
            // Switched off since the request: it may be asked again once lookups are back on.
            shared->names.erase(address);
            continue;
        }
        const char* name = cache.Find(address);
        if (name == nullptr) {
            std::string found;
            lock.unlock();
            const bool named = lookup && lookup(address, found);
            lock.lock();
            if (shared->stopping) {
                return;
            }
            name = cache.Remember(address, named, std::move(found));
        }
        Arrived(*shared, lock, address, name);
    }
}

void NameResolver::Text(uint32_t address, char* text, std::size_t size) const {
    if (size == 0) {
        return;
    }
    {
        const std::lock_guard lock(m_shared->lock);
        const auto found = m_shared->names.find(address);
        if (found != m_shared->names.end() && !found->second.empty()) {
            std::snprintf(text, size, "%s", found->second.c_str());
            return;
        }
    }
    char quad[16];
    FormatDottedQuad(address, quad);
    std::snprintf(text, size, "%s", quad);
}

std::size_t NameResolver::Answered() const {
    const std::lock_guard lock(m_shared->lock);
    return m_shared->answered;
}

} // namespace capture
