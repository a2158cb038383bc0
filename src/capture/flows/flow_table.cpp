// The flow table behind the traffic list.
#include "capture/flows/flow_table.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "capture/engine/record_walk.h"
#include "capture/flows/traffic_counters.h"
#include "capture/log/protocol_names.h"
#include "capture/names/name_resolver.h"
#include "capture/names/services_parser.h"

namespace capture {

namespace {

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

// Copies text into a cell's buffer, cut to its size.
void CopyCell(const char* text, char* cell, std::size_t size) {
    const std::size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(cell, text, length);
    cell[length] = '\0';
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

void FlowTable::RemoveListener(FlowListener* listener) {
    std::erase(m_listeners, listener);
}

DatagramOutcome FlowTable::OnPacket(const uint8_t* datagram, uint32_t captured, uint64_t captureTime) {
    if (captured < kDatagramBytesNeeded) {
        return DatagramOutcome::TooShort;
    }
    const uint8_t protocol = datagram[9];
    const SettingsValues& settings = *m_services.settings;
    if ((protocol == kProtocolTcp && LoadShared(settings.filtertcp) != 0) ||
        (protocol == kProtocolUdp && LoadShared(settings.filterudp) != 0) ||
        (protocol == kProtocolIcmp && LoadShared(settings.filtericmp) != 0)) {
        return DatagramOutcome::FilteredOut;
    }
    const uint32_t size = HeaderSize(protocol);
    const uint32_t length = BigEndian16(datagram + 2);
    if (size >= length) {
        return DatagramOutcome::HeaderNotBelowLength;
    }

    Add(packetCount, 1);
    Add(totalBytes, length - size);
    m_statusDirty = true;
    m_changed = true;

    std::memcpy(&m_key.sourceAddress, datagram + 12, 4);
    std::memcpy(&m_key.destinationAddress, datagram + 16, 4);
    std::memcpy(&m_key.sourcePort, datagram + 20, 2);
    std::memcpy(&m_key.destinationPort, datagram + 22, 2);
    m_key.protocol = protocol;

    if (m_services.log != nullptr && m_services.log->IsOpen()) {
        m_services.log->Write(datagram, length, captured, size);
    }

    const auto found = m_index.find(m_key);
    FlowRow* flow = nullptr;
    if (found == m_index.end()) {
        flow = &AddRow(length);
        flow->firstTime = captureTime;
    } else {
        // Only this thread writes the counts: a load and a store are the whole update.
        flow = found->second;
        StoreCount(flow->record.bytes, flow->record.bytes + length);
        StoreCount(flow->record.lastSeen, Now());
        StoreCount(flow->packets, flow->packets + 1);
    }
    flow->lastTime = captureTime;
    for (FlowListener* listener : m_listeners) {
        listener->OnCounted(*flow, length, captureTime);
    }
    return DatagramOutcome::Counted;
}

int32_t FlowTable::FindRow() const {
    const auto found = m_index.find(m_key);
    if (found == m_index.end()) {
        return -1;
    }
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].get() == found->second) {
            return static_cast<int32_t>(row);
        }
    }
    return -1;
}

FlowRow& FlowTable::AddRow(uint32_t bytes) {
    auto flow = std::make_unique<FlowRow>();
    const uint32_t now = Now();
    flow->record = TrafficRecord{m_key, now, now, bytes, 0};
    flow->packets = 1;
    FlowRow& added = *flow;
    m_index.emplace(m_key, flow.get());
    {
        const std::lock_guard lock(m_lock);
        m_rows.push_back(std::move(flow));
    }
    // The names are wanted as soon as the flow is known; the list shows them when they arrive.
    if (m_services.names != nullptr) {
        m_services.names->Request(m_key.sourceAddress);
        m_services.names->Request(m_key.destinationAddress);
    }
    return added;
}

