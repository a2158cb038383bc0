// packet.dll stand-in: an "adapter" is a capture file (classic libpcap or pcapng) whose records are handed out
// in the driver's buffer format, as fast as the reader takes them or paced by the file's time stamps; or a
// pipe carrying such a capture as it is written, whose records are handed out as they arrive, with the drops
// that the pipe's writer reports in a statistics file.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "packet/adapter_list.h"
#include "packet/capture_format.h"
#include "packet/capture_replay.h"
#include "packet/drop_report.h"
#include "packet/link_types.h"
#include "packet/packet_api.h"
#include "packet/pipe_byte_source.h"
#include "platform/handles.h"
#include "platform/module_path.h"

namespace {

using packet::Adapter;
using packet::Boolean;
using packet::NetTypeRecord;
using packet::Packet;

constexpr Boolean kTrue = 1;
constexpr Boolean kFalse = 0;
// A nominal link speed in bits per second; a file has none of its own.
constexpr ULONGLONG kLinkSpeed = 1000000000ull;
// How long opening a pipe waits for the capture's file header, and for a busy named pipe.
constexpr DWORD kPipeOpenWaitMs = 5000;

// Reads the capture file through the handle that the adapter object shows as its driver handle.
class HandleByteSource final : public packet::ByteSource {
public:
    explicit HandleByteSource(HANDLE file) : m_file(file) {}
    std::size_t Read(std::uint8_t* destination, std::size_t size) override {
        std::size_t total = 0;
        while (total < size) {
            const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size - total, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(m_file, destination + total, piece, &got, nullptr) || got == 0) {
                break;
            }
            total += got;
        }
        return total;
    }

private:
    HANDLE m_file;
};

struct ReplayState {
    std::string path;
    platform::FileHandle file;
    packet::PipeByteSource* stream = nullptr; // a pipe: the reader's source; null for a file
    std::unique_ptr<packet::CaptureReplay> replay;
    bool paced = false;
    bool clockStarted = false;
    LONGLONG startCounter = 0;
    int driverBufferBytes = 0; // 0 until PacketSetBuff: receiving then fails, as with the driver
    int readTimeoutMs = 0;     // 0 waits for data without limit, -1 does not wait
    ULONG hardwareFilter = 0;
    bool endReported = false;
    // Records handed out; read by PacketGetStats on any thread.
    std::atomic<std::uint32_t> recordsDelivered{0};
    // A pipe's statistics file (BRISKLANE_CAPTURE_STATS); empty: its drops are not known.
    std::string statsPath;

    ~ReplayState() {
        replay.reset(); // with the reader goes the pipe's source, which must end its read first
    }
};

// The block handed to callers: the public part first, our state behind it.
struct StandInAdapter {
    Adapter publicPart;
    ReplayState* state;
};
static_assert(offsetof(StandInAdapter, publicPart) == 0);

ReplayState* StateOf(Adapter* adapter) {
    return adapter == nullptr ? nullptr : reinterpret_cast<StandInAdapter*>(adapter)->state;
}

// Sentences about the files, kept until a program of ours takes them with StandInTakeNote (a window shows
// them); the oldest go first when nobody takes them.
class Notes {
public:
    void Add(const std::string& text) {
        std::lock_guard lock(m_mutex);
        if (m_pending.size() == kKept) {
            m_pending.pop_front();
        }
        m_pending.push_back(text);
    }
    bool Take(std::string& text) {
        std::lock_guard lock(m_mutex);
        if (m_pending.empty()) {
            return false;
        }
        text = std::move(m_pending.front());
        m_pending.pop_front();
        return true;
    }

private:
    static constexpr std::size_t kKept = 16;
    std::mutex m_mutex;
    std::deque<std::string> m_pending;
};

Notes& PendingNotes() {
    static Notes notes;
    return notes;
}

// Problems with a file go to the debugger, to the error stream (for console programs) and to the notes.
void Report(const std::string& text) {
    const std::string line = "packet.dll: " + text + "\n";
    OutputDebugStringA(line.c_str());
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    PendingNotes().Add(text);
}

void ReportReaderNotes(ReplayState& state) {
    for (const std::string& note : state.replay->TakeNotes()) {
        Report(state.path + ": " + note);
    }
}

// The value of an environment variable; empty when it is not set.
std::string EnvironmentText(const char* name) {
    const DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::string value(needed, '\0');
    const DWORD length = GetEnvironmentVariableA(name, value.data(), needed);
    value.resize(length < needed ? length : 0);
    return value;
}

