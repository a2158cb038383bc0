// Host names for the list: requests that never wait on a resolver thread, dotted quads until a name
// arrives, one lookup per address, nothing while lookups are off.
#include "capture/names/name_resolver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace {

using capture::NameResolver;

constexpr uint32_t kAddress = 0x0100000a; // 10.0.0.1 as stored in a header
constexpr auto kPatience = std::chrono::seconds(10);

// A lookup that answers only when the test lets it, and counts what it is asked.
class GatedLookup {
public:
    ReverseLookup Function() {
        return [this](uint32_t address, std::string& name) {
            std::unique_lock lock(m_lock);
            ++m_asked[address];
            m_changed.notify_all();
            (void)m_changed.wait_for(lock, kPatience, [this] { return m_open; }); // bounded, should a test fail
            name = "host.example";
            return true;
        };
    }
    void Open() {
        const std::lock_guard lock(m_lock);
        m_open = true;
        m_changed.notify_all();
    }
    bool WaitAsked(uint32_t address) {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, kPatience, [&] { return m_asked[address] > 0; });
    }
    int Asked(uint32_t address) {
        const std::lock_guard lock(m_lock);
        return m_asked[address];
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_open = false;
    std::map<uint32_t, int> m_asked;
};

std::string TextOf(const NameResolver& names, uint32_t address) {
    char text[64];
    names.Text(address, text, sizeof text);
    return text;
}

TEST(NameResolver, OwnThreadShowsTheDottedQuadUntilTheNameArrives) {
    GatedLookup lookup;
    CNSCashe cache(lookup.Function());
    NameResolver names(cache, NameResolver::Mode::OnOwnThread);
    std::mutex lock;
    std::condition_variable arrived;
    int named = 0;
    names.SetOnName([&] {
        const std::lock_guard guard(lock);
        ++named;
        arrived.notify_all();
    });
    (void)cache.SetEnabled(1);

    names.Request(kAddress); // returns at once although the lookup cannot answer yet
    ASSERT_TRUE(lookup.WaitAsked(kAddress));
    EXPECT_EQ(TextOf(names, kAddress), "10.0.0.1");
    names.Request(kAddress);
    lookup.Open();
    std::unique_lock wait(lock);
    ASSERT_TRUE(arrived.wait_for(wait, kPatience, [&] { return named == 1; }));
    EXPECT_EQ(TextOf(names, kAddress), "host.example");
    EXPECT_EQ(lookup.Asked(kAddress), 1) << "each address is looked up once";
    EXPECT_EQ(names.Answered(), 1u);
}

TEST(NameResolver, WhileLookupsAreOffNothingIsAskedAndAddressesStayNumbers) {
    for (const auto mode : {NameResolver::Mode::OnOwnThread, NameResolver::Mode::OnCallersThread}) {
        GatedLookup lookup;
        lookup.Open();
        CNSCashe cache(lookup.Function());
        NameResolver names(cache, mode);
        names.Request(kAddress);
        EXPECT_EQ(TextOf(names, kAddress), "10.0.0.1");
        EXPECT_EQ(lookup.Asked(kAddress), 0);
    }
}

TEST(NameResolver, OnTheCallersThreadARequestWaitsForItsName) {
    GatedLookup lookup;
    lookup.Open();
    CNSCashe cache(lookup.Function());
    NameResolver names(cache, NameResolver::Mode::OnCallersThread);
    (void)cache.SetEnabled(1);
    names.Request(kAddress);
    EXPECT_EQ(TextOf(names, kAddress), "host.example");
    char shortText[5];
    names.Text(kAddress, shortText, sizeof shortText);
    EXPECT_STREQ(shortText, "host") << "cut to the buffer";
}

TEST(NameResolver, AbandonedItWaitsForNoLookupAndKeepsNoLateAnswer) {
    // The lookup outlives the test's resolver here, as the platform's does the window's.
    auto lookup = std::make_shared<GatedLookup>();
    CNSCashe cache([lookup](uint32_t address, std::string& name) { return lookup->Function()(address, name); });
    (void)cache.SetEnabled(1);
    {
        NameResolver names(cache, NameResolver::Mode::OnOwnThread);
        std::atomic<int> told{0};
        names.SetOnName([&told] { ++told; });
        names.Request(kAddress);
        ASSERT_TRUE(lookup->WaitAsked(kAddress));
        const auto start = std::chrono::steady_clock::now();
        names.Abandon();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << "no wait for the lookup";
        names.Request(kAddress + 1);
        EXPECT_EQ(TextOf(names, kAddress), "10.0.0.1");
        EXPECT_EQ(told, 0);
    }
    lookup->Open();
    // The abandoned thread finishes its lookup and keeps nothing of it.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (lookup.use_count() > 2 && std::chrono::steady_clock::now() < deadline) { // the test's and the cache's
        std::this_thread::yield();
    }
    EXPECT_EQ(cache.Find(kAddress), nullptr);
    EXPECT_EQ(lookup->Asked(kAddress + 1), 0);
}

} // namespace
