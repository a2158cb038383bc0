// The per-second series of a capture as CSV text.
#include "capture/series/series_csv.h"

#include <charconv>

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

bool SeriesCsvFile::Create(const std::string& path, std::string& error) {
    return m_file.Open(path, "wb", true, error);
}

bool SeriesCsvFile::Save(const TrafficSeries& series, std::string& error) {
    if (!m_file.IsOpen()) {
        error = "no file was created for the series";
        return false;
    }
    // Stopped by a failed write; Close says which.
    (void)WriteSeriesCsv(series, [this](std::string_view piece) { return m_file.Write(piece.data(), piece.size()); });
    return m_file.Close(error);
}

} // namespace capture
