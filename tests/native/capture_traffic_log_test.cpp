// The capture log's file: when it is opened, emptied and left alone, the warning, and the bytes on disk.
#include "capture/log/memory_log_sink.h"
#include "capture/log/protocol_names.h"
#include "capture/log/traffic_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const capture::LocalTime kTime{2024, 5, 6, 7, 8, 9, 10};

std::vector<uint8_t> Udp(uint16_t totalLength) {
    std::vector<uint8_t> d(totalLength, 0x0a); // line feeds throughout, to see that raw bytes stay unchanged
    d[0] = 0x45;
    d[2] = static_cast<uint8_t>(totalLength >> 8);
    d[3] = static_cast<uint8_t>(totalLength);
    d[9] = 17;
    return d;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// A log whose warnings are collected, over a sink that the test can look into.
struct LogUnderTest {
    explicit LogUnderTest(std::unique_ptr<capture::LogSink> newSink) : sink(newSink.get()) {
        log = std::make_unique<capture::TrafficLog>(
            std::move(newSink), [] { return kTime; }, [this](const std::string& text) { warnings.push_back(text); });
    }
    capture::LogSink* sink;
    std::vector<std::string> warnings;
    std::unique_ptr<capture::TrafficLog> log;
    capture::SettingsValues settings;
};

class LogFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/capture_log_XXXXXX";
        folder = mkdtemp(pattern);
        path = folder + "/capture.log";
        std::strcpy(test.settings.logfile, path.c_str());
        test.settings.uselogfile = 1;
    }
    void TearDown() override {
        test.log->CloseLogFile();
        std::remove(path.c_str());
        rmdir(folder.c_str());
    }
    void WriteFile(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    void Record(const std::vector<uint8_t>& d, int32_t sizeLimit = 1048576) {
        const auto length = static_cast<uint32_t>(d.size());
        test.log->WriteLogRecord(test.settings, sizeLimit, d.data(), length, length, 28);
    }

    std::string folder;
    std::string path;
    LogUnderTest test{std::make_unique<capture::StdioLogSink>()};
};

TEST_F(LogFileOnDisk, LoggingOffTouchesNoFile) {
    test.settings.uselogfile = 0;
    test.log->OpenLogFile(test.settings, "a+");
    EXPECT_FALSE(test.log->IsOpen());
    Record(Udp(40));
    test.log->CloseLogFile();
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(test.warnings.empty());
}

TEST_F(LogFileOnDisk, TextLinesEndInCarriageReturnLineFeedAndRawBytesStayAsTheyAre) {
    test.settings.logtype = 1;
    test.log->OpenLogFile(test.settings, "a+");
    ASSERT_TRUE(test.log->IsOpen());
    const std::vector<uint8_t> d = Udp(40);
    Record(d);
    test.log->CloseLogFile();
    const std::string head = "\r\n[07:08:09.010 - 06.05.2024]\r\nProto: UDP len: 40 10.10.10.10:2570 -> "
                             "10.10.10.10:2570 \r\n\r\n";
    EXPECT_EQ(ReadFile(path), head + std::string(d.begin(), d.end()));
}

TEST_F(LogFileOnDisk, AppendKeepsEarlierCapturesAndEmptyingStartsAfresh) {
    WriteFile("earlier capture\r\n");
    test.settings.logtype = 6;
    test.log->OpenLogFile(test.settings, "a+");
    Record(Udp(40));
    test.log->CloseLogFile();
    const std::string afterAppend = ReadFile(path);
    EXPECT_EQ(afterAppend.rfind("earlier capture\r\n\r\n[07:08:09.010", 0), 0u);

    test.log->OpenLogFile(test.settings, "w+");
    Record(Udp(40));
    test.log->CloseLogFile();
    EXPECT_EQ(ReadFile(path), afterAppend.substr(std::strlen("earlier capture\r\n")));
}

TEST_F(LogFileOnDisk, ALogPastItsLimitIsEmptiedBeforeTheNextRecord) {
    test.settings.logtype = 6;
    WriteFile(std::string(1048576, 'x'));
    test.log->OpenLogFile(test.settings, "a+");
    Record(Udp(40));
    test.log->CloseLogFile();
    const std::string atLimit = ReadFile(path);
    EXPECT_GT(atLimit.size(), 1048576u) << "at the limit exactly, the log is kept";

    test.log->OpenLogFile(test.settings, "a+");
    Record(Udp(40));
    test.log->CloseLogFile();
    const std::string emptied = ReadFile(path);
    EXPECT_EQ(emptied, atLimit.substr(1048576)) << "past the limit, the next record starts the file";
    EXPECT_TRUE(test.warnings.empty());
}

