// The bytes a reader has taken from its source and not yet used, refilled in large pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "packet/capture_reader.h"

namespace packet {

class SourceBuffer {
public:
    // initialBytes: room enough for one large read and the longest unit the reader usually needs whole.
    SourceBuffer(std::unique_ptr<ByteSource> source, std::size_t initialBytes);

    // Makes at least count bytes available at Data(); false when the source ends first, or when a live
    // source has no more bytes for now (SourceEnded tells the two apart). The room grows only as far as
    // bytes actually arrive, so a length that promises more than the source holds costs nothing.
    bool Fill(std::size_t count) { return m_end - m_begin >= count || Refill(count); }
    const std::uint8_t* Data() const { return m_buffer.data() + m_begin; }
    std::size_t Available() const { return m_end - m_begin; }
    // Gives up the first count available bytes; Data() moves on.
    void Consume(std::size_t count) { m_begin += count; }
    bool SourceEnded() const { return m_sourceEnded; }

private:
    bool Refill(std::size_t count);

    std::unique_ptr<ByteSource> m_source;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_sourceEnded = false;
};

} // namespace packet
