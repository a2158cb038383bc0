// What this process holds now, measured in ways that Wine answers too.
#include "process_figures.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <vector>

#include "platform/handles.h"
#include "platform/library.h"

namespace testsupport {

namespace {

// The system's handle table as NtQuerySystemInformation(SystemHandleInformation) gives it. Unlike
// GetProcessHandleCount, which Wine does not implement, it is answered under Wine too.
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct SystemHandleTable {
    ULONG count;
    SystemHandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

// This process's kernel handles, and how they were counted (kNotCounted when neither way answers).
unsigned long HandlesOfThisProcess(const char*& source) {
    using QueryFn = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    const platform::Library ntdll("ntdll.dll");
    const auto query = ntdll.Entry<QueryFn>("NtQuerySystemInformation");
    std::vector<unsigned char> buffer(1 << 20);
    ULONG length = 0;
    NTSTATUS status = kInfoLengthMismatch;
    while (query != nullptr && (status = query(kSystemHandleInformation, buffer.data(),
                                               static_cast<ULONG>(buffer.size()), &length)) == kInfoLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) {
        // A process always holds some handles: a count of 0 is an answer the platform does not have.
        DWORD count = 0;
        source =
            GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0 ? "GetProcessHandleCount" : kNotCounted;
        return count;
    }
    source = "system handle table";
    const auto* table = reinterpret_cast<const SystemHandleTable*>(buffer.data());
    unsigned long mine = 0;
    for (ULONG i = 0; i < table->count; ++i) {
        mine += table->entries[i].ownerPid == GetCurrentProcessId() ? 1 : 0;
    }
    return mine;
}

// This process's threads, and how they were counted (kNotCounted without a snapshot).
unsigned long ThreadsOfThisProcess(const char*& source) {
    // A snapshot fails as a file does, with INVALID_HANDLE_VALUE.
    const platform::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.IsValid()) {
        source = kNotCounted;
        return 0;
    }
    source = "thread snapshot";
    unsigned long threads = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
        threads += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    }
    return threads;
}

// The GDI handle table that the process environment block points to: 65,536 entries of 24 bytes, whose
// type byte is 0 when free. Windows shares it between processes and marks each entry with its owner; Wine
// keeps one per process and leaves the owner 0.
struct GdiTableEntry {
    unsigned long long kernelObject;
    unsigned short ownerPid;
    unsigned short count;
    unsigned short unique;
    unsigned char type;
    unsigned char flags;
    unsigned long long userObject;
};
static_assert(sizeof(GdiTableEntry) == 24);
constexpr std::size_t kGdiTableEntries = 65536;

bool CountGdiTable(unsigned long& count) {
#ifdef _WIN64
    constexpr std::size_t kTableOffset = 0xf8; // PEB.GdiSharedHandleTable on x64
#else
    constexpr std::size_t kTableOffset = 0x94;
#endif
    using QueryFn = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const platform::Library ntdll("ntdll.dll");
    const auto query = ntdll.Entry<QueryFn>("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic{};
    if (query == nullptr || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) {
        return false;
    }
    const auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const GdiTableEntry* const*>(peb + kTableOffset);
    if (table == nullptr) {
        return false;
    }
    const auto me = static_cast<unsigned short>(GetCurrentProcessId());
    count = 0;
    for (std::size_t i = 0; i < kGdiTableEntries; ++i) {
        count += table[i].type != 0 && (table[i].ownerPid == me || table[i].ownerPid == 0) ? 1 : 0;
    }
    return true;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<unsigned long*>(count);
    return TRUE;
}

void CountWindowAndChildren(HWND window, unsigned long& count) {
    ++count;
    (void)EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&count));
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count) {
    DWORD pid = 0;
    (void)GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId()) {
        CountWindowAndChildren(window, *reinterpret_cast<unsigned long*>(count));
    }
    return TRUE;
}

// Top-level and message-only windows of this process with all their children.
unsigned long WindowsOfThisProcess() {
    unsigned long count = 0;
    (void)EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
        DWORD pid = 0;
        (void)GetWindowThreadProcessId(window, &pid);
        if (pid == GetCurrentProcessId()) {
            CountWindowAndChildren(window, count);
        }
    }
    return count;
}

} // namespace

ProcessFigures FiguresOfThisProcess() {
    ProcessFigures figures;
    figures.threads = ThreadsOfThisProcess(figures.threadsSource);
    figures.handles = HandlesOfThisProcess(figures.handlesSource);

    // Wine answers 0 to GetGuiResources; then the GDI table and the windows are what can be counted.
    figures.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    figures.gdiSource = "GetGuiResources";
    if (figures.gdiObjects == 0) {
        figures.gdiSource = CountGdiTable(figures.gdiObjects) ? "GDI handle table" : kNotCounted;
    }
    figures.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    figures.userSource = "GetGuiResources";
    if (figures.userObjects == 0) {
        figures.userObjects = WindowsOfThisProcess();
        figures.userSource = "windows only";
    }

    // Wine reports no PrivateUsage; its PagefileUsage counts the private memory in use.
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    figures.memorySource = kNotCounted;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        if (memory.PrivateUsage != 0) {
            figures.privateBytes = memory.PrivateUsage;
            figures.memorySource = "PrivateUsage";
        } else if (memory.PagefileUsage != 0) {
            figures.privateBytes = memory.PagefileUsage;
            figures.memorySource = "PagefileUsage";
        }
    }
    return figures;
}

std::string Describe(const ProcessFigures& figures) {
    char line[400];
    std::snprintf(line, sizeof line,
                  "threads %lu (%s), handles %lu (%s), GDI objects %lu (%s), USER objects %lu (%s), private memory "
                  "%.1f MB (%s)",
                  figures.threads, figures.threadsSource, figures.handles, figures.handlesSource, figures.gdiObjects,
                  figures.gdiSource, figures.userObjects, figures.userSource,
                  static_cast<double>(figures.privateBytes) / 1048576.0, figures.memorySource);
    return line;
}

} // namespace testsupport
