// Which reader a capture needs, told by its first four bytes: a pcapng section header, or else a classic
// libpcap file.
#pragma once

#include <memory>

#include "packet/capture_reader.h"

namespace packet {

// A reader of whichever of the two formats the source carries. Its Open waits (Waiting) until the first
// four bytes have arrived; a source that ends before them is read as a classic file too short for its
// header.
std::unique_ptr<CaptureReader> CaptureReaderFor(std::unique_ptr<ByteSource> source);

// The capture file at path, opened and read up to its first record; null when the file cannot be opened or
// is no capture of either format.
std::unique_ptr<CaptureReader> OpenCaptureFile(const char* path);

} // namespace packet
