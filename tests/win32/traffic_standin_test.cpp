// The packet.dll stand-in as a caller sees it under Wine: exports, structure layouts, receive behaviour
// (records, read time-out, no driver buffer, pacing), errors when opening, and the adapter-name list.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "capture/packet_library.h"
#include "capture/record_walk.h"
#include "traffic_win32_support.h"

namespace {

using traffic_test::Bytes;
using traffic_test::PcapFile;
using traffic_test::PcapFrame;
using traffic_win32::DataPath;
using traffic_win32::TempFolder;

class StandIn : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        library = capture::PacketLibrary::LoadFrom(traffic_win32::BinDir() + "\\packet.dll", error);
        ASSERT_NE(library, nullptr) << error;
        f = &library->Functions();
        buffer.resize(1 << 20);
    }
    void TearDown() override {
        SetEnvironmentVariableA("BRISKLANE_REPLAY", nullptr);
        SetEnvironmentVariableA("BRISKLANE_CAPTURE_FILES", nullptr);
    }

    struct Opened {
        const capture::PacketFunctions* f;
        packet::Adapter* adapter;
        packet::Packet* packet;
        ~Opened() {
            f->PacketFreePacket(packet);
            f->PacketCloseAdapter(adapter);
        }
    };

    // Opens with a driver buffer and the given read time-out, and binds the test's buffer.
    std::unique_ptr<Opened> Open(const std::string& path, int timeoutMs) {
        packet::Adapter* adapter = f->PacketOpenAdapter(path.c_str());
        EXPECT_NE(adapter, nullptr) << path << " error " << GetLastError();
        if (adapter == nullptr)
            return nullptr;
        EXPECT_EQ(f->PacketSetBuff(adapter, 2097152), 1);
        EXPECT_EQ(f->PacketSetReadTimeout(adapter, timeoutMs), 1);
        packet::Packet* packet = f->PacketAllocatePacket();
        f->PacketInitPacket(packet, buffer.data(), static_cast<UINT>(buffer.size()));
        return std::unique_ptr<Opened>(new Opened{f, adapter, packet}); // no temporary that would close it
    }

    std::unique_ptr<capture::PacketLibrary> library;
    const capture::PacketFunctions* f = nullptr;
    Bytes buffer;
};

TEST_F(StandIn, ReplaysEveryRecordThenReportsAnIdleNetworkAfterTheTimeOut) {
    auto opened = Open(DataPath("pcap/eth-mixed-http-dns-udp-icmp.pcap"), 300);
    ASSERT_NE(opened, nullptr);
    EXPECT_NE(opened->adapter->hFile, INVALID_HANDLE_VALUE);
    uint64_t records = 0;
    for (;;) {
        ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
        EXPECT_EQ(opened->packet->Buffer, buffer.data());
        EXPECT_EQ(opened->packet->Length, buffer.size());
        const DWORD bytes = opened->packet->ulBytesReceived;
        if (bytes == 0)
            break;
        EXPECT_EQ(bytes % 4, 0u);
        records += capture::WalkCaptureRecords(buffer.data(), bytes, 14, [](const uint8_t*, uint32_t) {}).records;
    }
    EXPECT_EQ(records, traffic_test::ReadTotals("eth-mixed-http-dns-udp-icmp").at("frames_total"));
    const DWORD start = GetTickCount();
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
    EXPECT_EQ(opened->packet->ulBytesReceived, 0u);
    EXPECT_GE(GetTickCount() - start, 250u) << "an idle receive waits for the read time-out";
    EXPECT_EQ(f->PacketSetReadTimeout(opened->adapter, -1), 1);
    const DWORD noWait = GetTickCount();
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
    EXPECT_LT(GetTickCount() - noWait, 200u) << "-1: no wait";
}

