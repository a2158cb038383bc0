// The packet library's calling interface: structure layouts and entry-point types shared by the capture
// engine (which calls the library) and our stand-in DLL (which implements it).
#pragma once

#include <windows.h>

#include <cstddef>

namespace packet {

// Results typed BOOLEAN by the library are one byte; only that byte may be tested.
using Boolean = unsigned char;

// The public head of the library's adapter object. The library hands out a larger private block that
// begins with it; callers only read hFile.
#ifdef _WIN64
inline constexpr std::size_t kAdapterPublicBytes = 376;
#else
inline constexpr std::size_t kAdapterPublicBytes = 356;
#endif

struct Adapter {
    HANDLE hFile;
    unsigned char reserved[kAdapterPublicBytes - sizeof(HANDLE)];
};

struct Packet {
    HANDLE hEvent;
    OVERLAPPED OverLapped;
    void* Buffer;
    UINT Length;
    DWORD ulBytesReceived;
    Boolean bIoComplete;
};

// The link-type record of current libraries: 16 bytes (older ones had 8, which a current library overruns).
struct NetTypeRecord {
    UINT LinkType;
    ULONGLONG LinkSpeed;
};

#ifdef _WIN64
static_assert(sizeof(Adapter) == 376);
static_assert(offsetof(Packet, OverLapped) == 8 && offsetof(Packet, Buffer) == 40 && offsetof(Packet, Length) == 48);
static_assert(offsetof(Packet, ulBytesReceived) == 52 && offsetof(Packet, bIoComplete) == 56 && sizeof(Packet) == 64);
#else
static_assert(sizeof(Adapter) == 356);
static_assert(offsetof(Packet, OverLapped) == 4 && offsetof(Packet, Buffer) == 24 && offsetof(Packet, Length) == 28);
static_assert(offsetof(Packet, ulBytesReceived) == 32 && offsetof(Packet, bIoComplete) == 36 && sizeof(Packet) == 40);
#endif
static_assert(offsetof(Adapter, hFile) == 0 && offsetof(Packet, hEvent) == 0);

// The header the driver writes before each captured frame in the receive buffer: a time stamp of two 32-bit
// longs, the captured and the wire length, and the header's own length. 20 bytes in both builds; the
// engine's record walk reads it byte by byte at these offsets.
struct RecordHeader {
    LONG seconds;
    LONG microseconds;
    UINT capturedLength;
    UINT wireLength;
    USHORT headerLength;
};
static_assert(sizeof(RecordHeader) == 20 && offsetof(RecordHeader, capturedLength) == 8 &&
              offsetof(RecordHeader, wireLength) == 12 && offsetof(RecordHeader, headerLength) == 16);
static_assert(offsetof(NetTypeRecord, LinkSpeed) == 8 && sizeof(NetTypeRecord) == 16);

// What the driver counted since the adapter was opened: packets it received, packets it dropped for want of
// buffer room, packets the interface dropped, and packets captured. Four 32-bit counts in both builds.
struct CaptureStats {
    UINT bs_recv;
    UINT bs_drop;
    UINT ps_ifdrop;
    UINT bs_capt;
};
static_assert(sizeof(CaptureStats) == 16);

// Entry points, all plain C with the caller cleaning the stack, exported under undecorated names.
using OpenAdapterFn = Adapter*(__cdecl*)(const char* adapterName);
using CloseAdapterFn = void(__cdecl*)(Adapter* adapter);
using SetHwFilterFn = Boolean(__cdecl*)(Adapter* adapter, ULONG filter);
using SetBuffFn = Boolean(__cdecl*)(Adapter* adapter, int bytes);
using SetReadTimeoutFn = Boolean(__cdecl*)(Adapter* adapter, int milliseconds);
using AllocatePacketFn = Packet*(__cdecl*)();
using InitPacketFn = void(__cdecl*)(Packet* packet, void* buffer, UINT length);
using FreePacketFn = void(__cdecl*)(Packet* packet);
using GetNetTypeFn = Boolean(__cdecl*)(Adapter* adapter, NetTypeRecord* type);
using ReceivePacketFn = Boolean(__cdecl*)(Adapter* adapter, Packet* packet, Boolean sync);
using GetAdapterNamesFn = Boolean(__cdecl*)(char* buffer, ULONG* bufferSize);
using GetStatsFn = Boolean(__cdecl*)(Adapter* adapter, CaptureStats* stats);
// Our stand-in's own, not the driver's: the oldest sentence about a capture file, cut to the buffer; its
// length with the terminating zero, 0 when there is none.
using TakeNoteFn = ULONG(__cdecl*)(char* buffer, ULONG size);
// Our stand-in's own: the adapter's records left out so far because their pcapng interface has another link
// type than the adapter reports.
using OtherLinkTypeFramesFn = ULONGLONG(__cdecl*)(Adapter* adapter);

// NDIS filter bit for promiscuous reception.
inline constexpr ULONG kNdisPacketTypePromiscuous = 0x20;
// NDIS medium numbers that the engine tells apart.
inline constexpr UINT kNdisMedium802_3 = 0;
inline constexpr UINT kNdisMedium802_5 = 1;

} // namespace packet
