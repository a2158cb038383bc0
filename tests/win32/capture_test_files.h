// Small file helpers of the capture tests on the platform.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace capture_test {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ExecutableFile() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// The executable's folder, with its trailing backslash.
inline std::string ExecutableFolder() {
    const std::string file = ExecutableFile();
    return file.substr(0, file.rfind('\\') + 1);
}

// A name in the temporary folder that no other test process uses.
inline std::string TempFile(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "capture_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

} // namespace capture_test
