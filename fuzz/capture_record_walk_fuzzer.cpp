// Fuzzes what the network controls: a receive buffer of driver records walked into the flow table, with
// periodic updates and refreshes in between. Every read must stay inside the received bytes, and the
// table, its sorted list and the shared counters must agree afterwards.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/engine/capture_pass.h"
#include "capture/flows/memory_traffic_view.h"
#include "capture/flows/traffic_counters.h"
#include "capture/names/services_parser.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

// The first byte chooses the link header (bit 0: Token Ring), the filters (bits 1-3), how often the
// periodic update runs and the list's order (bits 4-7: bits 4-6 the column, bit 7 descending); the rest is
// the receive buffer, walked in up to four receives.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const uint8_t control = data[0];
    const uint8_t* buffer = data + 1;
    const auto received = static_cast<uint32_t>(size - 1);

    packetCount = 0;
    totalBytes = 0;
    capture::SettingsValues settings;
    settings.filtertcp = control >> 1 & 1;
    settings.filterudp = control >> 2 & 1;
    settings.filtericmp = control >> 3 & 1;
    settings.idleseconds = 1500;
    capture::MemoryTrafficView view;
    CServicesParser services("/nonexistent/services");
    uint32_t now = 0xfffff000; // the tick count wraps during the run
    capture::FlowTable table({&view, [&now] { return now; }, nullptr, &services, &settings, nullptr});
    table.SortBy({control >> 4 & 7, (control & 0x80) != 0}); // columns 0 to 7
    const uint32_t linkHeader = capture::LinkHeaderLengthForMedium(control & 1);

    // The same bytes split into receives at a few places, as the library may hand them out.
    uint32_t start = 0;
    for (int receive = 0; receive < 4 && start < received; ++receive) {
        const uint32_t end = receive == 3 ? received : start + (received - start) / 2 + 1;
        (void)capture::PassReceivedRecords(buffer + start, end - start, linkHeader, table);
        now += 700;
        if ((control >> 4) != 0 && receive % ((control >> 4) % 3 + 1) == 0) {
            table.UpdateTraffic();
        }
        table.FlushIfDue(receive % 2 == 1);
        start = end;
    }
    table.Flush();

    uint64_t packets = 0;
    Check(view.rows == table.RowCount());
    for (size_t row = 0; row < table.RowCount(); ++row) {
        packets += table.RowPackets(row);
    }
    Check(packets <= packetCount); // idle rows take their datagrams with them
    // The list holds the table's rows in its order, every cell readable.
    uint64_t listed = 0;
    uint64_t previous = 0;
    std::vector<uint32_t> bytes;
    const int32_t sortColumn = table.Order().column;
    table.VisitList([&](const capture::FlowRow& row) {
        const uint64_t key = capture::SortKey(row, sortColumn);
        Check(bytes.empty() || ((control & 0x80) != 0 ? key <= previous : key >= previous));
        previous = key;
        listed += row.packets;
        bytes.push_back(row.record.bytes);
    });
    const size_t position = bytes.size();
    for (size_t row = 0; row < bytes.size(); ++row) {
        Check(capture::MemoryTrafficView::Cell(table, row, capture::kColumnBytes) == std::to_string(bytes[row]));
    }
    Check(position == view.rows && listed == packets);
    if (view.rows == 0 && packetCount == 0) {
        Check(view.status.empty());
    }
    table.Clear();
    Check(view.rows == 0);
    return 0;
}
