// The packet library, loaded at run time by file name with its entry points resolved by name: the
// driver's own copy where it is installed, else our stand-in beside the executable.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "packet/packet_api.h"
#include "platform/library.h"

namespace capture {

// The entry points the capture engine calls.
struct PacketFunctions {
    packet::OpenAdapterFn PacketOpenAdapter = nullptr;
    packet::CloseAdapterFn PacketCloseAdapter = nullptr;
    packet::SetHwFilterFn PacketSetHwFilter = nullptr;
    packet::SetBuffFn PacketSetBuff = nullptr;
    packet::SetReadTimeoutFn PacketSetReadTimeout = nullptr;
    packet::AllocatePacketFn PacketAllocatePacket = nullptr;
    packet::InitPacketFn PacketInitPacket = nullptr;
    packet::FreePacketFn PacketFreePacket = nullptr;
    packet::GetNetTypeFn PacketGetNetType = nullptr;
    packet::ReceivePacketFn PacketReceivePacket = nullptr;
    packet::GetAdapterNamesFn PacketGetAdapterNames = nullptr;
    // Older libraries may lack it; null then, and drops are not known.
    packet::GetStatsFn PacketGetStats = nullptr;
    // Only our stand-in has it; null for the driver's library.
    packet::TakeNoteFn StandInTakeNote = nullptr;
    // Only our stand-in has it (the frames of a pcapng capture it left out); null for the driver's library.
    packet::OtherLinkTypeFramesFn StandInOtherLinkTypeFrames = nullptr;
};

// A loaded library; unloaded when destroyed.
class PacketLibrary {
public:
    // Tries the driver's folder (the system folder's "Npcap" subfolder), then the executable's folder.
    // Null on failure, with a sentence for the user in error.
    static std::unique_ptr<PacketLibrary> Load(std::string& error);
    // The library at one path; null on failure, with a sentence for the user in error.
    static std::unique_ptr<PacketLibrary> LoadFrom(const std::string& path, std::string& error);

    const PacketFunctions& Functions() const { return m_functions; }
    const std::string& Path() const { return m_path; }

private:
    PacketLibrary(platform::Library library, std::string path)
        : m_library(std::move(library)), m_path(std::move(path)) {}
    platform::Library m_library;
    std::string m_path;
    PacketFunctions m_functions;
};

// The engine's library: the one loaded by the first call, kept for the rest of the process, or the
// functions a test put in its place. Null when it cannot be loaded, with the reason in error.
const PacketFunctions* CapturePacketFunctions(std::string& error);

// Puts scripted entry points in place of the library (null: load the real one again). For tests.
void SetPacketFunctionsForTesting(const PacketFunctions* functions);

// The adapter names and descriptions that the library offers, in order; empty when it offers none or
// cannot be loaded.
struct AdapterName {
    std::string name;
    std::string description;
};
std::vector<AdapterName> ListPacketAdapters();

// What our stand-in has said about capture files since the last call (why one could not be opened, that
// one ended early, ...), oldest first; empty for the driver's library. Its console lines reach no window.
std::vector<std::string> TakePacketLibraryNotes();

} // namespace capture
