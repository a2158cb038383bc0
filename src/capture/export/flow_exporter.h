// Sends a capture's flow records to a collector as IPFIX over UDP. The capture thread only queues them;
// a thread of the exporter's own builds the messages and sends them paced, so a collector that is slow,
// absent or unreachable never holds up the capture.
#pragma once

#include <winsock2.h>

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>

#include "capture/export/collector_address.h"
#include "capture/export/export_pacing.h"
#include "capture/export/flow_record_maker.h"
#include "capture/export/ipfix_stream.h"
#include "capture/flows/flow_table.h"
#include "framework/thread.h"
#include "platform/socket_handle.h"

namespace capture {

class FlowExporter final : public FlowRecordSink {
public:
    // Told what the user should know: the first failure to send in a capture (on the sending thread), and
    // records that had to be dropped (on the thread that queued or waited for them).
    using NoteHandler = std::function<void(const std::string& note)>;

    // Records queued beyond this many are dropped (and said): a live capture whose flows end faster than
    // any collector takes them must not fill the memory.
    static constexpr std::size_t kMaxQueuedRecords = 2'000'000;
    // What WaitUntilSent allows beyond the time that pacing the queued records needs.
    static constexpr DWORD kSendMarginMilliseconds = 2000;

    FlowExporter();
    // Ends the sending thread; records still queued are not sent.
    ~FlowExporter() override;
    FlowExporter(const FlowExporter&) = delete;
    FlowExporter& operator=(const FlowExporter&) = delete;

    // Looks the collector's host up and opens the socket and the sending thread. False, with the reason
    // in error, when the host cannot be found or no socket reaches it. Once per exporter.
    [[nodiscard]] bool Open(const CollectorAddress& collector, NoteHandler onNote, std::string& error);
    // The collector as given, "HOST:PORT".
    const std::string& Destination() const { return m_destination; }

    // Before StartCapture: the records of the capture on this adapter come from the table's flows, under
    // the adapter's observation domain.
    void StartCapture(FlowTable& table, const std::string& adapterName);
    // After StopCapture, which has recorded every flow left: waits until the queue is sent, for at most
    // as long as pacing it needs and kSendMarginMilliseconds. False when records were left (dropped, and
    // said).
    bool EndCapture(FlowTable& table);

    // Records and messages of the current capture that went out, and records that did not.
    struct Counts {
        uint64_t recordsSent = 0;
        uint64_t messagesSent = 0;
        uint64_t recordsNotSent = 0; // refused by the socket, dropped from a full queue, or left at the end
    };
    Counts CaptureCounts() const;
    // One line about the current capture, e.g. "12962 flow records sent to 127.0.0.1:9995 in 297 messages",
    // with what failed, if anything did.
    std::string Summary() const;

    // The capture thread's side: queues records.
    void Take(const FlowRecord& record) override;
    void TakeAll(const std::vector<FlowRecord>& records) override;

private:
    void Queue(std::span<const FlowRecord> records);
    static unsigned int SendingThread(void* exporter);
    void SendQueued();
    void SendMessage(const ipfix::Stream::Message& message);
    void CheckForError();
    // Says the first failure of a capture to send.
    void NoteFailure(int code);
    void Tell(const std::string& note);

    bool m_winsock = false;
    platform::SocketHandle m_socket;
    std::string m_destination;
    NoteHandler m_onNote;
    FlowRecordMaker m_maker{*this};
    fw::Thread m_thread;

    mutable std::mutex m_lock; // guards everything below
    std::condition_variable m_changed;
    std::deque<FlowRecord> m_queue;
    bool m_sending = false; // the thread holds records it took from the queue
    bool m_waiting = false; // the thread waits for records
    bool m_stopping = false;
    uint32_t m_domain = 0;
    Counts m_counts;
    std::string m_failure; // the first failure of the capture to send, said once; empty: none
    bool m_toldDrops = false;

    // The sending thread's alone.
    ipfix::Stream m_stream;
    ExportPacing m_pacing;
};

} // namespace capture
