// The packet.dll stand-in as a caller sees it under Wine: exports, structure layouts, receive behaviour
// (records, the end, no driver buffer, pacing), errors when opening, the adapter-name list, and pipes
// carrying a capture as it is written.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <thread>

#include "capture/engine/packet_library.h"
#include "capture/engine/record_walk.h"
#include "files.h"

namespace {

using capture_bytes::Bytes;
using capture_bytes::PcapFile;
using capture_bytes::PcapFrame;
using testsupport::DataPath;
using testsupport::TempFolder;

class StandIn : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        library = capture::PacketLibrary::LoadFrom(testsupport::BinDir() + "\\packet.dll", error);
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
        if (adapter == nullptr) {
            return nullptr;
        }
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

TEST_F(StandIn, ReplaysEveryRecordThenReportsTheEndAtOnce) {
    auto opened = Open(DataPath("pcap/eth-mixed-http-dns-udp-icmp.pcap"), 5000);
    ASSERT_NE(opened, nullptr);
    EXPECT_NE(opened->adapter->hFile, INVALID_HANDLE_VALUE);
    uint64_t records = 0;
    while (f->PacketReceivePacket(opened->adapter, opened->packet, 1) == 1) {
        EXPECT_EQ(opened->packet->Buffer, buffer.data());
        EXPECT_EQ(opened->packet->Length, buffer.size());
        const DWORD bytes = opened->packet->ulBytesReceived;
        ASSERT_GT(bytes, 0u) << "a file has no idle moments";
        EXPECT_EQ(bytes % 4, 0u);
        records += capture::WalkCaptureRecords(buffer.data(), bytes, 14,
                                               [](const uint8_t*, uint32_t, const capture::CaptureRecord&) {})
                       .records;
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
    EXPECT_EQ(records, capture_bytes::ReadTotals("eth-mixed-http-dns-udp-icmp").at("frames_total"));
    const DWORD start = GetTickCount();
    EXPECT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
    EXPECT_LT(GetTickCount() - start, 1000u) << "the end does not wait for the 5 s read time-out";
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
    for (size_t i = 0; i < sizeof(packet::Packet); ++i) {
        ASSERT_EQ(bytes[i], 0) << "allocated zero-filled, byte " << i;
    }
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
        capture_bytes::PcapOptions options;
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
    const std::string otherFormat = folder.Write("notes.pcap", Bytes(100, 'x'));
    // A pcapng section header of major version 2.
    const std::string pcapng2 = folder.Write("next.pcapng", Bytes{0x0a, 0x0d, 0x0d, 0x0a, 28, 0, 0,    0,    0x4d, 0x3c,
                                                                  0x2b, 0x1a, 2,    0,    0,  0, 0xff, 0xff, 0xff, 0xff,
                                                                  0xff, 0xff, 0xff, 0xff, 28, 0, 0,    0});
    const struct {
        const char* name;
        std::string adapter;
        DWORD error;
    } cases[] = {
        {"missing file", folder.File("missing.pcap"), ERROR_FILE_NOT_FOUND},
        {"missing folder", folder.File("none\\x.pcap"), ERROR_PATH_NOT_FOUND},
        {"too short for a header", notCapture, ERROR_BAD_FORMAT},
        {"another format", otherFormat, ERROR_BAD_FORMAT},
        {"a pcapng version it does not read", pcapng2, ERROR_BAD_FORMAT},
        {"empty name", "", ERROR_INVALID_NAME},
        {"no such pipe", "\\\\.\\pipe\\brisklane-nobody-serves-this", ERROR_FILE_NOT_FOUND},
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
    ASSERT_EQ(adapters.size(), capture_bytes::SharedCaptures().size());
    EXPECT_EQ(adapters.front().name, DataPath("pcap") + "\\eth-dns-snaplen98-truncated.pcap");
    for (const auto& adapter : adapters) {
        EXPECT_EQ(adapter.description.rfind("Capture file ", 0), 0u) << adapter.description;
    }
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
    const Bytes frame = capture_bytes::Frame(capture_bytes::Datagram(17, 100, 1, 2, 3, 4));
    const std::string path = folder.Write("paced.pcap", PcapFile({{100, 0, frame}, {100, 700000, frame}}));
    auto opened = Open(path, 5000);
    ASSERT_NE(opened, nullptr);
    const DWORD start = GetTickCount();
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
    EXPECT_EQ(opened->packet->ulBytesReceived, capture_bytes::DriverBuffer({frame}).size());
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
    const DWORD second = GetTickCount() - start;
    EXPECT_GT(opened->packet->ulBytesReceived, 0u);
    EXPECT_GE(second, 600u) << "the second record is 0.7 s after the first";
    EXPECT_LT(second, 3000u) << "and not held until the time-out";
    const DWORD end = GetTickCount();
    EXPECT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 0) << "paced or not, the end is reported";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
    EXPECT_LT(GetTickCount() - end, 3000u);
}

TEST_F(StandIn, FileDamagedMidwayEndsAfterItsGoodRecords) {
    TempFolder folder;
    const Bytes frame = capture_bytes::Frame(capture_bytes::Datagram(6, 60, 1, 2, 3, 4));
    Bytes file = PcapFile({{0, 0, frame}, {0, 0, frame}});
    file.resize(file.size() - 10);
    auto opened = Open(folder.Write("cut.pcap", file), 50);
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
    EXPECT_EQ(opened->packet->ulBytesReceived, capture_bytes::DriverBuffer({frame}).size());
    EXPECT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
}

// ---- Pipes: a capture as it is written -------------------------------------------------------------------

// The writing end of a named pipe, served by the test; the stand-in opens it as a client.
class PipeWriter {
public:
    PipeWriter()
        : m_name("\\\\.\\pipe\\brisklane-test-" + std::to_string(GetCurrentProcessId())),
          m_pipe(CreateNamedPipeA(m_name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 20, 1 << 20,
                                  0, nullptr)) {}
    ~PipeWriter() {
        if (m_connect.joinable()) {
            m_connect.join();
        }
        Close();
    }
    const std::string& Name() const { return m_name; }
    // Once the stand-in has connected, writes the first bytes (opening the adapter waits for them), and
    // closes the pipe after them if asked.
    void OnConnectWrite(const Bytes& first, bool thenClose = false) {
        m_connect = std::thread([this, first, thenClose] {
            (void)ConnectNamedPipe(m_pipe, nullptr);
            Write(first);
            if (thenClose) {
                Close();
            }
        });
    }
    void Write(const Bytes& bytes) {
        if (m_connect.joinable() && m_connect.get_id() != std::this_thread::get_id()) {
            m_connect.join();
        }
        DWORD written = 0;
        EXPECT_TRUE(bytes.empty() ||
                    WriteFile(m_pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }
    void Close() {
        if (m_pipe != INVALID_HANDLE_VALUE) {
            CloseHandle(m_pipe);
        }
        m_pipe = INVALID_HANDLE_VALUE;
    }

private:
    std::string m_name;
    HANDLE m_pipe;
    std::thread m_connect;
};

Bytes Slice(const Bytes& bytes, size_t from, size_t to) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

TEST_F(StandIn, PipeHandsOutRecordsAsTheyArriveWaitsThroughPausesAndEndsWhenClosed) {
    const Bytes frame = capture_bytes::Frame(capture_bytes::Datagram(17, 100, 1, 2, 3, 4));
    const Bytes file = PcapFile({{1, 0, frame}, {2, 0, frame}, {3, 0, frame}});
    const size_t record = 16 + frame.size();
    PipeWriter writer;
    writer.OnConnectWrite(Slice(file, 0, 24 + record)); // the header and the first record
    auto opened = Open(writer.Name(), 300);
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1);
    EXPECT_EQ(opened->packet->ulBytesReceived, capture_bytes::DriverBuffer({frame}).size());

    writer.Write(Slice(file, 24 + record, 24 + record + 30)); // half a record, then a pause
    const DWORD start = GetTickCount();
    ASSERT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 1) << "a pause is not the end";
    EXPECT_EQ(opened->packet->ulBytesReceived, 0u) << "a partial record waits for the rest";
    EXPECT_GE(GetTickCount() - start, 250u) << "for the read time-out";

    writer.Write(Slice(file, 24 + record + 30, file.size()));
    DWORD received = 0;
    while (received < capture_bytes::DriverBuffer({frame, frame}).size() &&
           f->PacketReceivePacket(opened->adapter, opened->packet, 1) == 1) {
        received += opened->packet->ulBytesReceived;
    }
    EXPECT_EQ(received, capture_bytes::DriverBuffer({frame, frame}).size());

    writer.Close();
    EXPECT_EQ(f->PacketReceivePacket(opened->adapter, opened->packet, 1), 0) << "the writer closing it is the end";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
}

TEST_F(StandIn, PipeThatEndsBeforeItsHeaderIsNoCapture) {
    PipeWriter writer;
    writer.OnConnectWrite(Bytes(10, 0xd4), true);
    SetLastError(0);
    EXPECT_EQ(f->PacketOpenAdapter(writer.Name().c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_FORMAT));
}

} // namespace
