// The capture engine: adapter, capture thread, start and stop.
#include "capture/capture_engine.h"

#include <cstdio>
#include <string>

#include "capture/capture_pass.h"
#include "capture/log_file.h"
#include "capture/packet_library.h"
#include "capture/traffic_list.h"
#include "framework/message_box.h"
#include "framework/thread.h"

std::atomic<int32_t> captureRunning{0};
int32_t linkHeaderLength = capture::kEthernetHeaderBytes;
packet::Adapter* captureAdapter = nullptr;
packet::Packet* capturePacket = nullptr;
std::atomic<uint32_t> idleReceiveCount{0};

namespace {

// Filled by the library after each receive; lives as long as the process.
alignas(8) uint8_t receiveBuffer[kReceiveBufferBytes];

// The entry points of the library in use for the current capture.
const capture::PacketFunctions* library = nullptr;

// Owns the capture thread's handle; the thread itself is never ended from outside.
class ThreadHandle {
public:
    ThreadHandle() = default;
    ~ThreadHandle() { Reset(); }
    ThreadHandle(const ThreadHandle&) = delete;
    ThreadHandle& operator=(const ThreadHandle&) = delete;
    void Reset(HANDLE handle = nullptr) {
        if (m_handle != nullptr)
            CloseHandle(m_handle);
        m_handle = handle;
    }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle = nullptr;
};

ThreadHandle captureThread;
// Cleared when a thread was created but cannot be waited for: it then ends before doing anything.
std::atomic<bool> threadMayRun{true};

void ShowError(const char* text) {
    (void)fw::ShowMessageBox(nullptr, text, "Error", MB_OK | MB_ICONERROR);
}

int QueryLinkType() {
    // Current libraries fill 16 bytes (a 64-bit link speed after the type); 8 would be overrun.
    packet::NetTypeRecord type{};
    if (library->PacketGetNetType(captureAdapter, &type) == 0) {
        ShowError("Cannot get network type!\n");
        return 3;
    }
    linkHeaderLength = static_cast<int32_t>(capture::LinkHeaderLengthForMedium(type.LinkType));
    return 0;
}

int OpenAdapter(const char* adapterName) {
    captureAdapter = library->PacketOpenAdapter(adapterName);
    if (captureAdapter == nullptr || captureAdapter->hFile == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (captureAdapter != nullptr) {
            library->PacketCloseAdapter(captureAdapter);
            captureAdapter = nullptr;
        }
        char text[300];
        std::snprintf(text, sizeof text, "Unable to open the driver, Error Code : %lu", code);
        ShowError(text);
        return 1;
    }
    (void)library->PacketSetHwFilter(captureAdapter, packet::kNdisPacketTypePromiscuous);
    (void)library->PacketSetBuff(captureAdapter, kDriverBufferBytes);
    (void)library->PacketSetReadTimeout(captureAdapter, kReadTimeoutMs);
    capturePacket = library->PacketAllocatePacket();
    if (capturePacket == nullptr) {
        ShowError("Failed to allocate the LPPACKET structure.");
        return 2;
    }
    library->PacketInitPacket(capturePacket, receiveBuffer, kReceiveBufferBytes);
    return QueryLinkType();
}

// Gives back what a capture holds: packet object, adapter, refresh window.
void ReleaseAdapter() {
    if (capturePacket != nullptr) {
        library->PacketFreePacket(capturePacket);
        capturePacket = nullptr;
    }
    if (captureAdapter != nullptr) {
        library->PacketCloseAdapter(captureAdapter);
        captureAdapter = nullptr;
    }
    theTrafficList.ListView().CloseRefreshWindow();
}

unsigned int CaptureThreadProc(void*) {
    if (!threadMayRun.load())
        return 0;
    while (captureRunning.load() != 0) {
        const bool received = library->PacketReceivePacket(captureAdapter, capturePacket, 1) != 0;
        if (!received)
            Sleep(10); // a library that fails at once must not make this loop spin
        const uint32_t bytes = received ? capturePacket->ulBytesReceived : 0;
        if (bytes != 0) {
            // The library cannot report more than the buffer holds; a count beyond it is not trusted.
            const uint32_t usable = bytes < kReceiveBufferBytes ? bytes : kReceiveBufferBytes;
            (void)capture::PassReceivedRecords(receiveBuffer, usable, static_cast<uint32_t>(linkHeaderLength),
                                               theTrafficList);
        }
        if (updateDue.load() != 0)
            theTrafficList.UpdateTraffic();
        theTrafficList.FlushIfDue(bytes == 0);
        if (received && bytes == 0)
            idleReceiveCount.fetch_add(1);
    }
    theTrafficList.Flush();
    return 0;
}

// Waits for the capture thread to end while serving the messages it sends to this thread's windows.
void WaitForCaptureThread() {
    HANDLE thread = captureThread.Get();
    for (;;) {
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            break;
        MSG message;
        (void)PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

int StartCapture(const char* adapterName) {
    std::string error;
    library = capture::CapturePacketFunctions(error);
    if (library == nullptr) {
        ShowError(error.c_str());
        return 1;
    }
    if (OpenAdapter(adapterName) != 0) {
        ReleaseAdapter();
        return 1;
    }
    captureStartTick = GetTickCount();
    previousTotal = 0;
    // Reset before the thread runs: it may count a whole buffer before this thread goes on.
    packetCount = 0;
    totalBytes = 0;
    // Opened before the thread runs, so that the first datagrams are logged too.
    OpenLogFile("a+");
    (void)theTrafficList.ListView().OpenRefreshWindow();
    captureRunning = 1;

    // Started suspended: the thread object closes its own handle when the thread ends, so ours is a copy
    // taken before it can.
    CWinThread* thread = AfxBeginThread(CaptureThreadProc, nullptr, THREAD_PRIORITY_HIGHEST, 0, CREATE_SUSPENDED);
    HANDLE handle = nullptr;
    const bool started = thread != nullptr && DuplicateHandle(GetCurrentProcess(), thread->m_hThread,
                                                              GetCurrentProcess(), &handle, SYNCHRONIZE, FALSE, 0);
    threadMayRun = started;
    if (thread != nullptr)
        (void)ResumeThread(thread->m_hThread);
    if (!started) {
        ShowError("Thread  creation failed!");
        return 1;
    }
    captureThread.Reset(handle);
    return 0;
}

void StopCapture(const std::function<void()>& lastLook) {
    if (captureRunning.load() != 0) {
        captureRunning = 0;
        if (captureThread.Get() != nullptr) {
            WaitForCaptureThread();
            captureThread.Reset();
        }
        if (lastLook)
            lastLook();
        theTrafficList.Clear();
        ReleaseAdapter();
        CloseLogFile();
    }
    packetCount = 0;
    totalBytes = 0;
}
