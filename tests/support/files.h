// Files of the Win32 and end-to-end tests: the test program's folder, the test captures by their Windows
// paths, names in the temporary folder, and a temporary folder that goes with its files.
#pragma once

#include <string>

#include "capture_bytes.h"

namespace testsupport {

// The test program's folder, without its closing backslash: the programs under test, packet.dll and the
// skin are built beside it.
[[nodiscard]] std::string BinDir();

// A file of the test data as Wine sees it (the unix root is drive Z:): "pcap/NAME" is a capture or its
// reference table (capture_bytes::DataFile), the generated large capture included.
[[nodiscard]] std::string DataPath(const std::string& relative);

// A path in the temporary folder, "<temp>\<name>".
[[nodiscard]] std::string TempPath(const std::string& name);

// A file name in the temporary folder that no other test process uses.
[[nodiscard]] std::string TempFile(const std::string& name);

void WriteFile(const std::string& path, const std::string& bytes);

// A folder of its own in the temporary folder, removed with the files in it when the object goes.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "folder");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::string& Path() const { return path_; }
    [[nodiscard]] std::string File(const std::string& name) const { return path_ + "\\" + name; }
    // Writes the bytes into a file of the folder; gives its path.
    std::string Write(const std::string& name, const capture_bytes::Bytes& bytes) const;

private:
    std::string path_;
};

} // namespace testsupport