const char* FlowTable::PortText(uint16_t portNetworkOrder, uint8_t protocol, char (&buffer)[12]) const {
    const uint16_t port = SwapBytes(portNetworkOrder);
    if (m_services.services != nullptr) {
        if (const char* name = m_services.services->Lookup(port, protocol)) {
            return name;
        }
    }
    return Decimal(port, buffer);
}

void FormatTotals(char (&text)[300], uint32_t packets, uint32_t bytes) {
    std::snprintf(text, sizeof text, "All packets: %u     Total bytes: %u", static_cast<unsigned>(packets),
                  static_cast<unsigned>(bytes));
}

void FlowTable::Flush() {
    if (!m_changed && !m_statusDirty) {
        return;
    }
    const char* status = nullptr;
    if (m_statusDirty) {
        FormatTotals(m_text, packetCount.load(std::memory_order_relaxed), totalBytes.load(std::memory_order_relaxed));
        status = m_text;
        m_statusDirty = false;
    }
    m_changed = false;
    if (m_services.view != nullptr) {
        m_services.view->Refresh(*this, status);
    }
    m_lastRefresh = Now();
}

void FlowTable::FlushIfDue(bool idle) {
    if (idle || Now() - m_lastRefresh >= kRefreshMilliseconds) {
        Flush();
    }
}

template <class Gone>
void FlowTable::RemoveRows(FlowEnd why, Gone gone) {
    std::size_t kept = 0;
    for (std::unique_ptr<FlowRow>& flow : m_rows) {
        if (gone(*flow)) {
            for (FlowListener* listener : m_listeners) {
                listener->OnFlowEnded(*flow, why);
            }
            m_index.erase(flow->record.key);
            flow->gone = true;
            m_gone.push_back(std::move(flow));
            m_changed = true;
            continue;
        }
        m_rows[kept++] = std::move(flow);
    }
    m_rows.resize(kept);
}

void FlowTable::UpdateTraffic() {
    const uint32_t idleLimit = m_services.settings->idleseconds;
    const uint32_t now = Now();
    {
        const std::lock_guard lock(m_lock);
        RemoveRows(FlowEnd::Idle, [&](FlowRow& flow) {
            TrafficRecord& record = flow.record;
            if (now - record.lastSeen > idleLimit) {
                return true;
            }
            const uint32_t interval = record.bytes - record.bytesAtUpdate;
            m_changed = m_changed || !flow.intervalShown || flow.interval != interval;
            flow.interval = interval;
            flow.intervalShown = true;
            record.bytesAtUpdate = record.bytes;
            if (record.lastSeen > record.firstSeen) {
                const uint32_t span = (record.lastSeen - record.firstSeen) / 1000;
                if (span != 0) {
                    m_changed = m_changed || !flow.rateShown || flow.rate != record.bytes / span;
                    flow.rate = record.bytes / span;
                    flow.rateShown = true;
                }
            }
            return false;
        });
    }
    Flush();
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
    const std::lock_guard lock(m_lock);
    const std::size_t needed = std::max(m_rows.size(), kSmallRows);
    if (m_rows.capacity() > 4 * needed) {
        m_rows.shrink_to_fit();
    }
    if (m_gone.empty() && m_gone.capacity() > 4 * needed) {
        std::vector<std::unique_ptr<FlowRow>>().swap(m_gone);
    }
    if (m_index.bucket_count() > 4 * needed) {
        m_index.rehash(0);
    }
}

void FlowTable::RemoveProtocol(uint8_t protocol) {
    {
        const std::lock_guard lock(m_lock);
        RemoveRows(FlowEnd::Removed, [protocol](const FlowRow& flow) { return flow.record.key.protocol == protocol; });
    }
    Flush();
}

void FlowTable::SourceEnded() {
    for (FlowListener* listener : m_listeners) {
        listener->OnSourceEnded();
    }
}

