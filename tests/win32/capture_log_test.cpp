// The capture log on the platform (under Wine): the warning box through the program's message-box seam,
// the bytes on disk, the local clock, and the process-wide log with the settings saved at exit.
#include "capture/log/log_platform.h"
#include "capture/log/traffic_log.h"
#include "capture/settings/settings.h"
#include "files.h"
#include "message_boxes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using capture_bytes::ReadText;
using testsupport::TempFile;
using testsupport::WriteFile;

// Records every message box instead of showing it; removes the test's files.
class MessageBoxes : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::string& file : files) {
            DeleteFileA(file.c_str());
        }
    }
    std::string Temp(const std::string& name) {
        files.push_back(TempFile(name));
        return files.back();
    }

    testsupport::MessageBoxRecorder boxes;
    std::vector<std::string> files;
};

TEST_F(MessageBoxes, AnEmptyLogPathWarnsOnceAndUselogfileIsSavedAsZero) {
    const std::string ini = Temp("empty_path.ini");
    WriteFile(ini, "[log]\r\nuselogfile=1\r\nlogfile=\r\n");
    {
        CSettings settings(ini.c_str());
        ASSERT_EQ(settings.uselogfile, 1);
        capture::TrafficLog log(std::make_unique<capture::StdioLogSink>(), capture::PlatformLocalTime,
                                capture::ShowLogWarning);
        log.OpenLogFile(settings, "a+");
        EXPECT_FALSE(log.IsOpen());
        EXPECT_EQ(settings.uselogfile, 0);
    }
    const auto calls = boxes.Boxes();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].owner, nullptr);
    EXPECT_EQ(calls[0].text, "Cannot open log file \"\" for writing!\r\nThe logging will be disabled.\r\n"
                             "You could enable it from the Settings.");
    EXPECT_EQ(calls[0].caption, "Warning");
    EXPECT_EQ(calls[0].style, static_cast<unsigned int>(MB_OK | MB_ICONINFORMATION));
    EXPECT_NE(ReadText(ini).find("uselogfile=0"), std::string::npos);
}

TEST_F(MessageBoxes, RecordsReachTheDiskWithCrLfLinesAndUntranslatedRawBytes) {
    capture::SettingsValues settings;
    settings.uselogfile = 1;
    settings.logtype = 4;
    const std::string path = Temp("raw.log");
    std::strcpy(settings.logfile, path.c_str());
    capture::TrafficLog log(std::make_unique<capture::StdioLogSink>(), capture::PlatformLocalTime,
                            capture::ShowLogWarning);
    log.OpenLogFile(settings, "w+");
    ASSERT_TRUE(log.IsOpen());
    std::vector<uint8_t> udp(32, '\n');
    udp[0] = 0x45;
    udp[2] = 0;
    udp[3] = 32;
    udp[9] = 17;
    log.WriteLogRecord(settings, 1048576, udp.data(), 32, 32, 28);
    log.CloseLogFile();
    const std::string bytes = ReadText(path);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "\n\n\n\n") << "the raw payload is stored unchanged";
    EXPECT_EQ(bytes.substr(0, 3), "\r\n[");
    EXPECT_NE(bytes.find("]\r\nProto: UDP len: 32 10.10.10.10:2570 -> 10.10.10.10:2570 \r\n\r\n"), std::string::npos);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(PlatformClock, GivesTheLocalDateAndTimeWithMilliseconds) {
    const capture::LocalTime now = capture::PlatformLocalTime();
    EXPECT_GE(now.year, 2020);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_LE(now.hour, 23);
    EXPECT_LE(now.millisecond, 999);
}

// A second program holds the process-wide settings and log, opens the log and ends; its INI file must then
// hold uselogfile=0, and it reports what its message box showed.
TEST(ProcessWideLog, AFailedOpenIsSavedWhenTheProgramEnds) {
    const std::string folder = testsupport::BinDir() + "\\";
    const std::string probe = folder + "capture_log_exit_probe.exe";
    const std::string ini = folder + "capture_log_exit_probe.ini";
    const std::string report = TempFile("probe_report.txt");
    WriteFile(ini, "[log]\r\nuselogfile=1\r\nlogfile=\r\n");
    DeleteFileA(report.c_str());

    std::string command = "\"" + probe + "\" \"" + report + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(probe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(exitCode, 0u);

    EXPECT_EQ(ReadText(report), "box: Warning 64 Cannot open log file \"\" for writing!\r\nThe logging will be "
                                "disabled.\r\nYou could enable it from the Settings.\n"
                                "open: 0 uselogfile: 0\n");
    EXPECT_NE(ReadText(ini).find("uselogfile=0"), std::string::npos);
    DeleteFileA(ini.c_str());
    DeleteFileA(report.c_str());
}

} // namespace
