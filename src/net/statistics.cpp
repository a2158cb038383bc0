// The main dialog's statistics: the interface list, the per-second counters and status, and both clocks.
#include "ui/hollowmere_dlg.h"

#include <wininet.h>

#include <cstddef>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "net/connection_text.h"
#include "net/elapsed_clock.h"
#include "net/if_table_api.h"
#include "net/interface_rows.h"
#include "platform/product_key.h"
#include "platform/registry_key.h"
#include "widgets/transparent_static.h"

namespace {

// The platform's records as every refresh reads them, the same in both builds.
static_assert(sizeof(MIB_IFROW) == 860);
static_assert(offsetof(MIB_IFTABLE, table) + sizeof(MIB_IFROW) == 864); // a one-row table

// Rows of the table that lie inside its buffer, however many it claims.
DWORD RowsInBuffer(const MIB_IFTABLE* table, size_t capacity) {
    if (table == nullptr || capacity < sizeof(DWORD)) {
        return 0;
    }
    const size_t fit = (capacity - sizeof(DWORD)) / sizeof(MIB_IFROW);
    return table->dwNumEntries < fit ? table->dwNumEntries : static_cast<DWORD>(fit);
}

void AdvanceClock(int32_t& hours, int32_t& minutes, int32_t& seconds, std::string& text) {
    net::ElapsedClock clock{hours, minutes, seconds};
    net::TickElapsedClock(clock);
    hours = clock.hours;
    minutes = clock.minutes;
    seconds = clock.seconds;
    text = net::FormatElapsedClock(clock);
}

} // namespace

void CHollowmereDlg::LoadInterfaceList() {
    static_assert(sizeof m_nRowOfItem / sizeof m_nRowOfItem[0] == net::kMaxListedInterfaces);
    const net::IfTableApi* api = net::IfTableEntries();
    if (api == nullptr) {
        (void)AfxMessageBox("Error loading Iphlpapi.dll");
        EndDialog(1);
    } else {
        m_pIfTable = nullptr;
        m_dwIfTableSize = 0;
        if (api->getIfTable(m_pIfTable, &m_dwIfTableSize, TRUE) == ERROR_INSUFFICIENT_BUFFER) {
            if (GrowIfTable(m_dwIfTableSize)) {
                RefreshIfTable();
                const DWORD rows = RowsInBuffer(m_pIfTable, m_ifTableCapacity);
                for (DWORD i = 0; i < rows; ++i) {
                    const MIB_IFROW& row = m_pIfTable->table[i];
                    m_strInterfaceInfo = net::FormatInterfaceInfo(row.bDescr, sizeof row.bDescr, row.dwSpeed);
                    // The map has room for a fixed number of items; rows past it are not listed.
                    if (!net::IsListedInterface(m_strInterfaceInfo) ||
                        m_listedInterfaces == net::kMaxListedInterfaces) {
                        continue;
                    }
                    (void)m_comboNetwork.AddString(m_strInterfaceInfo);
                    m_nRowOfItem[m_listedInterfaces++] = static_cast<int32_t>(i);
                }
            }
        }
        if (!m_bNetworkStored) {
            m_nNetwork = DefaultInterfaceItem();
        }
    }
    (void)m_comboNetwork.SetCurSel(m_nNetwork);
}

bool CHollowmereDlg::GrowIfTable(size_t bytes) {
    if (bytes <= m_ifTableCapacity) {
        return true;
    }
    std::unique_ptr<unsigned char[]> grown(new (std::nothrow) unsigned char[bytes]());
    if (!grown) {
        return false;
    }
    // The rows of the last refresh stay until the next one succeeds.
    if (m_ifTableStorage) {
        std::memcpy(grown.get(), m_ifTableStorage.get(), m_ifTableCapacity);
    }
    m_ifTableStorage = std::move(grown);
    m_ifTableCapacity = bytes;
    m_pIfTable = reinterpret_cast<MIB_IFTABLE*>(m_ifTableStorage.get());
    return true;
}

