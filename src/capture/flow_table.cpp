// The flow table behind the traffic list.
#include "capture/flow_table.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "capture/name_cache.h"
#include "capture/protocol_names.h"
#include "capture/record_walk.h"
#include "capture/services_parser.h"
#include "capture/traffic_counters.h"

namespace capture {

namespace {

constexpr uint8_t kProtocolIcmp = 1;
constexpr uint8_t kProtocolTcp = 6;
constexpr uint8_t kProtocolUdp = 17;

uint16_t BigEndian16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

uint16_t SwapBytes(uint16_t value) {
    return static_cast<uint16_t>(value >> 8 | value << 8);
}

// Writes value in decimal into buffer and returns it.
const char* Decimal(uint32_t value, char (&buffer)[12]) {
    *std::to_chars(buffer, buffer + 10, value).ptr = '\0';
    return buffer;
}

// A setting that the host's window may change while the capture thread reads it.
int32_t LoadShared(const int32_t& setting) {
    return std::atomic_ref<int32_t>(const_cast<int32_t&>(setting)).load(std::memory_order_relaxed);
}

// Adds to a shared counter that only this thread writes.
void Add(std::atomic<uint32_t>& counter, uint32_t amount) {
    counter.store(counter.load(std::memory_order_relaxed) + amount, std::memory_order_relaxed);
}

} // namespace

bool operator==(const FlowKey& left, const FlowKey& right) {
    return std::memcmp(&left, &right, sizeof(FlowKey)) == 0;
}

std::size_t FlowKeyHash::operator()(const FlowKey& key) const {
    uint64_t words[2];
    std::memcpy(words, &key, sizeof words);
    // Two multiplicative mixes folded together; the addresses and ports all reach the high bits.
    const uint64_t mixed = (words[0] * 0x9e3779b97f4a7c15ull) ^ (words[1] * 0xc2b2ae3d27d4eb4full);
    return static_cast<std::size_t>(mixed ^ (mixed >> 29));
}

FlowTable::FlowTable(FlowTableServices services) : m_services(std::move(services)) {}

FlowTable::~FlowTable() = default;

uint32_t FlowTable::HeaderSize(uint8_t protocol) {
    switch (protocol) {
    case kProtocolTcp:
        return 40;
    case kProtocolUdp:
    case 2: // IGMP
        return 28;
    case 4: // IP in IP
        return 20;
    default:
        return 0;
    }
}

void FlowTable::OnPacket(const uint8_t* datagram, uint32_t captured) {
    if (captured < kDatagramBytesNeeded)
        return;
    const uint8_t protocol = datagram[9];
    const SettingsValues& settings = *m_services.settings;
    if ((protocol == kProtocolTcp && LoadShared(settings.filtertcp) != 0) ||
        (protocol == kProtocolUdp && LoadShared(settings.filterudp) != 0) ||
        (protocol == kProtocolIcmp && LoadShared(settings.filtericmp) != 0))
        return;
    const uint32_t size = HeaderSize(protocol);
    const uint32_t length = BigEndian16(datagram + 2);
    if (size >= length)
        return;

    Add(packetCount, 1);
    Add(totalBytes, length - size);
    m_statusDirty = true;

    std::memcpy(&m_key.sourceAddress, datagram + 12, 4);
    std::memcpy(&m_key.destinationAddress, datagram + 16, 4);
    std::memcpy(&m_key.sourcePort, datagram + 20, 2);
    std::memcpy(&m_key.destinationPort, datagram + 22, 2);
    m_key.protocol = protocol;

    if (m_services.log != nullptr && m_services.log->IsOpen())
        m_services.log->Write(datagram, length, captured, size);

    const auto found = m_index.find(m_key);
    if (found == m_index.end()) {
        AddRow(length);
        return;
    }
    FlowRow& flow = *found->second;
    flow.record.bytes += length;
    flow.record.lastSeen = Now();
    ++flow.packets;
    if (flow.shown && !flow.dirty) {
        flow.dirty = true;
        m_dirty.push_back(&flow);
    }
}

int32_t FlowTable::FindRow() const {
    const auto found = m_index.find(m_key);
    return found == m_index.end() ? -1 : found->second->row;
}

void FlowTable::AddRow(uint32_t bytes) {
    auto flow = std::make_unique<FlowRow>();
    const uint32_t now = Now();
    flow->record = TrafficRecord{m_key, now, now, bytes, 0};
    flow->packets = 1;
    flow->row = static_cast<int32_t>(m_rows.size());
    m_index.emplace(m_key, flow.get());
    // The view gets the row, with its names, at the next refresh.
    m_rows.push_back(std::move(flow));
}

const char* FlowTable::PortText(uint16_t portNetworkOrder, uint8_t protocol, char (&buffer)[12]) const {
    const uint16_t port = SwapBytes(portNetworkOrder);
    if (const char* name = m_services.services->Lookup(port, protocol))
        return name;
    return Decimal(port, buffer);
}

void FlowTable::QueueNewRows() {
    char bytes[12];
    char sourcePort[12];
    char destinationPort[12];
    for (std::size_t i = m_firstUnshown; i < m_rows.size(); ++i) {
        TrafficRecord& record = m_rows[i]->record;
        // The resolver's text lasts only until its next call, so the source host is copied first.
        const std::string sourceHost = m_services.names->Resolve(record.key.sourceAddress);
        const char* const texts[6] = {sourceHost.c_str(),
                                      m_services.names->Resolve(record.key.destinationAddress),
                                      protocolNames[record.key.protocol],
                                      Decimal(record.bytes, bytes),
                                      PortText(record.key.sourcePort, record.key.protocol, sourcePort),
                                      PortText(record.key.destinationPort, record.key.protocol, destinationPort)};
        m_batch.AppendRow(&record, texts);
    }
}

void FlowTable::SendBatch() {
    if (!m_batch.Empty())
        m_services.view->Apply(m_batch);
}

void FlowTable::Flush() {
    // Nothing to show: nothing is touched, so a reader of an idle table never meets a write.
    if (m_dirty.empty() && m_firstUnshown == m_rows.size() && !m_statusDirty)
        return;
    m_batch.Clear();
    char number[12];
    for (FlowRow* flow : m_dirty) {
        flow->dirty = false;
        m_batch.SetCell(flow->row, kColumnBytes, Decimal(flow->record.bytes, number));
    }
    m_dirty.clear();
    const std::size_t firstNew = m_firstUnshown;
    QueueNewRows();
    if (m_statusDirty) {
        std::snprintf(m_text, sizeof m_text, "All packets: %u     Total bytes: %u",
                      static_cast<unsigned>(packetCount.load(std::memory_order_relaxed)),
                      static_cast<unsigned>(totalBytes.load(std::memory_order_relaxed)));
        m_batch.SetStatus(m_text);
        m_statusDirty = false;
    }
    SendBatch();

    // Rows the view refused are dropped; a later datagram of the flow starts it again.
    std::vector<std::unique_ptr<FlowRow>> refused;
    std::size_t kept = firstNew;
    for (std::size_t i = firstNew; i < m_rows.size(); ++i) {
        const std::size_t appended = i - firstNew;
        const bool shown = appended >= m_batch.appendedRows.size() || m_batch.appendedRows[appended] >= 0;
        if (!shown) {
            refused.push_back(std::move(m_rows[i]));
            continue;
        }
        m_rows[i]->shown = true;
        m_rows[i]->row = static_cast<int32_t>(kept);
        m_rows[kept++] = std::move(m_rows[i]);
    }
    m_rows.resize(kept);
    ForgetRows(refused);
    m_firstUnshown = m_rows.size();
    m_lastRefresh = Now();
}

void FlowTable::FlushIfDue(bool idle) {
    if (idle || Now() - m_lastRefresh >= kRefreshMilliseconds)
        Flush();
}

void FlowTable::ForgetRows(const std::vector<std::unique_ptr<FlowRow>>& gone) {
    for (const std::unique_ptr<FlowRow>& flow : gone)
        m_index.erase(flow->record.key);
}

void FlowTable::UpdateTraffic() {
    Flush();
    m_batch.Clear();
    const uint32_t idleLimit = m_services.settings->idleseconds;
    const uint32_t now = Now();
    std::vector<std::unique_ptr<FlowRow>> idle;
    std::size_t kept = 0;
    char number[12];
    // Row numbers in the batch are those at the moment of each change: a deleted row's successors have
    // moved up by then, so a surviving row's number is the count of rows kept before it.
    for (std::unique_ptr<FlowRow>& flow : m_rows) {
        TrafficRecord& record = flow->record;
        if (now - record.lastSeen > idleLimit) {
            m_batch.DeleteRow(static_cast<int32_t>(kept));
            idle.push_back(std::move(flow));
            continue;
        }
        const uint32_t interval = record.bytes - record.bytesAtUpdate;
        if (!flow->intervalShown || flow->interval != interval) {
            m_batch.SetCell(static_cast<int32_t>(kept), kColumnIntervalBytes, Decimal(interval, number));
            flow->interval = interval;
            flow->intervalShown = true;
        }
        record.bytesAtUpdate = record.bytes;
        if (record.lastSeen > record.firstSeen) {
            const uint32_t span = (record.lastSeen - record.firstSeen) / 1000;
            if (span != 0 && (!flow->rateShown || flow->rate != record.bytes / span)) {
                flow->rate = record.bytes / span;
                flow->rateShown = true;
                m_batch.SetCell(static_cast<int32_t>(kept), kColumnAverageRate, Decimal(flow->rate, number));
            }
        }
        flow->row = static_cast<int32_t>(kept);
        m_rows[kept++] = std::move(flow);
    }
    m_rows.resize(kept);
    m_firstUnshown = kept;
    SendBatch();
    // The view let go of the records with the rows; now they may go.
    ForgetRows(idle);
    ReleaseSpareCapacity();

    const uint32_t later = Now();
    const uint32_t start = captureStartTick.load(std::memory_order_relaxed);
    const uint32_t total = totalBytes.load(std::memory_order_relaxed);
    uint32_t rate = 0;
    if (later > start) {
        const uint32_t seconds = (later - start) / 1000;
        rate = seconds == 0 ? 0 : total / seconds;
    }
    averageRate.store(rate, std::memory_order_relaxed);
    intervalBytes.store(total - previousTotal.load(std::memory_order_relaxed), std::memory_order_relaxed);
    previousTotal.store(total, std::memory_order_relaxed);
    updateDue.store(0, std::memory_order_relaxed);
}

void FlowTable::ReleaseSpareCapacity() {
    // Containers keep the capacity of their largest moment. After a burst of flows has gone idle that
    // would hold the burst's memory for the rest of the capture, so what is far beyond the rows left is
    // given back; a quarter of it in use keeps this from happening again at the next update.
    constexpr std::size_t kSmallRows = 1024;
    const std::size_t needed = std::max(m_rows.size(), kSmallRows);
    if (m_rows.capacity() > 4 * needed)
        m_rows.shrink_to_fit();
    if (m_dirty.capacity() > 4 * needed)
        std::vector<FlowRow*>().swap(m_dirty);
    if (m_index.bucket_count() > 4 * needed)
        m_index.rehash(0);
    // The batch of one refresh can hold a whole burst of new rows; the next refresh builds its own. Moved
    // into a local, its buffers go with it (a string's move assignment may keep the old buffer).
    ViewBatch released(std::move(m_batch));
    m_batch.Clear();
}

void FlowTable::RemoveProtocol(uint8_t protocol) {
    Flush();
    m_batch.Clear();
    std::vector<std::unique_ptr<FlowRow>> removed;
    std::size_t kept = 0;
    for (std::unique_ptr<FlowRow>& flow : m_rows) {
        if (flow->record.key.protocol == protocol) {
            m_batch.DeleteRow(static_cast<int32_t>(kept));
            removed.push_back(std::move(flow));
            continue;
        }
        flow->row = static_cast<int32_t>(kept);
        m_rows[kept++] = std::move(flow);
    }
    m_rows.resize(kept);
    m_firstUnshown = kept;
    SendBatch();
    ForgetRows(removed);
}

void FlowTable::Clear() {
    m_batch.Clear();
    m_batch.DeleteAllRows();
    SendBatch();
    m_dirty.clear();
    m_index.clear();
    m_rows.clear();
    m_firstUnshown = 0;
}

} // namespace capture
