// The history of a capture's flows, appended to a file as rows leave the flow table.
#include "capture/flows/flow_history.h"

#include <cerrno>
#include <cstring>

#include "capture/flows/flow_csv.h"

namespace capture {

namespace {

std::string Reason(int error) {
    return error != 0 ? std::strerror(error) : "unknown error";
}

} // namespace

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

FlowHistoryFile::~FlowHistoryFile() {
    std::string ignored;
    (void)Close(ignored);
}

bool FlowHistoryFile::Open(const std::string& path, std::string& error) {
    if (!Close(error)) {
        return false;
    }
    errno = 0;
    m_file = std::fopen(path.c_str(), "ab");
    if (m_file == nullptr) {
        error = "cannot open \"" + path + "\": " + Reason(errno);
        return false;
    }
    m_path = path;
    m_lines = 0;
    m_firstError = 0;
    // Appending starts at the end; where that is tells whether the file is new or empty.
    if (std::fseek(m_file, 0, SEEK_END) != 0 || std::ftell(m_file) == 0) {
        if (std::fwrite(kHistoryCsvHeader.data(), 1, kHistoryCsvHeader.size(), m_file) != kHistoryCsvHeader.size() ||
            std::fflush(m_file) != 0) {
            m_firstError = errno != 0 ? errno : EIO;
        }
    }
    return true;
}

void FlowHistoryFile::OnFlowEnded(const FlowRow& row, FlowEnd why) {
    if (m_file == nullptr) {
        return;
    }
    const std::string line = FormatHistoryLine(row);
    const bool written = std::fwrite(line.data(), 1, line.size(), m_file) == line.size() &&
                         (why == FlowEnd::CaptureEnded || std::fflush(m_file) == 0);
    if (!written && m_firstError == 0) {
        m_firstError = errno != 0 ? errno : EIO;
    }
    ++m_lines;
}

bool FlowHistoryFile::Close(std::string& error) {
    if (m_file == nullptr) {
        return true;
    }
    // Flushed first and on its own: some C libraries' fclose does not report a failed final write.
    errno = 0;
    if ((std::fflush(m_file) != 0 || std::ferror(m_file) != 0) && m_firstError == 0) {
        m_firstError = errno != 0 ? errno : EIO;
    }
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (m_firstError == 0 && !closed) {
        m_firstError = errno != 0 ? errno : EIO;
    }
    if (m_firstError != 0) {
        error = "writing \"" + m_path + "\" failed: " + Reason(m_firstError);
        return false;
    }
    return true;
}

} // namespace capture
