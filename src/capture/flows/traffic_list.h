// CTrafficList: the live table of captured flows in the host's list view, with the totals in its status
// window; the flow table wired to the program's settings, name lookups, log and clock.
#pragma once

#include <windows.h>

#include "capture/flows/flow_table.h"
#include "capture/flows/list_view_view.h"
#include "capture/flows/traffic_counters.h"
#include "capture/names/name_resolver.h"

class CTrafficList : public capture::FlowTable {
public:
    // Completes the protocol-name table ("unknown (N)" for 101 to 255).
    CTrafficList();
    ~CTrafficList() override;

    // The view over the host's windows (the table's view unless a test put another in its place).
    capture::ListViewTrafficView& ListView() { return m_listView; }

    // Where the host columns get their names: by default theNameCache, looked up on the capture thread as
    // each flow appears; a host may give a resolver of its own (null: the default again). Only while no
    // capture runs.
    void UseNames(capture::HostNames* names);
    // The default names, over theNameCache.
    capture::NameResolver& CacheNames() { return m_cacheNames; }

private:
    class ProgramLog final : public capture::DatagramLog {
    public:
        bool IsOpen() const override;
        void Write(const uint8_t* datagram, uint32_t length, uint32_t captured, uint32_t headerSize) override;
    };

    capture::ListViewTrafficView m_listView;
    capture::NameResolver m_cacheNames;
    ProgramLog m_log;
};

extern CTrafficList theTrafficList;
