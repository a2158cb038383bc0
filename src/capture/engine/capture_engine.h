// The capture engine: opens one adapter through the packet library and runs the capture thread that feeds
// every plain IPv4 datagram to theTrafficList, with the periodic update between receives.
//
// A host provides trafficListView (an owner-data list whose parent hands its notifications to
// capture::AnswerListNotify) and statusWindow, calls StartCapture from the thread that owns them, sets
// updateDue whenever rates and idle rows should be refreshed, keeps its message loop running, and calls
// StopCapture before it destroys the two windows.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "capture/engine/frame_account.h"
#include "packet/packet_api.h"

// The adapter name is the library's (our stand-in takes a capture file's path, or a pipe carrying one).
// With packetsPath, every record received is also saved there as a classic libpcap file. 0 when capture
// runs, 1 on any failure, after a message box has said why.
[[nodiscard]] int StartCapture(const char* adapterName, const char* packetsPath = nullptr);

// Ends capture: waits for the capture thread (dispatching the messages it sends meanwhile), deletes the
// list's rows, closes the adapter, the log and the saved packets. The counters go to 0 in any case. A host
// that wants the final rows passes lastLook: it runs once the thread has ended, before the rows go.
// False when the packets could not all be saved, after a message box has said why.
[[nodiscard]] bool StopCapture(const std::function<void()>& lastLook = {});

// Waits up to the given time (INFINITE: without limit) for the adapter's data to end: the library
// reports the end of a replayed file, or of a stream whose writer has closed it, by a receive that fails
// with ERROR_HANDLE_EOF. True once that has happened in the current capture and the list is up to date
// with everything received; an adapter of the driver never ends. A signalled interrupt event (when given)
// ends the wait early, with false.
[[nodiscard]] bool WaitForCaptureEnd(DWORD milliseconds, HANDLE interrupt = nullptr);

// The packets that the capture dropped so far, as the library counts them (the driver's, or the kernel's
// for a stream whose writer reports them); once the capture has stopped, as they were at its end. False when
// nobody measured them: a library without the count, or a stream whose writer does not report drops. On the
// thread that starts and stops the capture.
[[nodiscard]] bool QueryCaptureDrops(uint32_t& dropped);

// The account of every frame of the current capture, or of the last one once it has stopped (counted is
// then the status line's figure as it stands, 0 after StopCapture: look before the stop, as in lastLook).
[[nodiscard]] capture::FrameFigures CaptureFrameFigures();

// 1 while capture runs; the capture thread polls it.
extern std::atomic<int32_t> captureRunning;
// Bytes of link header before the IP header: 22 on Token Ring, 14 on every other medium.
extern int32_t linkHeaderLength;
// The adapter and packet objects of the current capture (null when stopped).
extern packet::Adapter* captureAdapter;
extern packet::Packet* capturePacket;

// The library's receive buffer and the driver buffer asked for, in bytes; the read time-out.
inline constexpr uint32_t kReceiveBufferBytes = 1048576;
inline constexpr int kDriverBufferBytes = 2097152;
inline constexpr int kReadTimeoutMs = 1000;
