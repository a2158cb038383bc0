// The per-second series of a capture as CSV text.
#include "capture/series/series_csv.h"

#include <cerrno>
#include <charconv>
#include <cstring>

namespace capture {

namespace {

constexpr std::size_t kPieceBytes = 64 * 1024;

void AppendNumber(std::string& text, uint64_t value) {
    char digits[20];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

} // namespace

bool WriteSeriesCsv(const TrafficSeries& series, const std::function<bool(std::string_view)>& write) {
    std::string piece(kSeriesCsvHeader);
    piece.reserve(kPieceBytes + 64);
    const bool visited = series.ForEachSecond([&](uint64_t second, const SecondCounts& counts) {
        AppendNumber(piece, second);
        piece += ',';
        AppendNumber(piece, counts.datagrams);
        piece += ',';
        AppendNumber(piece, counts.bytes);
        piece += '\n';
        if (piece.size() < kPieceBytes) {
            return true;
        }
        const bool written = write(piece);
        piece.clear();
        return written;
    });
    return visited && (piece.empty() || write(piece));
}

SeriesCsvFile::~SeriesCsvFile() {
    if (m_file != nullptr) {
        (void)std::fclose(m_file);
    }
}

bool SeriesCsvFile::Create(const std::string& path, std::string& error) {
    if (m_file != nullptr) {
        (void)std::fclose(m_file);
    }
    errno = 0;
    m_file = std::fopen(path.c_str(), "wb");
    m_path = path;
    if (m_file == nullptr) {
        error = "cannot create \"" + path + "\": " + std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    return true;
}

bool SeriesCsvFile::Save(const TrafficSeries& series, std::string& error) {
    if (m_file == nullptr) {
        error = "no file was created for the series";
        return false;
    }
    errno = 0;
    bool written = WriteSeriesCsv(series, [this](std::string_view piece) {
        return std::fwrite(piece.data(), 1, piece.size(), m_file) == piece.size();
    });
    // Flushed first and on its own: some C libraries' fclose does not report a failed final write.
    written = std::fflush(m_file) == 0 && std::ferror(m_file) == 0 && written;
    const int writeError = errno;
    written = std::fclose(m_file) == 0 && written;
    m_file = nullptr;
    if (!written) {
        const int reason = writeError != 0 ? writeError : errno != 0 ? errno : EIO;
        error = "writing \"" + m_path + "\" failed: " + std::strerror(reason);
    }
    return written;
}

} // namespace capture
