// A file that a capture writes its results into.
#include "capture/engine/output_file.h"

#include <cerrno>
#include <cstring>

namespace capture {

namespace {

std::string Reason(int error) {
    return error != 0 ? std::strerror(error) : "unknown error";
}

int ErrorOfFailure() {
    return errno != 0 ? errno : EIO;
}

} // namespace

OutputFile::~OutputFile() {
    std::string ignored;
    (void)Close(ignored);
}

bool OutputFile::Open(const std::string& path, const char* mode, bool buffered, std::string& error) {
    std::string ignored;
    (void)Close(ignored);
    errno = 0;
    m_file = std::fopen(path.c_str(), mode);
    if (m_file == nullptr) {
        error = std::string(mode[0] == 'w' ? "cannot create \"" : "cannot open \"") + path + "\": " + Reason(errno);
        return false;
    }
    if (!buffered) {
        (void)std::setvbuf(m_file, nullptr, _IONBF, 0);
    }
    m_path = path;
    m_firstError = 0;
    return true;
}

bool OutputFile::Empty() const {
    return m_file != nullptr && (std::fseek(m_file, 0, SEEK_END) != 0 || std::ftell(m_file) == 0);
}

bool OutputFile::Write(const void* bytes, std::size_t size) {
    if (m_file == nullptr || m_firstError != 0) {
        return false;
    }
    errno = 0;
    if (std::fwrite(bytes, 1, size, m_file) != size) {
        m_firstError = ErrorOfFailure();
    }
    return m_firstError == 0;
}

void OutputFile::Flush() {
    if (m_file == nullptr || m_firstError != 0) {
        return;
    }
    errno = 0;
    if (std::fflush(m_file) != 0) {
        m_firstError = ErrorOfFailure();
    }
}

bool OutputFile::Close(std::string& error) {
    if (m_file == nullptr) {
        return true;
    }
    // Flushed first and on its own: some C libraries' fclose does not report a failed final write.
    errno = 0;
    if ((std::fflush(m_file) != 0 || std::ferror(m_file) != 0) && m_firstError == 0) {
        m_firstError = ErrorOfFailure();
    }
    if (std::fclose(m_file) != 0 && m_firstError == 0) {
        m_firstError = ErrorOfFailure();
    }
    m_file = nullptr;
    if (m_firstError == 0) {
        return true;
    }
    error = "writing \"" + m_path + "\" failed: " + Reason(m_firstError);
    return false;
}

} // namespace capture