// The last bytes of a file that another process keeps writing; empty when it cannot be read.
std::string TailOfFile(const std::string& path) {
    constexpr LONGLONG kTailBytes = 4096; // several whole reports
    const platform::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size)) {
        return {};
    }
    LARGE_INTEGER start{};
    start.QuadPart = size.QuadPart > kTailBytes ? size.QuadPart - kTailBytes : 0;
    std::string text(static_cast<std::size_t>(size.QuadPart - start.QuadPart), '\0');
    DWORD got = 0;
    if (!SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) ||
        !ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr)) {
        return {};
    }
    text.resize(got);
    return text;
}

bool PacedReplayRequested() {
    char value[32] = {};
    const DWORD length = GetEnvironmentVariableA("BRISKLANE_REPLAY", value, sizeof value);
    return length > 0 && length < sizeof value && lstrcmpiA(value, "paced") == 0;
}

LONGLONG CounterNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

std::uint64_t MicrosecondsSince(LONGLONG start) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    const LONGLONG ticks = CounterNow() - start;
    return static_cast<std::uint64_t>(ticks / frequency) * 1000000u +
           static_cast<std::uint64_t>(ticks % frequency) * 1000000u / static_cast<std::uint64_t>(frequency);
}

void ReportEndOnce(ReplayState& state) {
    if (state.endReported) {
        return;
    }
    state.endReported = true;
    if (!state.replay->ErrorText().empty()) {
        Report(state.path + ": " + state.replay->ErrorText() + "; replay ends there");
    } else if (state.stream != nullptr && !state.stream->Failure().empty()) {
        Report(state.path + ": " + state.stream->Failure() + "; capture ends there");
    }
}

// Hands out the records that have arrived; waits for the first at most until the read time-out.
packet::ReplayFill ReceiveFromStream(ReplayState& state, std::uint8_t* buffer, std::uint32_t capacity) {
    const DWORD start = GetTickCount();
    for (;;) {
        const packet::ReplayFill fill = state.replay->Fill(buffer, capacity, packet::CaptureReplay::kAllDue);
        if (fill.bytes != 0 || state.readTimeoutMs < 0 || state.replay->Exhausted()) {
            return fill;
        }
        int remaining = 0; // without limit
        if (state.readTimeoutMs > 0) {
            const DWORD waited = GetTickCount() - start;
            if (waited >= static_cast<DWORD>(state.readTimeoutMs)) {
                return fill;
            }
            remaining = state.readTimeoutMs - static_cast<int>(waited);
        }
        state.stream->Wait(remaining);
    }
}

// Hands out the records whose time has come, measured from the first receive; waits for the next one at
// most until the read time-out.
packet::ReplayFill ReceivePaced(ReplayState& state, std::uint8_t* buffer, std::uint32_t capacity) {
    if (!state.clockStarted) {
        state.startCounter = CounterNow();
        state.clockStarted = true;
    }
    const std::uint64_t waitStart = MicrosecondsSince(state.startCounter);
    const bool unlimited = state.readTimeoutMs == 0;
    const std::uint64_t deadline = waitStart + (state.readTimeoutMs > 0 ? state.readTimeoutMs * 1000ull : 0);
    for (;;) {
        const std::uint64_t now = MicrosecondsSince(state.startCounter);
        packet::ReplayFill fill = state.replay->Fill(buffer, capacity, now);
        if (fill.bytes != 0 || state.readTimeoutMs < 0) {
            return fill;
        }
        std::uint64_t nextOffset = 0;
        if (!state.replay->NextRecordOffset(nextOffset)) {
            return fill; // the end
        }
        if (nextOffset <= now) { // due, but the buffer is too small for any record
            return fill;
        }
        if (!unlimited && now >= deadline) {
            return fill;
        }
        std::uint64_t wait = nextOffset - now;
        if (!unlimited) {
            wait = std::min(wait, deadline - now);
        }
        Sleep(static_cast<DWORD>(std::min<std::uint64_t>((wait + 999) / 1000, 0x7fffffff)));
    }
}

// The capture files of a folder, by name.
std::vector<std::string> CaptureFilesIn(const std::string& folder) {
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    const platform::FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!search.IsValid()) {
        return files;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && packet::HasCaptureExtension(found.cFileName)) {
            files.push_back(folder + "\\" + found.cFileName);
        }
    } while (FindNextFileA(search.Get(), &found));
    std::sort(files.begin(), files.end());
    return files;
}

