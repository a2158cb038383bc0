// The capture host's command line: where --timing and --ipfix apply, and what a wrong line is told.
#include "capture/host/host_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct OptionsCase {
    std::vector<std::string> arguments;
    const char* error; // empty: the line is right
    bool console;
    bool start;
    bool timing;
};

TEST(CaptureHostOptions, TimingAppliesToTheConsoleAndToAWindowThatStartsAtOnce) {
    const OptionsCase cases[] = {
        {{"a.pcap", "--start", "--timing"}, "", false, true, true},
        {{"a.pcap", "--timing", "--start"}, "", false, true, true},
        {{"--console", "a.pcap", "--timing"}, "", true, false, true},
        {{"a.pcap", "--start"}, "", false, true, false},
        {{"a.pcap", "--timing"}, "--timing applies to --console, or to the window with --start", false, false, true},
        {{"--timing"}, "--timing applies to --console, or to the window with --start", false, false, true},
        {{"--start", "--timing"}, "--start applies to the window with an adapter only", false, true, true},
        {{"--console", "a.pcap", "--start", "--timing"},
         "--start applies to the window with an adapter only",
         true,
         true,
         true},
        {{"a.pcap", "--start", "--seconds", "5"}, "--seconds applies to --console only", false, true, false},
        {{"a.pcap", "--pcap-out", "s.pcap", "--start"}, "", false, true, false}, // the window saves them too
    };
    for (const OptionsCase& c : cases) {
        std::string line;
        for (const std::string& argument : c.arguments) {
            line += argument + " ";
        }
        SCOPED_TRACE(line);
        const capture::HostOptions options = capture::ParseHostOptions(c.arguments);
        EXPECT_EQ(options.error, c.error);
        EXPECT_EQ(options.console, c.console);
        EXPECT_EQ(options.start, c.start);
        EXPECT_EQ(options.timing, c.timing);
    }
}

TEST(CaptureHostOptions, IpfixTakesACollectorForTheConsole) {
    struct Case {
        std::vector<std::string> arguments;
        const char* error;
        const char* ipfix;
    };
    const Case cases[] = {
        {{"--console", "a.pcap", "--ipfix", "127.0.0.1:9995"}, "", "127.0.0.1:9995"},
        {{"--ipfix", "collector.example:4739", "--console", "a.pcap", "--timing"}, "", "collector.example:4739"},
        {{"--console", "a.pcap", "--ipfix"}, "--ipfix needs a collector, HOST:PORT", ""},
        {{"--console", "a.pcap", "--ipfix", ""}, "--ipfix needs a collector, HOST:PORT", ""},
        {{"--console", "a.pcap", "--ipfix", "127.0.0.1"},
         "--ipfix: the collector is HOST:PORT (a port from 1 to 65535), not \"127.0.0.1\"",
         ""},
        {{"--console", "a.pcap", "--ipfix", "127.0.0.1:0"},
         "--ipfix: the collector is HOST:PORT (a port from 1 to 65535), not \"127.0.0.1:0\"",
         ""},
        {{"a.pcap", "--ipfix", "127.0.0.1:9995"},
         "--ipfix applies to --console only (the window has Export flows to collector...)",
         "127.0.0.1:9995"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        const capture::HostOptions options = capture::ParseHostOptions(c.arguments);
        EXPECT_EQ(options.error, c.error);
        EXPECT_EQ(options.ipfix, c.ipfix);
    }
}

} // namespace

namespace {

TEST(CaptureHostOptions, SeriesAndFlowHistoryFilesApplyToTheConsoleAndNeedANameEach) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--console", "a.pcap", "--series-out", "s.csv", "--flows-out", "f.csv"}, ""},
        {{"--console", "a.pcap", "--series-out"}, "--series-out needs a file name"},
        {{"--console", "a.pcap", "--flows-out", ""}, "--flows-out needs a file name"},
        {{"a.pcap", "--series-out", "s.csv"}, "--series-out applies to --console only"},
        {{"a.pcap", "--start", "--flows-out", "f.csv"}, "--flows-out applies to --console only"},
    };
    for (const auto& [arguments, error] : cases) {
        EXPECT_EQ(capture::ParseHostOptions(arguments).error, error);
    }
    const capture::HostOptions options = capture::ParseHostOptions(cases[0].first);
    EXPECT_EQ(options.seriesOut + " " + options.flowsOut, "s.csv f.csv");
}

} // namespace
