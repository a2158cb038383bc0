// The address utilities against the platform's own tables, and the address parser against inet_addr.
#include "net/dotted_quad.h"
#include "loopback.h"
#include "net/ip_utils.h"

#include <gtest/gtest.h>

#include <ras.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using testsupport::WinsockSession;

std::string Dotted(DWORD address) {
    in_addr value{};
    value.s_addr = address;
    return inet_ntoa(value);
}

// The platform's address table read directly, at the size it asks for.
std::vector<MIB_IPADDRROW> PlatformAddressRows() {
    ULONG size = 0;
    (void)GetIpAddrTable(nullptr, &size, FALSE);
    std::vector<unsigned char> buffer(size + 1024);
    size = static_cast<ULONG>(buffer.size());
    EXPECT_EQ(GetIpAddrTable(reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data()), &size, FALSE), DWORD{NO_ERROR});
    const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(buffer.data());
    return {table->table, table->table + table->dwNumEntries};
}

TEST(ListLocalAddresses, MatchesThePlatformTableInItsOrder) {
    WinsockSession winsock;
    const std::vector<MIB_IPADDRROW> rows = PlatformAddressRows();
    ASSERT_FALSE(rows.empty()) << "the machine has no IPv4 address at all";
    std::vector<net::LocalAddress> records(100);
    const int count = net::ListLocalAddresses(records.data(), 100);
    ASSERT_EQ(count, static_cast<int>(rows.size()));
    bool sawLoopback = false;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(records[i].address, Dotted(rows[i].dwAddr)) << i;
        EXPECT_EQ(records[i].mask, Dotted(rows[i].dwMask)) << i;
        sawLoopback = sawLoopback || std::string(records[i].address) == "127.0.0.1";
    }
    EXPECT_TRUE(sawLoopback);
}

TEST(ListLocalAddresses, FillsAtMostTheMaximumAndNothingPastIt) {
    WinsockSession winsock;
    const size_t available = PlatformAddressRows().size();
    ASSERT_GE(available, 1u);
    net::LocalAddress records[3];
    std::memset(records, 'z', sizeof records);
    // A maximum of 1 gives a buffer of 28 bytes, too small for two or more rows: the table is read again
    // at the size the platform reports, and still only one record is written.
    EXPECT_EQ(net::ListLocalAddresses(records, 1), 1);
    EXPECT_EQ(records[0].address, Dotted(PlatformAddressRows()[0].dwAddr));
    EXPECT_EQ(records[1].address[0], 'z');
    EXPECT_EQ(net::ListLocalAddresses(records, 0), 0);
    EXPECT_EQ(net::ListLocalAddresses(records, -3), 0);
    EXPECT_EQ(net::ListLocalAddresses(nullptr, 5), 0);
}

// A hand-built adapter chain: the walk's order and its prefix rule.
TEST(FindContextInAdapterList, FirstAddressStartingWithTheTextWins) {
    IP_ADAPTER_INFO adapters[2] = {};
    IP_ADDR_STRING second{};
    adapters[0].Next = &adapters[1];
    std::strcpy(adapters[0].IpAddressList.IpAddress.String, "10.0.0.77");
    adapters[0].IpAddressList.Context = 11;
    adapters[0].IpAddressList.Next = &second;
    std::strcpy(second.IpAddress.String, "10.0.0.7");
    second.Context = 12;
    std::strcpy(adapters[1].IpAddressList.IpAddress.String, "192.168.1.20");
    adapters[1].IpAddressList.Context = 21;

    EXPECT_EQ(net::FindContextInAdapterList(adapters, "10.0.0.77"), 11u);
    EXPECT_EQ(net::FindContextInAdapterList(adapters, "10.0.0.7"), 11u); // a prefix of the earlier entry
    EXPECT_EQ(net::FindContextInAdapterList(adapters, "10.0.0"), 11u);
    EXPECT_EQ(net::FindContextInAdapterList(adapters, "192.168"), 21u);
    EXPECT_EQ(net::FindContextInAdapterList(adapters, "192.168.1.2"), 21u);
    EXPECT_EQ(net::FindContextInAdapterList(adapters, "10.0.1"), 0u);
    EXPECT_EQ(net::FindContextInAdapterList(adapters, "192.168.1.200"), 0u);
    EXPECT_EQ(net::FindContextInAdapterList(adapters, "192.168.1.20.123456"), 0u); // longer than a dotted quad
    EXPECT_EQ(net::FindContextInAdapterList(nullptr, "10"), 0u);
}

