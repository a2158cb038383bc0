// Files of the Win32 and end-to-end tests.
#include "files.h"

#include <windows.h>

#include <fstream>

#include "platform/handles.h"
#include "platform/module_path.h"

namespace testsupport {

std::string BinDir() {
    return platform::ModuleFolder();
}

std::string DataPath(const std::string& relative) {
    // Captures go through the one place that knows where each is, the generated one included.
    const std::string captures = "pcap/";
    std::string path = "Z:" + (relative.compare(0, captures.size(), captures) == 0
                                   ? capture_bytes::DataFile(relative.substr(captures.size()))
                                   : std::string(BRISKLANE_DATA_DIR) + "/" + relative);
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

std::string TempPath(const std::string& name) {
    char temp[MAX_PATH] = {};
    (void)GetTempPathA(MAX_PATH, temp);
    return temp + name;
}

std::string TempFile(const std::string& name) {
    return TempPath("brisklane_" + std::to_string(GetCurrentProcessId()) + "_" + name);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TempFolder::TempFolder(const std::string& prefix) {
    static int counter = 0;
    path_ = TempFile(prefix + "_" + std::to_string(++counter));
    (void)CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAA found;
    const platform::FindHandle search(FindFirstFileA(File("*").c_str(), &found));
    for (bool more = search.IsValid(); more; more = FindNextFileA(search.Get(), &found) != FALSE) {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            (void)DeleteFileA(File(found.cFileName).c_str());
        }
    }
    (void)RemoveDirectoryA(path_.c_str());
}

std::string TempFolder::Write(const std::string& name, const capture_bytes::Bytes& bytes) const {
    std::ofstream out(File(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return File(name);
}

} // namespace testsupport
