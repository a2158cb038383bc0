// Host names for the traffic list, looked up by the name cache on the caller's thread or on one of their own.
#include "capture/names/name_resolver.h"

#include <cstdio>

namespace capture {

NameResolver::NameResolver(CNSCashe& cache, Mode mode) : m_cache(cache) {
    if (mode == Mode::OnOwnThread) {
        m_thread = std::thread([this] { Run(); });
    }
}

NameResolver::~NameResolver() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(m_lock);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void NameResolver::SetOnName(std::function<void()> onName) {
    const std::lock_guard lock(m_lock);
    m_onName = std::move(onName);
}

void NameResolver::Request(uint32_t address) {
    if (!m_cache.Enabled()) {
        return;
    }
    {
        const std::lock_guard lock(m_lock);
        if (!m_names.emplace(address, std::string()).second) {
            return;
        }
        if (m_thread.joinable()) {
            m_queue.push_back(address);
            m_wake.notify_one();
            return;
        }
    }
    LookUp(address);
}

void NameResolver::LookUp(uint32_t address) {
    // The lookup runs unlocked: the list keeps reading the names already known meanwhile.
    std::string name = m_cache.Resolve(address);
    std::function<void()> onName;
    {
        const std::lock_guard lock(m_lock);
        m_names[address] = std::move(name);
        ++m_answered;
        onName = m_onName;
    }
    if (onName) {
        onName();
    }
}

void NameResolver::Run() {
    std::unique_lock lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping) {
            return;
        }
        const uint32_t address = m_queue.front();
        m_queue.pop_front();
        if (!m_cache.Enabled()) {
            // Switched off since the request: it may be asked again once lookups are back on.
            m_names.erase(address);
            continue;
        }
        lock.unlock();
        LookUp(address);
        lock.lock();
    }
}

void NameResolver::Text(uint32_t address, char* text, std::size_t size) const {
    if (size == 0) {
        return;
    }
    {
        const std::lock_guard lock(m_lock);
        const auto found = m_names.find(address);
        if (found != m_names.end() && !found->second.empty()) {
            std::snprintf(text, size, "%s", found->second.c_str());
            return;
        }
    }
    char quad[16];
    FormatDottedQuad(address, quad);
    std::snprintf(text, size, "%s", quad);
}

std::size_t NameResolver::Answered() const {
    const std::lock_guard lock(m_lock);
    return m_answered;
}

} // namespace capture