TEST(FindAddressContext, AgreesWithThePlatformAdapterList) {
    WinsockSession winsock;
    EXPECT_EQ(net::FindAddressContext("203.0.113.254"), 0u);
    EXPECT_EQ(net::FindAddressContext(nullptr), 0u);
    EXPECT_EQ(net::FindAddressContext("1234567890123456"), 0u);
    ULONG size = 0;
    if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW) {
        GTEST_SKIP() << "no adapters";
    }
    std::vector<unsigned char> buffer(size);
    ASSERT_EQ(GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size), DWORD{NO_ERROR});
    const auto* first = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data());
    const std::string address = first->IpAddressList.IpAddress.String;
    EXPECT_EQ(net::FindAddressContext(address.c_str()), first->IpAddressList.Context);
}

TEST(DeleteLocalAddress, AnAddressNoAdapterCarriesGivesOne) {
    WinsockSession winsock;
    EXPECT_EQ(net::DeleteLocalAddress("203.0.113.254"), 1u);
}

TEST(LoadInterfaceIndexes, CopiesThePlatformListUpToTwenty) {
    ULONG size = 0;
    (void)GetInterfaceInfo(nullptr, &size);
    std::vector<unsigned char> buffer(size + 64);
    size = static_cast<ULONG>(buffer.size());
    ASSERT_EQ(GetInterfaceInfo(reinterpret_cast<IP_INTERFACE_INFO*>(buffer.data()), &size), DWORD{NO_ERROR});
    const auto* info = reinterpret_cast<const IP_INTERFACE_INFO*>(buffer.data());
    ASSERT_TRUE(net::LoadInterfaceIndexes());
    for (LONG i = 0; i < info->NumAdapters && i < net::kMaxInterfaceIndexes; ++i) {
        EXPECT_EQ(net::interfaceIndexes[i], info->Adapter[i].Index) << i;
    }
}

TEST(HangUpFirstDialUp, WithoutAConnectionGivesThePlatformsAnswerForNoConnection) {
    HMODULE ras = LoadLibraryA("rasapi32.dll");
    if (ras == nullptr) {
        GTEST_SKIP() << "no remote-access library";
    }
    using HangUpFn = DWORD(WINAPI*)(HRASCONN);
    const auto hangUp = reinterpret_cast<HangUpFn>(reinterpret_cast<void (*)()>(GetProcAddress(ras, "RasHangUpA")));
    ASSERT_NE(hangUp, nullptr);
    EXPECT_EQ(net::HangUpFirstDialUp(), hangUp(nullptr));
    (void)FreeLibrary(ras);
}

// The portable parser must accept and read dotted quads exactly as the platform's inet_addr does. Every
// text of up to six characters over digits, dots and a few others is compared, then some longer ones.
TEST(ParseAddressText, AgreesWithInetAddr) {
    WinsockSession winsock;
    const std::string alphabet = "0189.x ";
    std::vector<std::string> texts = {"",
                                      "1.2.3.4",
                                      "255.255.255.255",
                                      "255.255.255.254",
                                      "256.255.255.255",
                                      "127.0.0.1",
                                      "0.0.0.0",
                                      "010.010.010.010",
                                      "0377.0377.0377.0376",
                                      "0400.1.1.1",
                                      "0x7f.0x0.0x0.0x1",
                                      "0xff.0xff.0xff.0xfe",
                                      "0x100.1.1.1",
                                      "1.2.65535",
                                      "1.2.65536",
                                      "1.16777215",
                                      "1.16777216",
                                      "4294967295",
                                      "4294967296",
                                      "99999999999",
                                      "1.2.3.4 trailing",
                                      "1.2.3.4\t",
                                      "1.2.3.4\n",
                                      "1.2.3.4\r\n",
                                      "1.2.3.4\v",
                                      "1.2.3.4\f",
                                      "\t",
                                      "\n",
                                      " \t",
                                      "192.168.001.002",
                                      "192.168.1.2.",
                                      "1.2.3.-4",
                                      "+1.2.3.4"};
    std::vector<std::string> level = {""};
    for (int length = 1; length <= 6; ++length) {
        std::vector<std::string> next;
        for (const std::string& prefix : level) {
            for (char c : alphabet) {
                next.push_back(prefix + c);
            }
        }
        texts.insert(texts.end(), next.begin(), next.end());
        level = std::move(next);
    }
    int mismatches = 0;
    for (const std::string& text : texts) {
        const uint32_t platform = inet_addr(text.c_str());
        const uint32_t ours = net::ParseAddressText(text.c_str());
        if (platform != ours && ++mismatches <= 20) {
            ADD_FAILURE() << '"' << text << "\": inet_addr " << std::hex << platform << ", ours " << ours;
        }
    }
    EXPECT_EQ(mismatches, 0) << "of " << texts.size() << " texts";
}

} // namespace
