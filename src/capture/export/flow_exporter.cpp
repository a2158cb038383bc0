// Flow records to a collector as IPFIX over UDP, queued by the capture and sent paced by a thread of
// their own.
#include "capture/export/flow_exporter.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>

namespace capture {

namespace {

// Records moved from the queue at a time: more than a message holds, so each lock serves a message.
constexpr std::size_t kRecordsPerTake = 128;
// As many records as a message of short TCP and UDP flows holds.
constexpr std::size_t kRecordsToFillAMessage = 43;

// A steady clock in nanoseconds.
uint64_t SteadyNanoseconds() {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    (void)QueryPerformanceCounter(&counter);
    (void)QueryPerformanceFrequency(&frequency);
    const auto ticks = static_cast<uint64_t>(counter.QuadPart);
    const auto perSecond = static_cast<uint64_t>(frequency.QuadPart);
    return ticks / perSecond * 1'000'000'000ull + ticks % perSecond * 1'000'000'000ull / perSecond;
}

uint32_t UnixSeconds() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t hundredNanoseconds = static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    constexpr uint64_t kFrom1601To1970 = 116'444'736'000'000'000ull;
    return static_cast<uint32_t>((hundredNanoseconds - kFrom1601To1970) / 10'000'000ull);
}

// The system's text for an error code, without its line end; empty when it has none.
std::string SystemText(int code) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    std::string result(text, length);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.')) {
        result.pop_back();
    }
    return result;
}

std::string ErrorText(int code) {
    const std::string text = SystemText(code);
    return (text.empty() ? "" : text + " ") + "(error " + std::to_string(code) + ")";
}

} // namespace

FlowExporter::FlowExporter() = default;

FlowExporter::~FlowExporter() {
    {
        const std::lock_guard lock(m_lock);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread) {
        (void)WaitForSingleObject(m_thread.Handle(), INFINITE);
    }
    m_socket.Reset();
    if (m_winsock) {
        (void)WSACleanup();
    }
}