// BRISKLANE_CAPTURE_FILES lists files and folders (';'-separated); without it, the folder "captures" beside
// this DLL. Only files that read as capture files are offered.
std::vector<packet::AdapterEntry> OfferedAdapters() {
    std::vector<std::string> items;
    const std::string list = EnvironmentText("BRISKLANE_CAPTURE_FILES");
    if (!list.empty()) {
        items = packet::SplitPathList(list);
    } else {
        static const char inThisModule = 0;
        const std::string folder = platform::ModuleFolder(platform::ModuleContaining(&inThisModule));
        if (!folder.empty()) {
            items.push_back(folder + "\\captures");
        }
    }
    std::vector<packet::AdapterEntry> entries;
    for (const std::string& item : items) {
        const DWORD attributes = GetFileAttributesA(item.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            continue;
        }
        const std::vector<std::string> files =
            (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? CaptureFilesIn(item) : std::vector<std::string>{item};
        for (const std::string& file : files) {
            std::string description = packet::DescribeCaptureFile(file);
            if (!description.empty()) {
                entries.push_back({file, std::move(description)});
            }
        }
    }
    return entries;
}

// A single-byte path too long for the plain calls (MAX_PATH characters or more), as the full path with the
// "\\?\" prefix that lets the wide calls open it; empty for any other path.
std::wstring LongPathForm(const char* adapterName) {
    if (std::strlen(adapterName) < MAX_PATH) {
        return {};
    }
    const int size = MultiByteToWideChar(CP_ACP, 0, adapterName, -1, nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    (void)MultiByteToWideChar(CP_ACP, 0, adapterName, -1, wide.data(), size);
    if (wide.rfind(L"\\\\?\\", 0) == 0) {
        return wide;
    }
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return {};
    }
    full.resize(length);
    if (full.rfind(L"\\\\", 0) == 0) { // \\server\share\... becomes \\?\UNC\server\share\...
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

// The adapter's name as the system's calls take it: the wide form when there is one (the UTF-16 text given,
// or the long form of a long single-byte path), else the single-byte path.
struct SystemName {
    std::wstring wide;
    const char* narrow = nullptr;
};

SystemName SystemNameOf(const char* adapterName) {
    if (adapterName[1] == '\0') { // a name whose second byte is 0 is UTF-16 text
        return {reinterpret_cast<const wchar_t*>(adapterName), adapterName};
    }
    return {LongPathForm(adapterName), adapterName};
}

HANDLE OpenForReading(const SystemName& name, DWORD flags) {
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    if (!name.wide.empty()) {
        return CreateFileW(name.wide.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr);
    }
    return CreateFileA(name.narrow, GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr);
}

// Why a name could not be opened, in words: a folder is named as such, anything else by the system's text.
std::string OpenFailure(const SystemName& name, DWORD code) {
    const DWORD attributes =
        !name.wide.empty() ? GetFileAttributesW(name.wide.c_str()) : GetFileAttributesA(name.narrow);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return "a folder, not a capture file";
    }
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ')) {
        text[--length] = '\0';
    }
    return "cannot be opened: " + std::string(length > 0 ? text : "error") + " (error " + std::to_string(code) + ")";
}

// The adapter's name as single-byte text, for what is said about it.
std::string NameText(const char* adapterName) {
    if (adapterName[1] != '\0') {
        return adapterName;
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(adapterName);
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    (void)WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(size) - 1);
    return text;
}

// Opens the adapter's file or pipe. A pipe is opened for overlapped reading, so that a receive can wait
// for it with a time-out; a file is read plainly, in large sequential pieces.
platform::FileHandle OpenAdapterHandle(const SystemName& name, bool& isPipe) {
    platform::FileHandle handle(OpenForReading(name, FILE_FLAG_OVERLAPPED));
    if (!handle.IsValid() && GetLastError() == ERROR_PIPE_BUSY &&
        (!name.wide.empty() ? WaitNamedPipeW(name.wide.c_str(), kPipeOpenWaitMs)
                            : WaitNamedPipeA(name.narrow, kPipeOpenWaitMs))) {
        handle.Reset(OpenForReading(name, FILE_FLAG_OVERLAPPED));
    }
    isPipe = handle.IsValid() && GetFileType(handle.Get()) != FILE_TYPE_DISK;
    if (!handle.IsValid() || isPipe) {
        return handle;
    }
    handle.Reset(); // closed before the file is opened again, the plain way
    handle.Reset(OpenForReading(name, FILE_FLAG_SEQUENTIAL_SCAN));
    return handle;
}

// Reads a pipe's file header (pcapng: up to its first interface), which its writer sends first; waits for it
// a little while.
packet::PcapStatus OpenStreamHeader(packet::CaptureReader& reader, packet::PipeByteSource& source) {
    const DWORD start = GetTickCount();
    packet::PcapStatus status;
    DWORD waited = 0;
    while ((status = reader.Open()) == packet::PcapStatus::Waiting && waited < kPipeOpenWaitMs) {
        source.Wait(static_cast<int>(kPipeOpenWaitMs - waited));
        waited = GetTickCount() - start;
    }
    return status;
}

} // namespace

