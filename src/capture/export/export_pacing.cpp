// How fast flow records leave for the collector.
#include "capture/export/export_pacing.h"

#include <algorithm>

namespace capture {

ExportPacing::ExportPacing(uint32_t messagesPerSecond, uint32_t burstMessages)
    : m_interval(1'000'000'000ull / std::max(messagesPerSecond, 1u)),
      m_tolerance(m_interval * (std::max(burstMessages, 1u) - 1)) {}

uint64_t ExportPacing::WaitBeforeNext(uint64_t now) const {
    const uint64_t earliest = m_due > m_tolerance ? m_due - m_tolerance : 0;
    return earliest > now ? earliest - now : 0;
}

void ExportPacing::Sent(uint64_t now) {
    m_due = std::max(m_due, now) + m_interval;
}

uint64_t ExportPacing::DurationOf(std::size_t messages) const {
    return m_interval * messages;
}

} // namespace capture