bool FlowExporter::Open(const CollectorAddress& collector, NoteHandler onNote, std::string& error) {
    m_destination = CollectorText(collector);
    m_onNote = std::move(onNote);
    WSADATA data{};
    m_winsock = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (!m_winsock) {
        error = "Windows Sockets cannot be started, so no flows can be sent to " + m_destination;
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(collector.port);
    const int lookup = getaddrinfo(collector.host.c_str(), port.c_str(), &hints, &found);
    if (lookup != 0) {
        error = "The collector \"" + collector.host + "\" cannot be found: " + ErrorText(lookup);
        return false;
    }
    // A connected socket: the system then reports a collector that is not there (ICMP port unreachable)
    // on a later send, which is how its absence becomes known at all.
    int refused = 0;
    for (const addrinfo* address = found; address != nullptr && !m_socket; address = address->ai_next) {
        platform::SocketHandle attempt(socket(address->ai_family, address->ai_socktype, address->ai_protocol));
        if (attempt && connect(attempt.Get(), address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0) {
            m_socket = std::move(attempt);
        } else {
            refused = WSAGetLastError();
        }
    }
    freeaddrinfo(found);
    if (!m_socket) {
        error = "No socket reaches the collector " + m_destination + ": " + ErrorText(refused);
        return false;
    }
    m_thread = fw::StartThread(SendingThread, this);
    if (!m_thread) {
        error = "The thread that sends the flows to " + m_destination + " cannot be started";
        m_socket.Reset();
        return false;
    }
    return true;
}

void FlowExporter::StartCapture(FlowTable& table, const std::string& adapterName) {
    {
        const std::lock_guard lock(m_lock);
        m_domain = ipfix::ObservationDomainOf(adapterName);
        m_counts = {};
        m_failure.clear();
        m_toldDrops = false;
    }
    table.AddListener(&m_maker);
}

bool FlowExporter::EndCapture(FlowTable& table) {
    table.RemoveListener(&m_maker);
    std::unique_lock lock(m_lock);
    // About the fewest records a message holds, to bound how long sending the queue may take.
    constexpr std::size_t kRecordsPerMessage = 30;
    const uint64_t needed = m_pacing.DurationOf(m_queue.size() / kRecordsPerMessage + 1) / 1'000'000;
    const auto limit = std::chrono::milliseconds(needed + kSendMarginMilliseconds);
    const bool sent = !m_thread || m_changed.wait_for(lock, limit, [this] { return m_queue.empty() && !m_sending; });
    if (sent && m_thread) {
        return true;
    }
    const std::size_t left = m_queue.size();
    m_counts.recordsNotSent += left;
    m_queue.clear();
    lock.unlock();
    if (left != 0) {
        Tell(std::to_string(left) + " flow records could not be sent to " + m_destination +
             " in time and were dropped");
    }
    return false;
}

FlowExporter::Counts FlowExporter::CaptureCounts() const {
    const std::lock_guard lock(m_lock);
    return m_counts;
}

std::string FlowExporter::Summary() const {
    const Counts counts = CaptureCounts();
    std::string summary = std::to_string(counts.recordsSent) + " flow records sent to " + m_destination + " in " +
                          std::to_string(counts.messagesSent) + (counts.messagesSent == 1 ? " message" : " messages");
    if (counts.recordsNotSent != 0) {
        summary += "; " + std::to_string(counts.recordsNotSent) + " not sent";
    }
    const std::lock_guard lock(m_lock);
    if (!m_failure.empty()) {
        summary += "; " + m_failure;
    }
    return summary;
}

void FlowExporter::Take(const FlowRecord& record) {
    Queue({&record, 1});
}

void FlowExporter::TakeAll(const std::vector<FlowRecord>& records) {
    Queue(records);
}

void FlowExporter::Queue(std::span<const FlowRecord> records) {
    bool dropped = false;
    bool wake = false;
    {
        const std::lock_guard lock(m_lock);
        const std::size_t room = kMaxQueuedRecords - std::min(m_queue.size(), kMaxQueuedRecords);
        const std::size_t queued = std::min(records.size(), room);
        m_queue.insert(m_queue.end(), records.begin(), records.begin() + static_cast<std::ptrdiff_t>(queued));
        if (queued < records.size()) {
            m_counts.recordsNotSent += records.size() - queued;
            dropped = !m_toldDrops;
            m_toldDrops = true;
        }
        // Only a waiting sender is woken; a busy one takes what follows as it goes. Waking it for every
        // record would cost the capture thread a system call each.
        wake = m_waiting;
        m_waiting = false;
    }
    if (wake) {
        m_changed.notify_all();
    }
    if (dropped) {
        Tell("Flows end faster than they can be sent to " + m_destination + ": records beyond " +
             std::to_string(kMaxQueuedRecords) + " waiting are dropped");
    }
}

unsigned int FlowExporter::SendingThread(void* exporter) {
    static_cast<FlowExporter*>(exporter)->SendQueued();
    return 0;
}

void FlowExporter::SendQueued() {
    std::deque<FlowRecord> batch;
    for (;;) {
        uint32_t domain = 0;
        {
            std::unique_lock lock(m_lock);
            if (batch.empty() && m_queue.empty()) {
                lock.unlock();
                CheckForError();
                lock.lock();
            }
            if (batch.empty()) {
                m_sending = false;
                m_changed.notify_all(); // EndCapture waits for this
                m_waiting = true;
                m_changed.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
                m_waiting = false;
                if (m_stopping) {
                    return;
                }
                m_sending = true;
            }
            if (m_stopping) {
                return;
            }
            const auto topUp = [&] {
                while (batch.size() < kRecordsPerTake && !m_queue.empty()) {
                    batch.push_back(m_queue.front());
                    m_queue.pop_front();
                }
            };
            topUp();
            if (batch.size() < kRecordsToFillAMessage && m_queue.empty()) {
                // Records come faster than messages go when many flows end at once (the end of a capture):
                // a moment's wait fills the message, where sending it short would cost a send more.
                lock.unlock();
                Sleep(1);
                lock.lock();
                topUp();
            }
            domain = m_domain;
        }
        const uint64_t wait = m_pacing.WaitBeforeNext(SteadyNanoseconds());
        if (wait != 0) {
            Sleep(static_cast<DWORD>((wait + 999'999) / 1'000'000));
        }
        const uint64_t now = SteadyNanoseconds();
        SendMessage(m_stream.Next(batch, domain, {now / 1'000'000, UnixSeconds()}));
        m_pacing.Sent(now);
    }
}

void FlowExporter::SendMessage(const ipfix::Stream::Message& message) {
    const int sent = send(m_socket.Get(), reinterpret_cast<const char*>(message.bytes.data()),
                          static_cast<int>(message.bytes.size()), 0);
    const int code = sent == SOCKET_ERROR ? WSAGetLastError() : 0;
    {
        const std::lock_guard lock(m_lock);
        if (code == 0) {
            m_counts.recordsSent += message.records;
            ++m_counts.messagesSent;
        } else {
            m_counts.recordsNotSent += message.records;
        }
    }
    if (code != 0) {
        NoteFailure(code);
    }
}

void FlowExporter::CheckForError() {
    // An error that came back (ICMP port unreachable) after the last send: no later send would see it.
    int code = 0;
    int length = sizeof code;
    if (getsockopt(m_socket.Get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &length) == 0 && code != 0) {
        NoteFailure(code);
    }
}

void FlowExporter::NoteFailure(int code) {
    const bool unreachable = code == WSAECONNREFUSED || code == WSAECONNRESET;
    {
        const std::lock_guard lock(m_lock);
        if (!m_failure.empty()) {
            return;
        }
        m_failure = unreachable ? "no collector answered (port unreachable)" : "sending failed: " + ErrorText(code);
    }
    if (unreachable) {
        Tell("No collector answers at " + m_destination +
             " (port unreachable): the flows sent there are lost; the capture goes on");
    } else {
        Tell("The flows cannot be sent to " + m_destination + ": " + ErrorText(code) + "; the capture goes on");
    }
}

void FlowExporter::Tell(const std::string& note) {
    if (m_onNote) {
        m_onNote(note);
    }
}

} // namespace capture
