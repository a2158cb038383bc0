// The acceleration watcher's rules with a scripted socket: stop, receive error, oversized datagrams.
#include "net/local_address.h"
#include "net/watcher_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

namespace {

// Plays back a list of receive outcomes; clears the run flag after a given number of receives.
class ScriptedSource : public net::DatagramSource {
public:
    ScriptedSource(std::vector<net::ReceiveOutcome> script, std::atomic<bool>& running, size_t stopAfter)
        : script_(std::move(script)), running_(running), stopAfter_(stopAfter) {}

    net::ReceiveOutcome Receive(unsigned char*, size_t size) override {
        EXPECT_FALSE(closed) << "receive after close";
        lastSize = size;
        const size_t index = receives++;
        if (receives == stopAfter_) {
            running_.store(false);
        }
        return index < script_.size() ? script_[index] : net::ReceiveOutcome::Datagram;
    }
    void Close() override {
        ++closes;
        closed = true;
    }

    size_t receives = 0;
    size_t lastSize = 0;
    int closes = 0;
    bool closed = false;

private:
    std::vector<net::ReceiveOutcome> script_;
    std::atomic<bool>& running_;
    size_t stopAfter_;
};

using net::ReceiveOutcome;

TEST(DrainUntilStopped, StopsAfterTheReceiveThatFollowsTheStopAndCloses) {
    std::atomic<bool> running{true};
    ScriptedSource source({}, running, 3);
    EXPECT_EQ(net::DrainUntilStopped(source, running), net::kWatcherStopped);
    EXPECT_EQ(source.receives, 3u);
    EXPECT_EQ(source.closes, 1);
    EXPECT_EQ(source.lastSize, 1600u);
}

TEST(DrainUntilStopped, AClearedFlagEndsBeforeAnyReceive) {
    std::atomic<bool> running{false};
    ScriptedSource source({}, running, 0);
    EXPECT_EQ(net::DrainUntilStopped(source, running), net::kWatcherStopped);
    EXPECT_EQ(source.receives, 0u);
    EXPECT_EQ(source.closes, 1);
}

TEST(DrainUntilStopped, AReceiveErrorClosesAndEndsWithOne) {
    std::atomic<bool> running{true};
    ScriptedSource source({ReceiveOutcome::Datagram, ReceiveOutcome::Failed, ReceiveOutcome::Datagram}, running, 100);
    EXPECT_EQ(net::DrainUntilStopped(source, running), net::kWatcherReceiveFailed);
    EXPECT_EQ(source.receives, 2u);
    EXPECT_EQ(source.closes, 1);
    EXPECT_TRUE(running.load()); // the error does not clear the window's state
}

TEST(DrainUntilStopped, NoSocketFailsAtTheFirstReceive) {
    std::atomic<bool> running{true};
    ScriptedSource source({ReceiveOutcome::Failed}, running, 100);
    EXPECT_EQ(net::DrainUntilStopped(source, running), net::kWatcherReceiveFailed);
    EXPECT_EQ(source.receives, 1u);
    EXPECT_EQ(source.closes, 1);
}

TEST(DrainUntilStopped, OversizedDatagramsCountAsReceived) {
    std::atomic<bool> running{true};
    ScriptedSource source({ReceiveOutcome::Truncated, ReceiveOutcome::Datagram, ReceiveOutcome::Truncated}, running, 3);
    EXPECT_EQ(net::DrainUntilStopped(source, running), net::kWatcherStopped);
    EXPECT_EQ(source.receives, 3u);
    EXPECT_EQ(source.closes, 1);
}

TEST(DrainUntilStopped, AReceiveEndedByTheStopIsTheStopNotAnError) {
    std::atomic<bool> running{true};
    // The stop clears the flag and closes the socket under the pending receive, which then fails.
    ScriptedSource source({ReceiveOutcome::Datagram, ReceiveOutcome::Failed}, running, 2);
    EXPECT_EQ(net::DrainUntilStopped(source, running), net::kWatcherStopped);
    EXPECT_EQ(source.receives, 2u);
    EXPECT_EQ(source.closes, 1);
}

net::LocalAddress Entry(const char* address, const char* mask) {
    net::LocalAddress entry{};
    net::SetAddressField(entry.address, address);
    net::SetAddressField(entry.mask, mask);
    return entry;
}

TEST(ChooseBindAddress, SkipsLoopbackAndAnyAddress) {
    const net::LocalAddress table[] = {Entry("127.0.0.1", "255.0.0.0"), Entry("0.0.0.0", "0.0.0.0"),
                                       Entry("10.0.0.7", "255.255.255.0"), Entry("192.168.1.2", "255.255.0.0")};
    EXPECT_EQ(net::ChooseBindAddress(table, 4), 2u);
    EXPECT_EQ(net::ChooseBindAddress(table, 2), 0u); // only loopback and any: entry 0
    EXPECT_EQ(net::ChooseBindAddress(table, 0), 0u);
    EXPECT_EQ(net::ChooseBindAddress(table + 2, 2), 0u);
    EXPECT_EQ(net::ChooseBindAddress(nullptr, 3), 0u);
    // The comparison is on the exact text: a longer address that begins like the loopback is chosen.
    const net::LocalAddress similar[] = {Entry("127.0.0.10", "255.0.0.0")};
    EXPECT_EQ(net::ChooseBindAddress(similar, 1), 0u);
    const net::LocalAddress second[] = {Entry("127.0.0.1", "255.0.0.0"), Entry("127.0.0.10", "255.0.0.0")};
    EXPECT_EQ(net::ChooseBindAddress(second, 2), 1u);
}

TEST(AddressStartsWith, MatchesLeadingPartsUpToADottedQuad) {
    EXPECT_TRUE(net::AddressStartsWith("10.0.0.7", "10.0.0.7"));
    EXPECT_TRUE(net::AddressStartsWith("10.0.0.7", "10.0.0"));
    EXPECT_TRUE(net::AddressStartsWith("10.0.0.77", "10.0.0.7")); // a prefix, not a whole address
    EXPECT_TRUE(net::AddressStartsWith("10.0.0.7", ""));
    EXPECT_FALSE(net::AddressStartsWith("10.0.0.7", "10.0.0.8"));
    EXPECT_FALSE(net::AddressStartsWith("10.0.0.7", "10.0.0.7.1"));
    EXPECT_FALSE(net::AddressStartsWith("255.255.255.255", "255.255.255.2550"));
    EXPECT_FALSE(net::AddressStartsWith("10.0.0.7", nullptr));
    EXPECT_FALSE(net::AddressStartsWith(nullptr, "10"));
}

TEST(SetAddressField, CutsToFifteenCharactersAndTerminates) {
    char field[16];
    std::memset(field, 'x', sizeof field);
    net::SetAddressField(field, "255.255.255.255");
    EXPECT_STREQ(field, "255.255.255.255");
    net::SetAddressField(field, "1234567890123456789");
    EXPECT_STREQ(field, "123456789012345");
    net::SetAddressField(field, nullptr);
    EXPECT_STREQ(field, "");
}

} // namespace