TEST_F(StandIn, ReceiveFailsWithoutADriverBuffer) {
    packet::Adapter* adapter = f->PacketOpenAdapter(DataPath("pcap/eth-icmp-echo.pcap").c_str());
    ASSERT_NE(adapter, nullptr);
    packet::Packet* packet = f->PacketAllocatePacket();
    ASSERT_NE(packet, nullptr);
    f->PacketInitPacket(packet, buffer.data(), 4096);
    EXPECT_EQ(f->PacketReceivePacket(adapter, packet, 1), 0);
    EXPECT_EQ(f->PacketSetBuff(adapter, 2097152), 1);
    EXPECT_EQ(f->PacketReceivePacket(adapter, packet, 1), 1);
    EXPECT_GT(packet->ulBytesReceived, 0u);
    f->PacketFreePacket(packet);
    f->PacketCloseAdapter(adapter);
    f->PacketCloseAdapter(nullptr); // accepted
}

TEST_F(StandIn, InitPacketZeroesThePacketAndBindsTheBuffer) {
    packet::Packet* packet = f->PacketAllocatePacket();
    ASSERT_NE(packet, nullptr);
    const auto* bytes = reinterpret_cast<const unsigned char*>(packet);
    for (size_t i = 0; i < sizeof(packet::Packet); ++i)
        ASSERT_EQ(bytes[i], 0) << "allocated zero-filled, byte " << i;
    packet->ulBytesReceived = 77;
    packet->bIoComplete = 1;
    f->PacketInitPacket(packet, buffer.data(), 1000);
    EXPECT_EQ(packet->Buffer, buffer.data());
    EXPECT_EQ(packet->Length, 1000u);
    EXPECT_EQ(packet->ulBytesReceived, 0u);
    EXPECT_EQ(packet->bIoComplete, 0);
    f->PacketFreePacket(packet);
}

