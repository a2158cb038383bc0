// The flow table behind the traffic list: counts IPv4 datagrams per flow, keeps the shared totals, and
// shows its rows on a traffic view, batching the changes into a few refreshes a second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "capture/settings_values.h"
#include "capture/traffic_view.h"

class CNSCashe;
class CServicesParser;

namespace capture {

// Identifies a flow; compared as one block of 16 bytes. Addresses and ports in network byte order.
struct FlowKey {
    uint32_t sourceAddress;      // IP header bytes 12..15
    uint32_t destinationAddress; // IP header bytes 16..19
    uint16_t sourcePort;         // first 16-bit word after the 20-byte IP header
    uint16_t destinationPort;    // second 16-bit word after it
    uint8_t protocol;            // IP header byte 9
    uint8_t zero[3];             // always 0
};
static_assert(sizeof(FlowKey) == 16);
static_assert(offsetof(FlowKey, destinationAddress) == 4 && offsetof(FlowKey, sourcePort) == 8);
static_assert(offsetof(FlowKey, destinationPort) == 10 && offsetof(FlowKey, protocol) == 12);

bool operator==(const FlowKey& left, const FlowKey& right);

struct FlowKeyHash {
    std::size_t operator()(const FlowKey& key) const;
};

// One per row, the row's item data. Ticks are milliseconds, compared in 32-bit unsigned arithmetic.
struct TrafficRecord {
    FlowKey key;
    uint32_t lastSeen;
    uint32_t firstSeen;
    uint32_t bytes;         // sum of the IP total lengths of the flow's datagrams
    uint32_t bytesAtUpdate; // bytes at the last periodic update
};
static_assert(sizeof(TrafficRecord) == 32);
static_assert(offsetof(TrafficRecord, lastSeen) == 16 && offsetof(TrafficRecord, firstSeen) == 20);
static_assert(offsetof(TrafficRecord, bytes) == 24 && offsetof(TrafficRecord, bytesAtUpdate) == 28);

// Where counted datagrams are logged.
class DatagramLog {
public:
    virtual ~DatagramLog() = default;
    virtual bool IsOpen() const = 0;
    // length: the IP total length; captured: the bytes of the datagram present in memory.
    virtual void Write(const uint8_t* datagram, uint32_t length, uint32_t captured, uint32_t headerSize) = 0;
};

// Milliseconds that wrap at 2^32 (the platform's tick count in the program).
using TickClock = std::function<uint32_t()>;

// Everything the table works with. The settings are read as they stand at each datagram and update.
struct FlowTableServices {
    TrafficView* view = nullptr;
    TickClock clock;
    CNSCashe* names = nullptr;
    CServicesParser* services = nullptr;
    const SettingsValues* settings = nullptr;
    DatagramLog* log = nullptr; // none: nothing is logged
};

class FlowTable {
public:
    // Shortest time between two refreshes of the view while datagrams keep coming.
    static constexpr uint32_t kRefreshMilliseconds = 250;

    explicit FlowTable(FlowTableServices services);
    virtual ~FlowTable();
    FlowTable(const FlowTable&) = delete;
    FlowTable& operator=(const FlowTable&) = delete;

    void SetView(TrafficView* view) { m_services.view = view; }
    void SetClock(TickClock clock) { m_services.clock = std::move(clock); }
    void SetLog(DatagramLog* log) { m_services.log = log; }

    // Counts one IPv4 datagram with a 20-byte header, of which captured bytes are present (fewer than
    // kDatagramBytesNeeded, 24: ignored). A datagram longer than what was captured counts by its total length.
    void OnPacket(const uint8_t* datagram, uint32_t captured);

    // The periodic update: idle rows go, the others get their interval bytes and average rate; the
    // shared rate counters are brought up to date and updateDue is cleared.
    void UpdateTraffic();

    // Deletes every row. Only while no datagram is being counted.
    void Clear();

    // Deletes the rows of one protocol.
    void RemoveProtocol(uint8_t protocol);

    // The fixed header size of a protocol: 40 TCP, 28 UDP and IGMP, 20 IP in IP, 0 for any other.
    static uint32_t HeaderSize(uint8_t protocol);

    // Brings the view up to date with every count so far.
    void Flush();
    // Flush when the network is idle, or when the last refresh is kRefreshMilliseconds old.
    void FlushIfDue(bool idle);

    // The rows in list order, for readers that need more than the view shows. Counts are exact once the
    // table has been flushed.
    std::size_t RowCount() const { return m_rows.size(); }
    const TrafficRecord& RowRecord(std::size_t row) const { return m_rows[row]->record; }
    // Datagrams counted in the row (not a column of the list).
    uint32_t RowPackets(std::size_t row) const { return m_rows[row]->packets; }

protected:
    // The row of m_key, or -1.
    int32_t FindRow() const;
    // A new row for m_key whose first datagram has the given total length.
    void AddRow(uint32_t bytes);

    FlowKey m_key{};
    char m_text[300] = {};

private:
    struct FlowRow {
        TrafficRecord record;
        uint32_t packets = 0;
        int32_t row = 0;    // index in m_rows, which is the list's row order
        bool shown = false; // the view has the row
        bool dirty = false; // the bytes column of a shown row is behind
        // What the interval and rate columns show, so that an unchanged value is not sent again.
        bool intervalShown = false;
        bool rateShown = false;
        uint32_t interval = 0;
        uint32_t rate = 0;
    };

    uint32_t Now() const { return m_services.clock(); }
    void QueueNewRows();
    void SendBatch();
    // Takes rows out of the index; their records go with the vector.
    void ForgetRows(const std::vector<std::unique_ptr<FlowRow>>& gone);
    // Gives back memory held from a time with many more rows than now.
    void ReleaseSpareCapacity();
    const char* PortText(uint16_t portNetworkOrder, uint8_t protocol, char (&buffer)[12]) const;

    FlowTableServices m_services;
    std::vector<std::unique_ptr<FlowRow>> m_rows;
    std::unordered_map<FlowKey, FlowRow*, FlowKeyHash> m_index;
    std::vector<FlowRow*> m_dirty;
    std::size_t m_firstUnshown = 0; // rows from here on are not in the view yet
    bool m_statusDirty = false;
    uint32_t m_lastRefresh = 0;
    ViewBatch m_batch;
};

} // namespace capture
