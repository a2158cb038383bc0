// A file that a capture writes its results into (saved packets, the series, the flow history) through the
// C library: the first failed write is kept, so that closing the file can say whether all of it was
// written, and in what words.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace capture {

class OutputFile {
public:
    OutputFile() = default;
    // Closes the file; a failure can no longer be told to anyone.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens path with the C library's mode ("wb" creates or empties it, "ab" appends). Buffered, writes
    // reach the system when the C library's buffer is full or at Flush; unbuffered, each Write reaches it
    // at once, in one piece. False, with a sentence in error, when it cannot be opened. A file still open
    // is closed first, its failure forgotten.
    [[nodiscard]] bool Open(const std::string& path, const char* mode, bool buffered, std::string& error);
    bool IsOpen() const { return m_file != nullptr; }
    const std::string& Path() const { return m_path; }
    // True when the file holds nothing yet (a file opened for appending that was new or empty).
    bool Empty() const;

    // Writes size bytes; false once any write has failed. After a failed write nothing more is written: a
    // later write would leave a gap.
    bool Write(const void* bytes, std::size_t size);
    // Hands what the C library holds to the system.
    void Flush();

    // Closes the file; false, with a sentence in error, when any write failed. True when none is open.
    [[nodiscard]] bool Close(std::string& error);

private:
    std::FILE* m_file = nullptr;
    std::string m_path;
    int m_firstError = 0; // errno of the first failed write
};

} // namespace capture
