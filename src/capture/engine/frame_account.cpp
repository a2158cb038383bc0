// The account of every frame of a capture, and its two texts.
#include "capture/engine/frame_account.h"

#include <cinttypes>
#include <cstdio>

namespace capture {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

std::string Decimal(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRIu64, value);
    return text;
}

} // namespace

void FrameAccount::Reset() {
    for (std::atomic<uint64_t>* figure :
         {&m_walked, &m_notIpv4, &m_tooShort, &m_headerNotBelowLength, &m_filteredOut, &m_otherLinkType}) {
        figure->store(0, kRelaxed);
    }
}

void FrameAccount::Add(const PassFigures& pass) {
    (void)m_walked.fetch_add(pass.walk.records, kRelaxed);
    (void)m_notIpv4.fetch_add(pass.walk.notIpv4, kRelaxed);
    (void)m_tooShort.fetch_add(uint64_t{pass.walk.tooShort} + pass.tooShort, kRelaxed);
    (void)m_headerNotBelowLength.fetch_add(pass.headerNotBelowLength, kRelaxed);
    (void)m_filteredOut.fetch_add(pass.filteredOut, kRelaxed);
}

void FrameAccount::SetOtherLinkType(uint64_t records) {
    m_otherLinkType.store(records, kRelaxed);
}

FrameFigures FrameAccount::Figures(uint32_t counted) const {
    FrameFigures figures;
    figures.counted = counted;
    figures.notIpv4 = m_notIpv4.load(kRelaxed);
    figures.tooShort = m_tooShort.load(kRelaxed);
    figures.headerNotBelowLength = m_headerNotBelowLength.load(kRelaxed);
    figures.filteredOut = m_filteredOut.load(kRelaxed);
    figures.otherLinkType = m_otherLinkType.load(kRelaxed);
    // The library's left-out records never reach the walk: they are read all the same.
    figures.read = m_walked.load(kRelaxed) + figures.otherLinkType;
    return figures;
}

std::string FormatFramesLine(const FrameFigures& figures) {
    return "Frames: " + Decimal(figures.read) + " read, " + Decimal(figures.counted) + " counted, " +
           Decimal(figures.Skipped()) + " skipped (" + Decimal(figures.notIpv4) + " not IPv4 at the link offset, " +
           Decimal(figures.tooShort) + " too short, " + Decimal(figures.headerNotBelowLength) +
           " ignored (header not below length), " + Decimal(figures.filteredOut) + " filtered out, " +
           Decimal(figures.otherLinkType) + " other link type)";
}

std::string FormatFramesShort(const FrameFigures& figures) {
    std::string text = "Frames: " + Decimal(figures.read) + " read, " + Decimal(figures.Skipped()) + " skipped";
    const struct {
        uint64_t value;
        const char* reason;
    } reasons[] = {
        {figures.notIpv4, " not IPv4"},
        {figures.tooShort, " too short"},
        {figures.headerNotBelowLength, " ignored"},
        {figures.filteredOut, " filtered out"},
        {figures.otherLinkType, " other link type"},
    };
    const char* separator = " (";
    for (const auto& reason : reasons) {
        if (reason.value != 0) {
            text += separator + Decimal(reason.value) + reason.reason;
            separator = ", ";
        }
    }
    return figures.Skipped() != 0 ? text + ")" : text;
}

} // namespace capture