void FlowTable::Clear() {
    for (const std::unique_ptr<FlowRow>& flow : m_rows) {
        for (FlowListener* listener : m_listeners) {
            listener->OnFlowEnded(*flow, FlowEnd::CaptureEnded);
        }
    }
    {
        const std::lock_guard lock(m_lock);
        m_list.clear();
        m_gone.clear();
        m_rows.clear();
        m_index.clear();
    }
    m_changed = false;
    if (m_services.view != nullptr) {
        m_services.view->Refresh(*this, nullptr);
    }
}

void FlowTable::SortBy(ListOrder order) {
    const std::lock_guard lock(m_lock);
    m_order = order;
}

ListOrder FlowTable::Order() const {
    const std::lock_guard lock(m_lock);
    return m_order;
}

std::size_t FlowTable::Reorder(std::vector<int32_t>* selected) {
    const std::lock_guard lock(m_lock);
    std::vector<const FlowRow*> selectedRows;
    if (selected != nullptr) {
        for (int32_t position : *selected) {
            const auto at = static_cast<std::size_t>(position);
            const bool shown = position >= 0 && at < m_list.size() && !m_list[at]->gone;
            selectedRows.push_back(shown ? m_list[at] : nullptr);
        }
    }
    m_list = OrderRows(m_rows, m_order);
    // Nothing refers to the removed rows any more.
    m_gone.clear();
    if (selected != nullptr) {
        std::unordered_map<const FlowRow*, int32_t> positions;
        for (const FlowRow* row : selectedRows) {
            if (row != nullptr) {
                positions.emplace(row, -1);
            }
        }
        for (std::size_t position = 0; position < m_list.size() && !positions.empty(); ++position) {
            const auto found = positions.find(m_list[position]);
            if (found != positions.end()) {
                found->second = static_cast<int32_t>(position);
            }
        }
        for (std::size_t i = 0; i < selectedRows.size(); ++i) {
            (*selected)[i] = selectedRows[i] != nullptr ? positions.at(selectedRows[i]) : -1;
        }
    }
    return m_list.size();
}

bool FlowTable::CellText(std::size_t position, int32_t column, char* text, std::size_t size) const {
    if (size == 0) {
        return false;
    }
    const std::lock_guard lock(m_lock);
    if (position >= m_list.size()) {
        text[0] = '\0';
        return false;
    }
    const FlowRow& row = *m_list[position];
    const FlowKey& key = row.record.key;
    char number[12];
    switch (column) {
    case kColumnSourceHost:
    case kColumnDestinationHost: {
        const uint32_t address = column == kColumnSourceHost ? key.sourceAddress : key.destinationAddress;
        if (m_services.names != nullptr) {
            m_services.names->Text(address, text, size);
        } else {
            char quad[16];
            FormatDottedQuad(address, quad);
            CopyCell(quad, text, size);
        }
        return true;
    }
    case kColumnSourcePort:
        CopyCell(PortText(key.sourcePort, key.protocol, number), text, size);
        return true;
    case kColumnDestinationPort:
        CopyCell(PortText(key.destinationPort, key.protocol, number), text, size);
        return true;
    case kColumnProtocol:
        CopyCell(protocolNames[key.protocol], text, size);
        return true;
    case kColumnBytes:
        CopyCell(Decimal(LoadCount(row.record.bytes), number), text, size);
        return true;
    case kColumnIntervalBytes:
        CopyCell(row.intervalShown ? Decimal(row.interval, number) : "", text, size);
        return true;
    case kColumnAverageRate:
        CopyCell(row.rateShown ? Decimal(row.rate, number) : "", text, size);
        return true;
    default:
        text[0] = '\0';
        return false;
    }
}

void FlowTable::VisitList(const std::function<void(const FlowRow&)>& visit) const {
    const std::lock_guard lock(m_lock);
    for (const FlowRow* row : m_list) {
        if (!row->gone) {
            visit(*row);
        }
    }
}

} // namespace capture
