// The capture host's end-to-end tests: host folders, console runs, expected output.
#include "capture_host.h"

#include <algorithm>
#include <fstream>
#include <thread>
#include <vector>

#include "e2e_harness.h"
#include "packet/pcap_reader.h"

namespace capture_e2e {

HostFolder::HostFolder(const std::string& iniText) {
    for (const char* file : {"BrisklaneCapture.exe", "packet.dll"})
        CopyFileA((e2e::BinDir() + "\\" + file).c_str(), File(file).c_str(), FALSE);
    std::ofstream(File("BrisklaneCapture.ini"), std::ios::binary) << iniText;
}

std::string HostFolder::Ini() const {
    return traffic_test::ReadText(File("BrisklaneCapture.ini"));
}

namespace {

void ReadAll(HANDLE pipe, std::string& into) {
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got != 0)
        into.append(chunk, got);
}

} // namespace

ConsoleRun RunConsole(const std::string& exe, const std::string& folder, const std::string& arguments,
                      DWORD timeoutMs) {
    ConsoleRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&errRead, &errWrite, &inherit, 0))
        return run;
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    std::string commandLine = "\"" + exe + "\" " + arguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                                        &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (started) {
        // Both streams are drained while the program runs, so that neither pipe fills up and blocks it.
        std::thread output([&] { ReadAll(outRead, run.out); });
        std::thread errors([&] { ReadAll(errRead, run.err); });
        run.finished = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
        if (!run.finished)
            TerminateProcess(process.hProcess, 99);
        output.join();
        errors.join();
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return run;
}

std::string ExpectedConsoleOutput(const std::string& captureName) {
    return traffic_test::ReferenceFlowCsv(captureName) + traffic_test::ReferenceStatusLine(captureName) + "\n";
}

std::string CompareSavedPackets(const std::string& capture, const std::string& saved, uint32_t linkType) {
    packet::PcapReader original(packet::FileByteSource::Open(capture.c_str()));
    packet::PcapReader copy(packet::FileByteSource::Open(saved.c_str()));
    if (original.Open() != packet::PcapStatus::Ok)
        return "the capture does not read: " + original.ErrorText();
    if (copy.Open() != packet::PcapStatus::Ok)
        return "the saved file does not read: " + copy.ErrorText();
    if (copy.Header().linkType != linkType || copy.Header().nanosecond)
        return "saved with link type " + std::to_string(copy.Header().linkType) +
               (copy.Header().nanosecond ? " and nanoseconds" : "");
    for (;;) {
        packet::PcapRecord a;
        packet::PcapRecord b;
        const packet::PcapStatus first = original.Next(a);
        const packet::PcapStatus second = copy.Next(b);
        const std::string where = "record " + std::to_string(copy.RecordsRead());
        if (first != second)
            return where + ": one file ends before the other";
        if (first != packet::PcapStatus::Ok)
            return "";
        if (a.seconds != b.seconds || a.microseconds != b.microseconds || a.wireLength != b.wireLength ||
            a.capturedLength != b.capturedLength || !std::equal(a.data, a.data + a.capturedLength, b.data))
            return where + " differs";
    }
}

} // namespace capture_e2e
