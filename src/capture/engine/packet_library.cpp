// The packet library, loaded at run time by file name with its entry points resolved by name.
#include "capture/engine/packet_library.h"

#include <cstdio>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/module_path.h"

namespace capture {

namespace {

constexpr char kLibraryName[] = "packet.dll";

std::string SystemFolder() {
    char path[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(path, length);
}

template <class Function>
bool Resolve(HMODULE module, const char* name, Function& function, std::string& missing) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (function == nullptr && missing.empty()) {
        missing = name;
    }
    return function != nullptr;
}

struct EngineLibrary {
    std::mutex mutex;
    std::unique_ptr<PacketLibrary> loaded;
    const PacketFunctions* scripted = nullptr;
};

EngineLibrary& Engine() {
    static EngineLibrary engine;
    return engine;
}

} // namespace

std::unique_ptr<PacketLibrary> PacketLibrary::LoadFrom(const std::string& path, std::string& error) {
    // The library's own folder is searched for what it needs in turn.
    platform::Library loaded(path.c_str(), LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!loaded.IsLoaded()) {
        char text[400];
        std::snprintf(text, sizeof text, "Cannot load the packet library \"%s\", Error Code : %lu", path.c_str(),
                      GetLastError());
        error = text;
        return nullptr;
    }
    const HMODULE module = loaded.Module();
    std::unique_ptr<PacketLibrary> library(new PacketLibrary(std::move(loaded), path));
    PacketFunctions& f = library->m_functions;
    std::string missing;
    Resolve(module, "PacketOpenAdapter", f.PacketOpenAdapter, missing);
    Resolve(module, "PacketCloseAdapter", f.PacketCloseAdapter, missing);
    Resolve(module, "PacketSetHwFilter", f.PacketSetHwFilter, missing);
    Resolve(module, "PacketSetBuff", f.PacketSetBuff, missing);
    Resolve(module, "PacketSetReadTimeout", f.PacketSetReadTimeout, missing);
    Resolve(module, "PacketAllocatePacket", f.PacketAllocatePacket, missing);
    Resolve(module, "PacketInitPacket", f.PacketInitPacket, missing);
    Resolve(module, "PacketFreePacket", f.PacketFreePacket, missing);
    Resolve(module, "PacketGetNetType", f.PacketGetNetType, missing);
    Resolve(module, "PacketReceivePacket", f.PacketReceivePacket, missing);
    Resolve(module, "PacketGetAdapterNames", f.PacketGetAdapterNames, missing);
    std::string optional;
    (void)Resolve(module, "PacketGetStats", f.PacketGetStats, optional);
    (void)Resolve(module, "StandInTakeNote", f.StandInTakeNote, optional);
    (void)Resolve(module, "StandInOtherLinkTypeFrames", f.StandInOtherLinkTypeFrames, optional);
    if (!missing.empty()) {
        error = "The packet library \"" + path + "\" has no entry point " + missing + ".";
        return nullptr;
    }
    return library;
}

std::unique_ptr<PacketLibrary> PacketLibrary::Load(std::string& error) {
    // The driver's copy first: a stand-in beside the executable would otherwise hide it.
    const std::string systemFolder = SystemFolder();
    if (!systemFolder.empty()) {
        const std::string driverCopy = systemFolder + "\\Npcap\\" + kLibraryName;
        if (GetFileAttributesA(driverCopy.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return LoadFrom(driverCopy, error);
        }
    }
    const std::string folder = platform::ModuleFolder();
    return LoadFrom(folder.empty() ? std::string(kLibraryName) : folder + "\\" + kLibraryName, error);
}

const PacketFunctions* CapturePacketFunctions(std::string& error) {
    EngineLibrary& engine = Engine();
    std::lock_guard lock(engine.mutex);
    if (engine.scripted != nullptr) {
        return engine.scripted;
    }
    if (engine.loaded == nullptr) {
        engine.loaded = PacketLibrary::Load(error);
    }
    return engine.loaded != nullptr ? &engine.loaded->Functions() : nullptr;
}

void SetPacketFunctionsForTesting(const PacketFunctions* functions) {
    EngineLibrary& engine = Engine();
    std::lock_guard lock(engine.mutex);
    engine.scripted = functions;
}

std::vector<AdapterName> ListPacketAdapters() {
    std::string error;
    const PacketFunctions* functions = CapturePacketFunctions(error);
    if (functions == nullptr) {
        return {};
    }
    ULONG size = 0;
    (void)functions->PacketGetAdapterNames(nullptr, &size);
    if (size == 0) {
        return {};
    }
    std::vector<char> block(size + 2, '\0'); // two more zeros, whatever the library wrote
    if (functions->PacketGetAdapterNames(block.data(), &size) == 0) {
        return {};
    }
    std::vector<AdapterName> adapters;
    std::size_t at = 0;
    while (at < block.size() && block[at] != '\0') {
        const std::string name(&block[at]);
        adapters.push_back({name, {}});
        at += name.size() + 1;
    }
    ++at;
    for (AdapterName& adapter : adapters) {
        if (at >= block.size() || block[at] == '\0') {
            break;
        }
        adapter.description = &block[at];
        at += adapter.description.size() + 1;
    }
    return adapters;
}

std::vector<std::string> TakePacketLibraryNotes() {
    std::string error;
    const PacketFunctions* functions = CapturePacketFunctions(error);
    std::vector<std::string> notes;
    if (functions == nullptr || functions->StandInTakeNote == nullptr) {
        return notes;
    }
    char text[1024];
    while (functions->StandInTakeNote(text, sizeof text) != 0) {
        notes.emplace_back(text);
    }
    return notes;
}

} // namespace capture
