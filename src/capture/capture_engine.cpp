// The capture engine: adapter, capture thread, start and stop.
#include "capture/capture_engine.h"

#include <cstdio>
#include <string>

#include "capture/capture_pass.h"
#include "capture/log_file.h"
#include "capture/packet_library.h"
#include "capture/traffic_list.h"
#include "framework/message_box.h"
#include "framework/message_loop.h"
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

// The capture thread, while one runs; it is never ended from outside.
fw::Thread captureThread;

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

    captureThread = fw::StartThread(CaptureThreadProc, nullptr, THREAD_PRIORITY_HIGHEST);
    if (!captureThread) {
        ShowError("Thread  creation failed!");
        return 1;
    }
    return 0;
}

void StopCapture(const std::function<void()>& lastLook) {
    if (captureRunning.load() != 0) {
        captureRunning = 0;
        // The thread changes the host's windows by sent messages while it ends: they are served meanwhile.
        if (captureThread) {
            fw::WaitServingSentMessages(captureThread.Handle());
            captureThread = {};
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
