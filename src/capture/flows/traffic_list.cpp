// CTrafficList: the flow table wired to the program's settings, name lookups, log and clock.
#include "capture/flows/traffic_list.h"

#include "capture/log/log_file.h"
#include "capture/log/protocol_names.h"
#include "capture/names/name_cache.h"
#include "capture/names/services_parser.h"
#include "capture/settings/settings.h"

namespace {

uint32_t TickCount() {
    return GetTickCount();
}

} // namespace

// Built before the other capture globals: only their addresses are taken here.
CTrafficList::CTrafficList()
    : capture::FlowTable(
          capture::FlowTableServices{nullptr, TickCount, nullptr, &theServicesParser, &theSettings, nullptr}),
      m_cacheNames(theNameCache, capture::NameResolver::Mode::OnCallersThread) {
    FillUnknownProtocolNames();
    SetView(&m_listView);
    SetNames(&m_cacheNames);
    SetLog(&m_log);
}

CTrafficList::~CTrafficList() = default;

void CTrafficList::UseNames(capture::HostNames* names) {
    SetNames(names != nullptr ? names : &m_cacheNames);
}

bool CTrafficList::ProgramLog::IsOpen() const {
    return logFile.IsOpen();
}

void CTrafficList::ProgramLog::Write(const uint8_t* datagram, uint32_t length, uint32_t captured, uint32_t headerSize) {
    logFile.WriteLogRecord(theSettings, logSizeLimit, datagram, length, captured, headerSize);
}
