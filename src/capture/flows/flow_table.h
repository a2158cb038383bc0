// The flow table behind the traffic list: counts IPv4 datagrams per flow and keeps the shared totals. It is
// the one store of the list's rows: the list view asks it for the cells it shows, in the order the list is
// sorted by.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "capture/flows/flow_order.h"
#include "capture/flows/traffic_view.h"
#include "capture/settings/settings_values.h"

class CServicesParser;

namespace capture {

class HostNames;

// Where counted datagrams are logged.
class DatagramLog {
public:
    virtual ~DatagramLog() = default;
    virtual bool IsOpen() const = 0;
    // length: the IP total length; captured: the bytes of the datagram present in memory.
    virtual void Write(const uint8_t* datagram, uint32_t length, uint32_t captured, uint32_t headerSize) = 0;
};

// The status window's text for the totals: "All packets: N     Total bytes: M".
void FormatTotals(char (&text)[300], uint32_t packets, uint32_t bytes);

// What the table did with a datagram handed to it.
enum class DatagramOutcome : uint8_t {
    Counted,              // counted in the totals and in its flow's row
    TooShort,             // fewer than kDatagramBytesNeeded bytes captured
    FilteredOut,          // its protocol is switched off by the settings (filtertcp, filterudp, filtericmp)
    HeaderNotBelowLength, // its total length is not above its protocol's fixed header size
};

// Why a row leaves the table.
enum class FlowEnd : uint8_t {
    Idle,         // idle longer than idleseconds at a periodic update
    Removed,      // its protocol's rows were deleted
    CaptureEnded, // still in the table when the capture ended
};

// Told on the capture thread of every counted datagram, and of every row as it leaves the table with its
// final counts (at the capture's end: on the thread that ends it, once the capture thread has finished).
// Must not call the table.
class FlowListener {
public:
    virtual ~FlowListener() = default;
    // row's counts already include the datagram; length is its IP total length, as the row counts bytes.
    virtual void OnCounted(const FlowRow& row, uint32_t length, uint64_t captureTime) = 0;
    virtual void OnFlowEnded(const FlowRow& row, FlowEnd why) = 0;
    // On the capture thread: the capture's source has no more datagrams (a file or a stream has ended), so
    // the counts are final unless it goes on after all. The rows stay until the capture stops.
    virtual void OnSourceEnded() {}
};

// Milliseconds that wrap at 2^32 (the platform's tick count in the program).
using TickClock = std::function<uint32_t()>;

// Everything the table works with. The settings are read as they stand at each datagram and update.
struct FlowTableServices {
    TrafficView* view = nullptr;
    TickClock clock;
    HostNames* names = nullptr; // none: the host columns show dotted quads
    CServicesParser* services = nullptr;
    const SettingsValues* settings = nullptr;
    DatagramLog* log = nullptr; // none: nothing is logged
};

// Two threads meet here. The capture thread counts, adds and removes rows and runs the periodic update; the
// thread that shows the list reorders it and reads its cells. Rows are added and removed under the table's
// lock; a row's counts change without it, as single atomic words. A removed row is freed only once the list
// has let go of it, at the next Reorder.
class FlowTable {
public:
    // Shortest time between two refreshes of the view while datagrams keep coming.
    static constexpr uint32_t kRefreshMilliseconds = 250;

    explicit FlowTable(FlowTableServices services);
    virtual ~FlowTable();
    FlowTable(const FlowTable&) = delete;
    FlowTable& operator=(const FlowTable&) = delete;

    // No view (null): the table counts and keeps its rows, and nothing shows them.
    void SetView(TrafficView* view) { m_services.view = view; }
    void SetClock(TickClock clock) { m_services.clock = std::move(clock); }
    void SetLog(DatagramLog* log) { m_services.log = log; }
    // Only while no capture runs.
    void SetNames(HostNames* names) { m_services.names = names; }
    // Only while no capture runs; a listener added twice is told twice.
    void AddListener(FlowListener* listener) { m_listeners.push_back(listener); }
    void RemoveListener(FlowListener* listener);

    // ---- The capture thread's side ----

