// The main dialog's statistics: the interface list, the per-second counters and status, and both clocks.
#include "ui/hollowmere_dlg.h"

#include <wininet.h>

#include <cstddef>
#include <exception>
#include <new>

#include "net/connection_text.h"
#include "net/elapsed_clock.h"
#include "net/if_table_api.h"
#include "net/interface_rows.h"
#include "ui/registry_key.h"

namespace {

// A one-row table: the row count and one row. The buffer holds this many of them per byte of the size
// the sizing call reports.
constexpr size_t kOneRowTableBytes = sizeof(DWORD) + sizeof(MIB_IFROW);

// Rows of the table that lie inside its buffer, however many it claims.
DWORD RowsInBuffer(const MIB_IFTABLE* table, size_t capacity) {
    if (table == nullptr || capacity < sizeof(DWORD))
        return 0;
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
            const size_t bytes = static_cast<size_t>(m_dwIfTableSize) * kOneRowTableBytes;
            m_ifTableStorage.reset(new (std::nothrow) unsigned char[bytes]());
            if (m_ifTableStorage) {
                m_ifTableCapacity = bytes;
                m_pIfTable = reinterpret_cast<MIB_IFTABLE*>(m_ifTableStorage.get());
                RefreshIfTable();
                const DWORD rows = RowsInBuffer(m_pIfTable, m_ifTableCapacity);
                for (DWORD i = 0; i < rows; ++i) {
                    const MIB_IFROW& row = m_pIfTable->table[i];
                    m_strInterfaceInfo = net::FormatInterfaceInfo(row.bDescr, sizeof row.bDescr, row.dwSpeed);
                    // The map has room for a fixed number of items; rows past it are not listed.
                    if (!net::IsListedInterface(m_strInterfaceInfo) || m_listedInterfaces == net::kMaxListedInterfaces)
                        continue;
                    (void)m_comboNetwork.AddString(m_strInterfaceInfo);
                    m_nRowOfItem[m_listedInterfaces++] = static_cast<int32_t>(i);
                }
            }
        }
    }
    (void)m_comboNetwork.SetCurSel(m_nNetwork);
}

void CHollowmereDlg::RefreshIfTable() {
    const net::IfTableApi* api = net::IfTableEntries();
    if (api == nullptr || m_pIfTable == nullptr)
        return;
    // The platform writes the size it needs into the variable after a call that did not fit; the next
    // call must still not be told the buffer is larger than it is.
    if (m_dwIfTableSize > m_ifTableCapacity)
        m_dwIfTableSize = static_cast<DWORD>(m_ifTableCapacity);
    (void)api->getIfTable(m_pIfTable, &m_dwIfTableSize, TRUE);
}

void CHollowmereDlg::ShowSelectedCounters() {
    // No table, no such item, or a row that has left the table: the counters keep their text.
    const auto row =
        net::RowOfItem(m_nRowOfItem, m_listedInterfaces, m_nNetwork, RowsInBuffer(m_pIfTable, m_ifTableCapacity));
    if (!row)
        return;
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
        if (::InternetGetConnectedState(&flags, 0)) {
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
    (void)UpdateData(false);
}

void CHollowmereDlg::OnSelChangeNetwork() {
    const int selected = m_comboNetwork.GetCurSel();
    if (selected == m_nNetwork)
        return;
    m_nNetwork = selected;
    RefreshIfTable();
    ShowSelectedCounters();
    ui::RegistryKey key;
    if (key.Create(HKEY_CURRENT_USER, ui::ProductKeyPath().c_str(), KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return;
    (void)key.WriteDword("Network", static_cast<uint32_t>(m_nNetwork));
}