extern "C" {

Adapter* __cdecl PacketOpenAdapter(const char* adapterName) {
    if (adapterName == nullptr || adapterName[0] == '\0') {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    auto state = std::make_unique<ReplayState>();
    state->path = NameText(adapterName);
    const SystemName name = SystemNameOf(adapterName);
    bool isPipe = false;
    state->file = OpenAdapterHandle(name, isPipe);
    if (!state->file.IsValid()) {
        const DWORD code = GetLastError();
        Report(state->path + ": " + OpenFailure(name, code));
        SetLastError(code); // the reason is CreateFile's
        return nullptr;
    }
    std::unique_ptr<packet::CaptureReader> reader;
    packet::PcapStatus status;
    if (isPipe) {
        auto source = std::make_unique<packet::PipeByteSource>(state->file.Get());
        packet::PipeByteSource& stream = *source;
        reader = packet::CaptureReaderFor(std::move(source));
        status = OpenStreamHeader(*reader, stream);
        state->stream = &stream;
    } else {
        reader = packet::CaptureReaderFor(std::make_unique<HandleByteSource>(state->file.Get()));
        status = reader->Open();
    }
    if (status == packet::PcapStatus::Waiting) {
        Report(state->path + ": no capture file header arrived within " + std::to_string(kPipeOpenWaitMs / 1000) +
               " s");
        reader.reset();
        state.reset();
        SetLastError(ERROR_TIMEOUT);
        return nullptr;
    }
    if (status != packet::PcapStatus::Ok) {
        Report(state->path + ": " + reader->ErrorText());
        reader.reset();
        state.reset();
        SetLastError(ERROR_BAD_FORMAT);
        return nullptr;
    }
    state->replay = std::make_unique<packet::CaptureReplay>(std::move(reader));
    state->paced = !isPipe && PacedReplayRequested();
    if (isPipe) {
        state->statsPath = EnvironmentText("BRISKLANE_CAPTURE_STATS");
    }
    ReportReaderNotes(*state);

    auto* adapter = new (std::nothrow) StandInAdapter{};
    if (adapter == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    adapter->publicPart.hFile = state->file.Get();
    adapter->state = state.release();
    return &adapter->publicPart;
}

void __cdecl PacketCloseAdapter(Adapter* adapter) {
    if (adapter == nullptr) {
        return;
    }
    auto* standIn = reinterpret_cast<StandInAdapter*>(adapter);
    delete standIn->state;
    delete standIn;
}

Boolean __cdecl PacketSetHwFilter(Adapter* adapter, ULONG filter) {
    ReplayState* state = StateOf(adapter);
    if (state == nullptr) {
        return kFalse;
    }
    state->hardwareFilter = filter;
    return kTrue;
}

Boolean __cdecl PacketSetBuff(Adapter* adapter, int bytes) {
    ReplayState* state = StateOf(adapter);
    if (state == nullptr || bytes < 0) {
        return kFalse;
    }
    state->driverBufferBytes = bytes;
    return kTrue;
}

Boolean __cdecl PacketSetReadTimeout(Adapter* adapter, int milliseconds) {
    ReplayState* state = StateOf(adapter);
    if (state != nullptr) {
        state->readTimeoutMs = milliseconds;
    }
    return kTrue;
}

Packet* __cdecl PacketAllocatePacket() {
    auto* packet = static_cast<Packet*>(std::calloc(1, sizeof(Packet)));
    if (packet == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return packet;
}

void __cdecl PacketInitPacket(Packet* packet, void* buffer, UINT length) {
    if (packet == nullptr) {
        return;
    }
    ZeroMemory(packet, sizeof(Packet));
    packet->Buffer = buffer;
    packet->Length = length;
}

void __cdecl PacketFreePacket(Packet* packet) {
    std::free(packet);
}

Boolean __cdecl PacketGetNetType(Adapter* adapter, NetTypeRecord* type) {
    ReplayState* state = StateOf(adapter);
    if (state == nullptr || type == nullptr) {
        return kFalse;
    }
    type->LinkType = packet::NdisMediumForLinkType(state->replay->Header().linkType);
    type->LinkSpeed = kLinkSpeed;
    return kTrue;
}

Boolean __cdecl PacketReceivePacket(Adapter* adapter, Packet* packet, Boolean /*sync*/) {
    ReplayState* state = StateOf(adapter);
    if (state == nullptr || packet == nullptr || packet->Buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return kFalse;
    }
    packet->ulBytesReceived = 0;
    packet->bIoComplete = kFalse;
    if (state->driverBufferBytes == 0) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return kFalse;
    }
    // A read never returns more than the driver buffer could have held.
    const auto capacity = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(packet->Length, static_cast<std::uint64_t>(state->driverBufferBytes)));
    auto* buffer = static_cast<std::uint8_t*>(packet->Buffer);
    const packet::ReplayFill fill = state->stream != nullptr ? ReceiveFromStream(*state, buffer, capacity)
                                    : state->paced
                                        ? ReceivePaced(*state, buffer, capacity)
                                        : state->replay->Fill(buffer, capacity, packet::CaptureReplay::kAllDue);
    ReportReaderNotes(*state);
    if (fill.bytes == 0 && state->replay->Exhausted()) {
        // The end of the file, or of the stream: no receive will bring anything again.
        ReportEndOnce(*state);
        SetLastError(ERROR_HANDLE_EOF);
        return kFalse;
    }
    state->recordsDelivered.fetch_add(fill.records, std::memory_order_relaxed);
    packet->ulBytesReceived = fill.bytes;
    packet->bIoComplete = kTrue;
    return kTrue;
}

// A file replay drops nothing: every record is handed out. A pipe's drops happened before it, in the
// capture that writes it; they are known when that capture reports them in the statistics file, which
// tcpdump's standard error is (it writes its counts there at the end, and on SIGUSR1).
Boolean __cdecl PacketGetStats(Adapter* adapter, packet::CaptureStats* stats) {
    ReplayState* state = StateOf(adapter);
    if (state == nullptr || stats == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return kFalse;
    }
    const std::uint32_t delivered = state->recordsDelivered.load(std::memory_order_relaxed);
    if (state->stream == nullptr) {
        *stats = packet::CaptureStats{delivered, 0, 0, delivered};
        return kTrue;
    }
    packet::DropReport report;
    if (state->statsPath.empty() || !packet::ParseLatestDropReport(TailOfFile(state->statsPath), report)) {
        SetLastError(ERROR_NOT_SUPPORTED); // nobody has counted the drops (yet)
        return kFalse;
    }
    const auto clamp = [](std::uint64_t count) { return static_cast<UINT>(std::min<std::uint64_t>(count, UINT_MAX)); };
    *stats = packet::CaptureStats{clamp(report.receivedByFilter), clamp(report.droppedByKernel), 0, delivered};
    return kTrue;
}

Boolean __cdecl PacketGetAdapterNames(char* buffer, ULONG* bufferSize) {
    if (bufferSize == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return kFalse;
    }
    const std::string block = packet::FormatAdapterNames(OfferedAdapters());
    if (block.empty()) {
        *bufferSize = 0;
        SetLastError(ERROR_NO_MORE_ITEMS);
        return kFalse;
    }
    if (buffer == nullptr || *bufferSize < block.size()) {
        *bufferSize = static_cast<ULONG>(block.size());
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return kFalse;
    }
    CopyMemory(buffer, block.data(), block.size());
    return kTrue;
}

// Not an entry point of the driver's library: hands the oldest sentence about a file (see Report) to a
// program of ours, cut to the buffer, and forgets it. Gives the sentence's length with its terminating zero,
// or 0 when there is none.
ULONG __cdecl StandInTakeNote(char* buffer, ULONG size) {
    std::string note;
    if (!PendingNotes().Take(note)) {
        return 0;
    }
    if (buffer != nullptr && size != 0) {
        const std::size_t copied = std::min<std::size_t>(note.size(), size - 1);
        CopyMemory(buffer, note.data(), copied);
        buffer[copied] = '\0';
    }
    return static_cast<ULONG>(note.size() + 1);
}

// Not an entry point of the driver's library: the records of the adapter's capture left out so far because
// their pcapng interface's link type is not the one the adapter reports (their bytes have another layout).
// The driver's library has no such figure; 0 for a classic file and for a NULL adapter.
ULONGLONG __cdecl StandInOtherLinkTypeFrames(Adapter* adapter) {
    ReplayState* state = StateOf(adapter);
    return state == nullptr ? 0 : state->replay->OtherLinkTypeRecords();
}

} // extern "C"
