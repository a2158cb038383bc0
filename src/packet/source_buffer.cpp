// The bytes a reader has taken from its source and not yet used, refilled in large pieces.
#include "packet/source_buffer.h"

#include <algorithm>
#include <cstring>

namespace packet {

SourceBuffer::SourceBuffer(std::unique_ptr<ByteSource> source, std::size_t initialBytes)
    : m_source(std::move(source)), m_buffer(initialBytes) {}

bool SourceBuffer::Refill(std::size_t count) {
    if (m_begin != 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    while (m_end < count && !m_sourceEnded) {
        if (m_end == m_buffer.size()) {
            // Full of bytes that did arrive: twice the room, or what the count needs if that is less.
            m_buffer.resize(std::min(count, std::max<std::size_t>(2 * m_buffer.size(), 4096)));
        }
        const std::size_t got = m_source->Read(m_buffer.data() + m_end, m_buffer.size() - m_end);
        m_end += got;
        if (got == 0) {
            m_sourceEnded = !m_source->MoreMayCome();
            break;
        }
    }
    return m_end >= count;
}

} // namespace packet
