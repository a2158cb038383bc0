// The reverse-name cache: dotted quads while off, one lookup per address while on.
#include "capture/names/name_cache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

namespace {

uint32_t Address(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    const uint8_t bytes[4] = {a, b, c, d};
    uint32_t address;
    std::memcpy(&address, bytes, sizeof address); // network byte order: the bytes as they stand in a header
    return address;
}

// A resolver that knows a few names and counts what it is asked.
struct ScriptedResolver {
    std::map<uint32_t, std::string> names;
    std::map<uint32_t, int> asked;

    ReverseLookup Function() {
        return [this](uint32_t address, std::string& hostName) {
            ++asked[address];
            const auto found = names.find(address);
            if (found == names.end()) {
                return false;
            }
            hostName = found->second;
            return true;
        };
    }
};

TEST(DottedQuad, WritesTheHeaderBytesInOrder) {
    char text[16];
    FormatDottedQuad(Address(10, 0, 0, 1), text);
    EXPECT_STREQ(text, "10.0.0.1");
    FormatDottedQuad(Address(255, 255, 255, 255), text);
    EXPECT_STREQ(text, "255.255.255.255");
    FormatDottedQuad(0, text);
    EXPECT_STREQ(text, "0.0.0.0");
}

TEST(NameCache, WhileOffGivesDottedQuadsAndCachesNothing) {
    ScriptedResolver resolver;
    resolver.names[Address(10, 0, 0, 1)] = "gateway";
    CNSCashe cache(resolver.Function());
    EXPECT_STREQ(cache.Resolve(Address(10, 0, 0, 1)), "10.0.0.1");
    EXPECT_EQ(cache.Find(Address(10, 0, 0, 1)), nullptr);
    EXPECT_TRUE(resolver.asked.empty());
}

TEST(NameCache, AFailedLookupIsCachedAsTheDottedQuadAndNotRepeated) {
    ScriptedResolver resolver;
    CNSCashe cache(resolver.Function());
    EXPECT_EQ(cache.SetEnabled(1), 0);
    const uint32_t address = Address(192, 168, 7, 42);
    const char* first = cache.Resolve(address);
    EXPECT_STREQ(first, "192.168.7.42");
    EXPECT_EQ(cache.Resolve(address), first);
    EXPECT_EQ(cache.Find(address), first);
    EXPECT_EQ(resolver.asked[address], 1);
}

TEST(NameCache, NamesStayInPlaceAsTheCacheGrows) {
    ScriptedResolver resolver;
    resolver.names[Address(10, 0, 0, 1)] = "gateway.example";
    CNSCashe cache(resolver.Function());
    (void)cache.SetEnabled(1);
    const char* gateway = cache.Resolve(Address(10, 0, 0, 1));
    EXPECT_STREQ(gateway, "gateway.example");
    for (int i = 0; i < 5000; ++i) {
        (void)cache.Resolve(Address(172, 16, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)));
    }
    EXPECT_EQ(cache.Find(Address(10, 0, 0, 1)), gateway);
    EXPECT_STREQ(gateway, "gateway.example");
    EXPECT_STREQ(cache.Find(Address(172, 16, 19, 135)), "172.16.19.135");
}

TEST(NameCache, SwitchingOffKeepsTheEntriesForLater) {
    ScriptedResolver resolver;
    resolver.names[Address(10, 0, 0, 1)] = "gateway";
    CNSCashe cache(resolver.Function());
    (void)cache.SetEnabled(1);
    EXPECT_STREQ(cache.Resolve(Address(10, 0, 0, 1)), "gateway");
    EXPECT_EQ(cache.SetEnabled(0), 1);
    EXPECT_STREQ(cache.Resolve(Address(10, 0, 0, 1)), "10.0.0.1");
    EXPECT_STREQ(cache.Find(Address(10, 0, 0, 1)), "gateway");
    (void)cache.SetEnabled(1);
    EXPECT_STREQ(cache.Resolve(Address(10, 0, 0, 1)), "gateway");
    EXPECT_EQ(resolver.asked[Address(10, 0, 0, 1)], 1);
}

TEST(NameCache, WithoutAResolverEveryLookupFails) {
    CNSCashe cache(nullptr);
    (void)cache.SetEnabled(1);
    EXPECT_STREQ(cache.Resolve(Address(1, 2, 3, 4)), "1.2.3.4");
}

} // namespace
