// The bytes of a pipe carrying a capture as it is written: a Windows named pipe, or a Unix FIFO reached
// through Wine's drive mapping. Reads never block: one read is kept pending in the background, and its
// bytes are handed out once it has completed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "packet/pcap_reader.h"
#include "platform/handles.h"

namespace packet {

class PipeByteSource final : public ByteSource {
public:
    // The pipe must have been opened for overlapped reading; it stays the caller's to close, after this.
    explicit PipeByteSource(HANDLE pipe);
    ~PipeByteSource() override;
    PipeByteSource(const PipeByteSource&) = delete;
    PipeByteSource& operator=(const PipeByteSource&) = delete;

    std::size_t Read(std::uint8_t* destination, std::size_t size) override;
    bool MoreMayCome() const override { return !m_ended; }

    // Waits until bytes have arrived or the stream has ended, at most the given time (0: without limit,
    // negative: not at all).
    void Wait(int timeoutMs);

    // Why the stream ended, when it was not its writer closing it; empty otherwise.
    const std::string& Failure() const { return m_failure; }

private:
    // Makes the bytes of a completed read available, starting a read when none is pending; false when
    // none are there yet.
    bool Collect();
    void End(DWORD error);

    HANDLE m_pipe;
    platform::KernelHandle m_event;
    OVERLAPPED m_overlapped{};
    bool m_pending = false;
    bool m_ended = false;
    std::string m_failure;
    std::vector<std::uint8_t> m_chunk;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};

} // namespace packet
