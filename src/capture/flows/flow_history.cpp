// The history of a capture's flows, appended to a file as rows leave the flow table.
#include "capture/flows/flow_history.h"

#include <cstdio>

#include "capture/flows/flow_csv.h"

namespace capture {

std::string FormatIsoTime(uint64_t microseconds) {
    const uint64_t seconds = microseconds / 1000000;
    const uint64_t days = seconds / 86400;
    const uint64_t daySeconds = seconds % 86400;
    // The civil date of a day count since 1970-01-01, in eras of 400 years (146,097 days) that begin on a
    // 1 March, so that the leap day ends each year of the era.
    const uint64_t shifted = days + 719468; // days since 0000-03-01
    const uint64_t era = shifted / 146097;
    const uint64_t dayOfEra = shifted % 146097;
    const uint64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const uint64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const uint64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const uint64_t day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    const uint64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const uint64_t year = era * 400 + yearOfEra + (month <= 2 ? 1 : 0);
    char text[64];
    std::snprintf(
        text, sizeof text, "%04llu-%02llu-%02lluT%02llu:%02llu:%02llu.%06lluZ", static_cast<unsigned long long>(year),
        static_cast<unsigned long long>(month), static_cast<unsigned long long>(day),
        static_cast<unsigned long long>(daySeconds / 3600), static_cast<unsigned long long>(daySeconds / 60 % 60),
        static_cast<unsigned long long>(daySeconds % 60), static_cast<unsigned long long>(microseconds % 1000000));
    return text;
}

std::string FormatHistoryLine(const FlowRow& row) {
    std::string line = FormatFlowLine({row.record.key, LoadCount(row.packets), LoadCount(row.record.bytes)});
    line += ',';
    line += FormatIsoTime(row.firstTime);
    line += ',';
    line += FormatIsoTime(row.lastTime);
    line += '\n';
    return line;
}

bool FlowHistoryFile::Open(const std::string& path, std::string& error) {
    if (!Close(error) || !m_file.Open(path, "ab", true, error)) {
        return false;
    }
    m_lines = 0;
    if (m_file.Empty()) {
        (void)m_file.Write(kHistoryCsvHeader.data(), kHistoryCsvHeader.size());
        m_file.Flush();
    }
    return true;
}

void FlowHistoryFile::OnFlowEnded(const FlowRow& row, FlowEnd why) {
    if (!m_file.IsOpen()) {
        return;
    }
    const std::string line = FormatHistoryLine(row);
    (void)m_file.Write(line.data(), line.size()); // a failure is told at Close
    if (why != FlowEnd::CaptureEnded) {
        m_file.Flush();
    }
    ++m_lines;
}

bool FlowHistoryFile::Close(std::string& error) {
    return m_file.Close(error);
}

} // namespace capture
