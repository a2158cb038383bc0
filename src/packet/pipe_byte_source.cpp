// The bytes of a pipe carrying a capture as it is written.
#include "packet/pipe_byte_source.h"

#include <algorithm>
#include <cstring>

namespace packet {

namespace {

// A FIFO holds 64 KiB; a named pipe's writer may hand over more at once.
constexpr DWORD kChunkBytes = 256 * 1024;

} // namespace

PipeByteSource::PipeByteSource(HANDLE pipe)
    : m_pipe(pipe), m_event(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_chunk(kChunkBytes) {
    if (!m_event.IsValid()) {
        End(GetLastError());
    }
}

PipeByteSource::~PipeByteSource() {
    if (m_pending) {
        // The pending read writes into m_chunk: it must be over before the buffer goes.
        (void)CancelIoEx(m_pipe, &m_overlapped);
        DWORD ignored = 0;
        (void)GetOverlappedResult(m_pipe, &m_overlapped, &ignored, TRUE);
    }
}

void PipeByteSource::End(DWORD error) {
    m_ended = true;
    // The writer closing its end shows as a broken pipe (or the end of the data); anything else is a failure.
    if (error != ERROR_BROKEN_PIPE && error != ERROR_HANDLE_EOF && error != ERROR_PIPE_NOT_CONNECTED &&
        error != ERROR_SUCCESS) {
        m_failure = "reading the pipe failed with error " + std::to_string(error);
    }
}

bool PipeByteSource::Collect() {
    if (m_ended) {
        return false;
    }
    if (!m_pending) {
        m_overlapped = OVERLAPPED{};
        m_overlapped.hEvent = m_event.Get();
        if (!ReadFile(m_pipe, m_chunk.data(), kChunkBytes, nullptr, &m_overlapped)) {
            const DWORD error = GetLastError();
            if (error != ERROR_IO_PENDING && error != ERROR_MORE_DATA) {
                End(error);
                return false;
            }
        }
        m_pending = true;
    }
    DWORD got = 0;
    if (!GetOverlappedResult(m_pipe, &m_overlapped, &got, FALSE)) {
        const DWORD error = GetLastError();
        if (error == ERROR_IO_INCOMPLETE) {
            return false;
        }
        m_pending = false;
        if (error != ERROR_MORE_DATA) { // a message longer than the chunk: the rest comes with the next read
            End(error);
            return false;
        }
    }
    m_pending = false;
    if (got == 0) {
        End(ERROR_HANDLE_EOF);
        return false;
    }
    m_begin = 0;
    m_end = got;
    return true;
}

std::size_t PipeByteSource::Read(std::uint8_t* destination, std::size_t size) {
    if (m_begin == m_end && !Collect()) {
        return 0;
    }
    const std::size_t count = std::min(size, m_end - m_begin);
    std::memcpy(destination, m_chunk.data() + m_begin, count);
    m_begin += count;
    return count;
}

void PipeByteSource::Wait(int timeoutMs) {
    if (timeoutMs < 0 || m_begin != m_end || Collect() || m_ended) {
        return;
    }
    (void)WaitForSingleObject(m_event.Get(), timeoutMs == 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
}

} // namespace packet