void CHollowmereDlg::RefreshIfTable() {
    const net::IfTableApi* api = net::IfTableEntries();
    if (api == nullptr || m_pIfTable == nullptr) {
        return;
    }
    // The buffer is as large as the platform last asked for. When interfaces have come since, the call
    // reports the size it needs now, and the buffer grows to it.
    m_dwIfTableSize = static_cast<DWORD>(m_ifTableCapacity);
    if (api->getIfTable(m_pIfTable, &m_dwIfTableSize, TRUE) == ERROR_INSUFFICIENT_BUFFER &&
        GrowIfTable(m_dwIfTableSize)) {
        m_dwIfTableSize = static_cast<DWORD>(m_ifTableCapacity);
        (void)api->getIfTable(m_pIfTable, &m_dwIfTableSize, TRUE);
    }
}

int32_t CHollowmereDlg::DefaultInterfaceItem() const {
    const DWORD rows = RowsInBuffer(m_pIfTable, m_ifTableCapacity);
    std::vector<net::ListedInterface> listed;
    for (size_t item = 0; item < m_listedInterfaces; ++item) {
        const auto row = static_cast<DWORD>(m_nRowOfItem[item]);
        if (row >= rows) {
            break;
        }
        const MIB_IFROW& r = m_pIfTable->table[row];
        listed.push_back({r.dwIndex, r.dwType == IF_TYPE_SOFTWARE_LOOPBACK, uint64_t{r.dwInOctets} + r.dwOutOctets});
    }
    // The route to 0.0.0.0 is the default route.
    DWORD defaultRoute = 0;
    const bool routed = ::GetBestInterface(INADDR_ANY, &defaultRoute) == NO_ERROR;
    return net::ChooseTrafficInterface(listed, routed ? std::optional<uint32_t>(defaultRoute) : std::nullopt);
}

void CHollowmereDlg::ShowSelectedCounters() {
    // No table, no such item, or a row that has left the table: the counters keep their text.
    const auto row =
        net::RowOfItem(m_nRowOfItem, m_listedInterfaces, m_nNetwork, RowsInBuffer(m_pIfTable, m_ifTableCapacity));
    if (!row) {
        return;
    }
    const MIB_IFROW& selected = m_pIfTable->table[*row];
    m_strBytesSent = net::FormatOctets(selected.dwOutOctets);
    m_strBytesReceived = net::FormatOctets(selected.dwInOctets);
}

BOOL CHollowmereDlg::UpdateStatistics() {
    (void)UpdateData(true);
    TickDurationClock();
    RefreshIfTable();
    ShowSelectedCounters();
    try {
        DWORD flags = 0;
        if (m_connectedState ? m_connectedState(&flags) : ::InternetGetConnectedState(&flags, 0)) {
            m_strStatus = net::ConnectionStatusText(true);
            m_strType = net::ConnectionKindText(flags);
        } else {
            // The kinds of the last connected tick stay.
            m_strStatus = net::ConnectionStatusText(false);
        }
        (void)UpdateData(false);
    } catch (const std::exception&) {
        // A failure here only costs this tick's texts; the next tick tries again.
    }
    return TRUE;
}

void CHollowmereDlg::TickDurationClock() {
    AdvanceClock(m_nDurHours, m_nDurMinutes, m_nDurSeconds, m_strDuration);
    (void)UpdateData(false);
}

void CHollowmereDlg::TickAccelerationClock() {
    AdvanceClock(m_nAccelHours, m_nAccelMinutes, m_nAccelSeconds, m_strAccelDuration);
    // Only the clock: pushing every field would overwrite what a person is typing into the two settings
    // since the last statistics tick read them.
    if (CWnd* clock = GetDlgItem(IDC_ACCEL_DURATION)) {
        SetSeeThroughText(*clock, m_strAccelDuration);
    }
}

void CHollowmereDlg::OnSelChangeNetwork() {
    const int selected = m_comboNetwork.GetCurSel();
    if (selected == m_nNetwork) {
        return;
    }
    m_nNetwork = selected;
    RefreshIfTable();
    ShowSelectedCounters();
    platform::RegistryKey key;
    if (key.Create(HKEY_CURRENT_USER, platform::ProductKeyPath().c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS) {
        return;
    }
    (void)key.WriteDword("Network", static_cast<uint32_t>(m_nNetwork));
}