TEST_F(LogFileOnDisk, TheLimitIsCheckedBeforeEveryRecordOfARunningCapture) {
    test.settings.logtype = 0;
    test.log->OpenLogFile(test.settings, "a+");
    const std::vector<uint8_t> d = Udp(200);
    Record(d, 1000);
    Record(d, 1000);
    Record(d, 1000);
    test.log->CloseLogFile();
    const std::string all = ReadFile(path);
    // Each record is over 1000 bytes: every record after the first finds the log past the limit.
    EXPECT_GT(all.size(), 1000u);
    EXPECT_LT(all.size(), 2000u);
    EXPECT_EQ(all.find("\r\n[07", 1), std::string::npos);
}

TEST(LogWarning, AnEmptyPathShowsTheWarningAndSwitchesLoggingOff) {
    LogUnderTest test(std::make_unique<capture::StdioLogSink>());
    test.settings.uselogfile = 1;
    test.log->OpenLogFile(test.settings, "a+");
    ASSERT_EQ(test.warnings.size(), 1u);
    EXPECT_EQ(test.warnings[0], "Cannot open log file \"\" for writing!\r\nThe logging will be disabled.\r\n"
                                "You could enable it from the Settings.");
    EXPECT_EQ(test.settings.uselogfile, 0);
    EXPECT_FALSE(test.log->IsOpen());
}

TEST(LogWarning, AFailedReopeningStopsTheLogBeforeTheCurrentRecord) {
    auto memory = std::make_unique<capture::MemoryLogSink>();
    capture::MemoryLogSink* sink = memory.get();
    LogUnderTest test(std::move(memory));
    test.settings.uselogfile = 1;
    std::strcpy(test.settings.logfile, "C:\\logs\\capture.log");
    test.log->OpenLogFile(test.settings, "a+");
    const std::vector<uint8_t> d = Udp(100);
    test.log->WriteLogRecord(test.settings, 64, d.data(), 100, 100, 28);
    const std::string first = sink->contents;

    sink->failOpen = true;
    test.log->WriteLogRecord(test.settings, 64, d.data(), 100, 100, 28);
    test.log->WriteLogRecord(test.settings, 64, d.data(), 100, 100, 28);
    EXPECT_EQ(sink->contents, first);
    EXPECT_EQ(sink->opens, (std::vector<std::string>{"a+ C:\\logs\\capture.log", "w+ C:\\logs\\capture.log"}));
    ASSERT_EQ(test.warnings.size(), 1u);
    EXPECT_NE(test.warnings[0].find("\"C:\\logs\\capture.log\""), std::string::npos);
    EXPECT_EQ(test.settings.uselogfile, 0);
    EXPECT_FALSE(test.log->IsOpen());
}

TEST(LogWarning, AnUnterminatedPathFieldIsReadWithinItsBounds) {
    LogUnderTest test(std::make_unique<capture::MemoryLogSink>());
    static_cast<capture::MemoryLogSink*>(test.sink)->failOpen = true;
    test.settings.uselogfile = 1;
    std::memset(test.settings.logfile, 'p', sizeof test.settings.logfile);
    test.log->OpenLogFile(test.settings, "a+");
    ASSERT_EQ(test.warnings.size(), 1u);
    EXPECT_NE(test.warnings[0].find(std::string(260, 'p') + "\""), std::string::npos);
}

TEST(LogRecordParts, EachPartIsWrittenOnItsOwn) {
    auto memory = std::make_unique<capture::MemoryLogSink>();
    capture::MemoryLogSink* sink = memory.get();
    LogUnderTest test(std::move(memory));
    test.settings.uselogfile = 1;
    test.log->OpenLogFile(test.settings, "a+");
    const std::vector<uint8_t> d = Udp(28);
    test.log->WriteRecordHead(d.data(), 28);
    test.log->WriteHexDump(d.data(), 2);
    test.log->WriteHexTextDump(d.data(), 1);
    test.log->WriteRaw(d.data(), 3);
    FillUnknownProtocolNames();
    EXPECT_EQ(sink->contents, "\r\n[07:08:09.010 - 06.05.2024]\r\nProto: UDP len: 28 10.10.10.10:2570 -> "
                              "10.10.10.10:2570 \r\n\r\n"
                              "00000000 45 0a \r\n"
                              "00000000 45" +
                                  std::string(46, ' ') + "E\r\n" + std::string("E\n\0", 3));
}

} // namespace