TEST_F(StandIn, ReportsTheMediumOfTheFilesLinkTypeIn16Bytes) {
    TempFolder folder;
    const struct {
        const char* name;
        uint32_t linkType;
        UINT medium;
    } cases[] = {
        {"ethernet.pcap", 1, 0}, {"token-ring.pcap", 6, 1}, {"cooked.pcap", 113, 0}, {"null.pcap", 0, UINT(-1)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        traffic_test::PcapOptions options;
        options.linkType = c.linkType;
        packet::Adapter* adapter = f->PacketOpenAdapter(folder.Write(c.name, PcapFile({}, options)).c_str());
        ASSERT_NE(adapter, nullptr);
        packet::NetTypeRecord type;
        std::memset(&type, 0xcc, sizeof type);
        EXPECT_EQ(f->PacketGetNetType(adapter, &type), 1);
        EXPECT_EQ(type.LinkType, c.medium);
        EXPECT_GT(type.LinkSpeed, 0u);
        EXPECT_EQ(f->PacketGetNetType(adapter, nullptr), 0);
        f->PacketCloseAdapter(adapter);
    }
}

TEST_F(StandIn, NamesThatCannotBeOpenedGiveTheReason) {
    TempFolder folder;
    const std::string notCapture = folder.Write("text.pcap", Bytes{'h', 'e', 'l', 'l', 'o'});
    const std::string pcapng =
        folder.Write("next.pcap", Bytes{0x0a, 0x0d, 0x0d, 0x0a, 28,   0,    0,    0,    0x4d, 0x3c, 0x2b, 0x1a, 1, 0,
                                        0,    0,    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 28,   0,    0, 0});
    const struct {
        const char* name;
        std::string adapter;
        DWORD error;
    } cases[] = {
        {"missing file", folder.File("missing.pcap"), ERROR_FILE_NOT_FOUND},
        {"missing folder", folder.File("none\\x.pcap"), ERROR_PATH_NOT_FOUND},
        {"too short for a header", notCapture, ERROR_BAD_FORMAT},
        {"another format", pcapng, ERROR_BAD_FORMAT},
        {"empty name", "", ERROR_INVALID_NAME},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0);
        EXPECT_EQ(f->PacketOpenAdapter(c.adapter.c_str()), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(StandIn, TakesAUtf16AdapterName) {
    const std::string path = DataPath("pcap/eth-icmp-echo.pcap");
    const std::wstring wide(path.begin(), path.end());
    packet::Adapter* adapter = f->PacketOpenAdapter(reinterpret_cast<const char*>(wide.c_str()));
    ASSERT_NE(adapter, nullptr);
    f->PacketCloseAdapter(adapter);
}

TEST_F(StandIn, ListsTheCaptureFilesItIsPointedAt) {
    SetEnvironmentVariableA("BRISKLANE_CAPTURE_FILES",
                            (DataPath("pcap") + ";" + DataPath("pcap/README.md") + ";Z:\\nonexistent").c_str());
    ULONG size = 0;
    SetLastError(0);
    EXPECT_EQ(f->PacketGetAdapterNames(nullptr, &size), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_GT(size, 0u);
    std::vector<char> names(size);
    ULONG small = size - 1;
    EXPECT_EQ(f->PacketGetAdapterNames(names.data(), &small), 0);
    EXPECT_EQ(small, size) << "the size needed comes back";
    ASSERT_EQ(f->PacketGetAdapterNames(names.data(), &size), 1);

    const auto adapters = capture::ListPacketAdapters();
    // The engine's own library is this same stand-in, beside the test program.
    ASSERT_EQ(adapters.size(), traffic_test::SharedCaptures().size());
    EXPECT_EQ(adapters.front().name, DataPath("pcap") + "\\eth-dns-snaplen98-truncated.pcap");
    for (const auto& adapter : adapters)
        EXPECT_EQ(adapter.description.rfind("Capture file ", 0), 0u) << adapter.description;
    EXPECT_EQ(adapters.back().description, "Capture file sll-tcp-resp-benchmark.pcap (link type 113)");
    EXPECT_EQ(std::string(names.data()), adapters.front().name);

    TempFolder empty;
    SetEnvironmentVariableA("BRISKLANE_CAPTURE_FILES", empty.Path().c_str());
    size = 100;
    EXPECT_EQ(f->PacketGetAdapterNames(names.data(), &size), 0);
    EXPECT_EQ(size, 0u) << "no adapters: size 0";
}

TEST_F(StandIn, PacedReplayHandsOutRecordsAtTheirTime) {
    SetEnvironmentVariableA("BRISKLANE_REPLAY", "paced");
    TempFolder folder;
    const Bytes frame = traffic_test::Frame(traffic_test::Datagram(17, 100, 1, 2, 3, 4));
    const std::string path = folder.Write("paced.pcap", PcapFile({{100, 0, frame}, {100, 700000, frame}}));
    auto opened = Open(path, 5000);
    ASSERT_NE(opened, nullptr);
    const DWORD start = GetTickCount();
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
    EXPECT_EQ(opened->packet->ulBytesReceived, traffic_test::DriverBuffer({frame}).size());
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
    const DWORD second = GetTickCount() - start;
    EXPECT_GT(opened->packet->ulBytesReceived, 0u);
    EXPECT_GE(second, 600u) << "the second record is 0.7 s after the first";
    EXPECT_LT(second, 3000u) << "and not held until the time-out";
    // Paced or not, a read time-out bounds the wait after the end.
    EXPECT_EQ(f->PacketSetReadTimeout(opened->adapter, 200), 1);
    const DWORD idle = GetTickCount();
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
    EXPECT_EQ(opened->packet->ulBytesReceived, 0u);
    EXPECT_GE(GetTickCount() - idle, 150u);
}

TEST_F(StandIn, FileDamagedMidwayEndsAfterItsGoodRecords) {
    TempFolder folder;
    const Bytes frame = traffic_test::Frame(traffic_test::Datagram(6, 60, 1, 2, 3, 4));
    Bytes file = PcapFile({{0, 0, frame}, {0, 0, frame}});
    file.resize(file.size() - 10);
    auto opened = Open(folder.Write("cut.pcap", file), 50);
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
    EXPECT_EQ(opened->packet->ulBytesReceived, traffic_test::DriverBuffer({frame}).size());
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
    EXPECT_EQ(opened->packet->ulBytesReceived, 0u);
}

} // namespace
