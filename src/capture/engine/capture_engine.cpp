// The capture engine: adapter, capture thread, start and stop.
#include "capture/engine/capture_engine.h"

#include <cstdio>
#include <string>

#include "capture/engine/capture_pass.h"
#include "capture/engine/packet_library.h"
#include "capture/engine/pcap_writer.h"
#include "capture/flows/traffic_list.h"
#include "capture/log/log_file.h"
#include "framework/message_box.h"
#include "framework/message_loop.h"
#include "framework/thread.h"
#include "packet/link_types.h"
#include "platform/handles.h"

std::atomic<int32_t> captureRunning{0};
int32_t linkHeaderLength = capture::kEthernetHeaderBytes;
packet::Adapter* captureAdapter = nullptr;
packet::Packet* capturePacket = nullptr;

namespace {

// Filled by the library after each receive; lives as long as the process.
alignas(8) uint8_t receiveBuffer[kReceiveBufferBytes];

// The entry points of the library in use for the current capture.
const capture::PacketFunctions* library = nullptr;

// The capture thread, while one runs; it is never ended from outside.
fw::Thread captureThread;

// Set by the capture thread when the adapter's data have ended; reset by StartCapture. Manual-reset; it
// lives as long as the process.
const platform::KernelHandle captureEnd(CreateEventA(nullptr, TRUE, FALSE, nullptr));
// The adapter's NDIS medium, from the link-type query.
uint32_t captureMedium = 0;
// Where the received records are saved, when the host asked for it.
capture::PcapWriter savedPackets;
// The drops of the capture, as last measured: they stay known once the adapter is closed.
bool dropsMeasured = false;
uint32_t lastDrops = 0;
// Every frame of the current capture: read, counted, skipped by reason.
capture::FrameAccount frameAccount;

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
    captureMedium = type.LinkType;
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

// True when path names the file or pipe behind the handle: saving onto the capture being read would
// destroy it.
bool IsSameFile(HANDLE open, const char* path) {
    const platform::FileHandle other(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                 nullptr, OPEN_EXISTING, 0, nullptr));
    if (!other.IsValid()) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    const bool same = GetFileInformationByHandle(open, &first) && GetFileInformationByHandle(other.Get(), &second) &&
                      first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
                      first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
    return same;
}

// Opens the file for the received records; false after a message box has said why.
bool OpenSavedPackets(const char* path) {
    std::string error;
    if (IsSameFile(captureAdapter->hFile, path)) {
        error = "\"" + std::string(path) + "\" is the capture being read";
    } else if (savedPackets.Open(path, packet::LinkTypeForNdisMedium(captureMedium), error)) {
        return true;
    }
    ShowError(("The packets cannot be saved: " + error).c_str());
    return false;
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
    bool endTold = false; // the source's end was told to the table, and nothing came since
    while (captureRunning.load() != 0) {
        const bool received = library->PacketReceivePacket(captureAdapter, capturePacket, 1) != 0;
        const bool ended = !received && GetLastError() == ERROR_HANDLE_EOF;
        const uint32_t bytes = received ? capturePacket->ulBytesReceived : 0;
        if (bytes != 0) {
            // The library cannot report more than the buffer holds; a count beyond it is not trusted.
            const uint32_t usable = bytes < kReceiveBufferBytes ? bytes : kReceiveBufferBytes;
            // Written at once: a capture killed outright has saved everything it received.
            savedPackets.WriteReceived(receiveBuffer, usable);
            frameAccount.Add(capture::PassReceivedRecords(receiveBuffer, usable,
                                                          static_cast<uint32_t>(linkHeaderLength), theTrafficList));
        }
        if (library->StandInOtherLinkTypeFrames != nullptr) {
            frameAccount.SetOtherLinkType(library->StandInOtherLinkTypeFrames(captureAdapter));
        }
        if (updateDue.load() != 0) {
            theTrafficList.UpdateTraffic();
        }
        theTrafficList.FlushIfDue(bytes == 0);
        endTold = endTold && bytes == 0;
        if (ended) {
            (void)SetEvent(captureEnd.Get()); // the list is up to date with everything received
            if (!endTold) {
                // A flow exporter sends its last records now, while the host stops the capture: a stop
                // waits for this thread, so they are all queued before the capture's flows end.
                theTrafficList.SourceEnded();
                endTold = true;
            }
        }
        if (!received) {
            Sleep(10); // a library that fails at once must not make this loop spin
        }
    }
    theTrafficList.Flush();
    return 0;
}

} // namespace

int StartCapture(const char* adapterName, const char* packetsPath) {
    frameAccount.Reset(); // a capture that cannot start shows no figures of the one before
    dropsMeasured = false;
    lastDrops = 0;
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
    if (packetsPath != nullptr && packetsPath[0] != '\0' && !OpenSavedPackets(packetsPath)) {
        ReleaseAdapter();
        return 1;
    }
    (void)ResetEvent(captureEnd.Get());
    captureStartTick = GetTickCount();
    previousTotal = 0;
    // Reset before the thread runs: it may count a whole buffer before this thread goes on.
    packetCount = 0;
    totalBytes = 0;
    // Opened before the thread runs, so that the first datagrams are logged too.
    OpenLogFile("a+");
    theTrafficList.StartRefreshPeriod();
    // The list is refreshed on the thread of the host's windows; a host without windows (the console) has none.
    if (trafficListView != nullptr) {
        (void)theTrafficList.ListView().OpenRefreshWindow();
    }
    captureRunning = 1;

    captureThread = fw::StartThread(CaptureThreadProc, nullptr, THREAD_PRIORITY_HIGHEST);
    if (!captureThread) {
        ShowError("Thread  creation failed!");
        return 1;
    }
    return 0;
}

bool StopCapture(const std::function<void()>& lastLook) {
    bool saved = true;
    if (captureRunning.load() != 0) {
        captureRunning = 0;
        // The thread changes the host's windows by sent messages while it ends: they are served meanwhile.
        if (captureThread) {
            fw::WaitServingSentMessages(captureThread.Handle());
            captureThread = {};
        }
        uint32_t dropped = 0;
        (void)QueryCaptureDrops(dropped); // the last count, kept once the adapter is closed
        if (lastLook) {
            lastLook();
        }
        theTrafficList.Clear();
        ReleaseAdapter();
        CloseLogFile();
        std::string error;
        saved = savedPackets.Close(error);
        if (!saved) {
            ShowError(("The packets could not all be saved: " + error).c_str());
        }
    }
    packetCount = 0;
    totalBytes = 0;
    return saved;
}

bool QueryCaptureDrops(uint32_t& dropped) {
    packet::CaptureStats stats{};
    if (captureAdapter != nullptr && library != nullptr && library->PacketGetStats != nullptr &&
        library->PacketGetStats(captureAdapter, &stats) != 0) {
        dropsMeasured = true;
        lastDrops = stats.bs_drop + stats.ps_ifdrop;
    }
    dropped = lastDrops;
    return dropsMeasured;
}

capture::FrameFigures CaptureFrameFigures() {
    return frameAccount.Figures(packetCount.load());
}

bool WaitForCaptureEnd(DWORD milliseconds, HANDLE interrupt) {
    const HANDLE events[] = {captureEnd.Get(), interrupt};
    return WaitForMultipleObjects(interrupt != nullptr ? 2 : 1, events, FALSE, milliseconds) == WAIT_OBJECT_0;
}