    // Counts one IPv4 datagram with a 20-byte header, of which captured bytes are present (fewer than
    // kDatagramBytesNeeded, 24: ignored), captured at captureTime (microseconds since 1970-01-01 UTC). A
    // datagram longer than what was captured counts by its total length.
    DatagramOutcome OnPacket(const uint8_t* datagram, uint32_t captured, uint64_t captureTime = 0);

    // The capture's source has no more datagrams: the listeners are told.
    void SourceEnded();

    // The periodic update: idle rows go, the others get their interval bytes and average rate; the
    // shared rate counters are brought up to date and updateDue is cleared.
    void UpdateTraffic();

    // Deletes every row; the listeners are told that each ended with the capture. Only while no datagram
    // is being counted.
    void Clear();

    // Deletes the rows of one protocol.
    void RemoveProtocol(uint8_t protocol);

    // The fixed header size of a protocol: 40 TCP, 28 UDP and IGMP, 20 IP in IP, 0 for any other.
    static uint32_t HeaderSize(uint8_t protocol);

    // Has the view refresh when anything changed since its last refresh.
    void Flush();
    // Flush when the network is idle, or when the last refresh is kRefreshMilliseconds old.
    void FlushIfDue(bool idle);
    // A capture starts now: its first refresh comes a refresh period later (or when the network goes
    // idle), not with its first datagram, so that a capture shorter than that costs the view one refresh.
    void StartRefreshPeriod() { m_lastRefresh = Now(); }

    // The rows in the order their flows arrived, for the capture thread and for readers once it has ended.
    std::size_t RowCount() const { return m_rows.size(); }
    const TrafficRecord& RowRecord(std::size_t row) const { return m_rows[row]->record; }
    // Datagrams counted in the row (not a column of the list).
    uint32_t RowPackets(std::size_t row) const { return m_rows[row]->packets; }

    // ---- The list's side, on the thread that shows it ----

    // The list's order from the next Reorder on.
    void SortBy(ListOrder order);
    ListOrder Order() const;

    // Brings the list up to date: flows that arrived join it, rows that went leave it (and are freed), and
    // the rows are sorted again. selected: positions in the list before, replaced by the positions of the
    // same flows after (-1 for those that left). Returns the list's row count.
    std::size_t Reorder(std::vector<int32_t>* selected = nullptr);

    // The text of a cell of the list; false (and an empty text) when the list has no such row.
    bool CellText(std::size_t position, int32_t column, char* text, std::size_t size) const;

    // Calls visit for every row of the list that is still in the table, in the list's order, under the
    // table's lock: visit must not call the table.
    void VisitList(const std::function<void(const FlowRow&)>& visit) const;

protected:
    // The row of m_key, or -1.
    int32_t FindRow() const;
    // A new row for m_key whose first datagram has the given total length.
    FlowRow& AddRow(uint32_t bytes);

    FlowKey m_key{};
    char m_text[300] = {};

private:
    uint32_t Now() const { return m_services.clock(); }
    // Moves the rows for which gone() holds out of the table, under the lock, telling the listeners why.
    template <class Gone>
    void RemoveRows(FlowEnd why, Gone gone);
    // Gives back memory held from a time with many more rows than now.
    void ReleaseSpareCapacity();
    const char* PortText(uint16_t portNetworkOrder, uint8_t protocol, char (&buffer)[12]) const;

    FlowTableServices m_services;
    mutable std::mutex m_lock;                    // guards the structure of m_rows, m_gone, m_list and m_order
    std::vector<std::unique_ptr<FlowRow>> m_rows; // in arrival order; the capture thread reads it unlocked
    std::vector<std::unique_ptr<FlowRow>> m_gone; // removed, possibly still in m_list
    std::vector<FlowRow*> m_list;                 // the list's rows, as of the last Reorder
    ListOrder m_order;
    std::unordered_map<FlowKey, FlowRow*, FlowKeyHash> m_index; // the capture thread's alone
    std::vector<FlowListener*> m_listeners;
    bool m_changed = false; // rows or counts changed since the last refresh
    bool m_statusDirty = false;
    uint32_t m_lastRefresh = 0;
};

} // namespace capture
