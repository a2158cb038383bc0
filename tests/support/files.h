// Files of the traffic tests under Wine: the shared captures by their Windows paths, and a temporary
// folder that is removed with its files.
#pragma once

#include <windows.h>

#include <fstream>
#include <string>

#include "capture_bytes.h"

namespace traffic_win32 {

// The shared data folder as Wine sees it (the unix root is drive Z:).
inline std::string DataPath(const std::string& relative) {
    std::string path = std::string("Z:") + BRISKLANE_DATA_DIR + "/" + relative;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "brisklane_traffic") {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        m_path =
            std::string(temp) + prefix + "_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(File("*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                    DeleteFileA(File(found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(m_path.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }
    std::string Write(const std::string& name, const traffic_test::Bytes& bytes) const {
        std::ofstream out(File(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return File(name);
    }

private:
    std::string m_path;
};

} // namespace traffic_win32
