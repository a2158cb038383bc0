// The services table: which lines become entries, which are ignored, and how a file is read.
#include "capture/names/services_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A file in a fresh temporary folder, removed with it.
class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/capture_services_XXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~TempFolder() {
        for (const std::string& file : m_files) {
            std::remove(file.c_str());
        }
        rmdir(m_path.c_str());
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string file = m_path + "/" + name;
        std::FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        m_files.push_back(file);
        return file;
    }
    std::string Path(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
    std::vector<std::string> m_files;
};

// A table read from a file that does not exist: empty, ready for ParseLine.
class ServicesTable : public ::testing::Test {
protected:
    CServicesParser table{"/nonexistent/capture-test/services"};
};

struct LineCase {
    const char* line;
    int port; // 0: no entry expected
    int protocol;
    const char* name;
};

TEST_F(ServicesTable, EachLineAddsAtMostOneEntry) {
    const LineCase cases[] = {
        {"echo 7/tcp\n", 7, 6, "echo"},
        {"echo    7/TCP\n", 7, 6, "echo"},
        {"discard 9/Udp\r\n", 9, 17, "discard"},
        {"ping 1/icmp", 1, 1, "ping"},
        {"   indented 21/tcp\n", 21, 6, "indented"},
        {"http 80/tcp www www-http # World Wide Web\n", 80, 6, "http"},
        {"top 65535/udp\n", 65535, 17, "top"},
        {"a-b.c_d 443/tcp\n", 443, 6, "a-b.c_d"},
        {"zero 0/tcp\n", 0, 0, nullptr},
        {"far 70000/tcp\n", 0, 0, nullptr},
        {"justover 65536/udp\n", 0, 0, nullptr},
        {"huge 99999999999999999999999/tcp\n", 0, 0, nullptr},
        {"stream 132/sctp\n", 0, 0, nullptr},
        {"echo 7/tcpx\n", 0, 0, nullptr},
        {"echo 7/\n", 0, 0, nullptr},
        {"# echo 7/tcp\n", 0, 0, nullptr},
        {"\n", 0, 0, nullptr},
        {"\r\n", 0, 0, nullptr},
        {"", 0, 0, nullptr},
        {"     \n", 0, 0, nullptr},
        {"echo\t7/tcp\n", 0, 0, nullptr},       // a tab does not separate
        {"echo \t7/tcp\n", 0, 0, nullptr},      // nor start the port
        {"echo 7/tcp\t# tab\n", 0, 0, nullptr}, // the protocol token runs to the tab
        {"echo +7/tcp\n", 0, 0, nullptr},
        {"echo 7 tcp\n", 0, 0, nullptr},
        {"echo\n", 0, 0, nullptr},
        {"echo 7\n", 0, 0, nullptr},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        CServicesParser fresh("/nonexistent/capture-test/services");
        (void)fresh.SetEnabled(1);
        fresh.ParseLine(c.line);
        if (c.port == 0) {
            EXPECT_EQ(fresh.EntryCount(), 0u);
            continue;
        }
        ASSERT_EQ(fresh.EntryCount(), 1u);
        const char* name = fresh.Lookup(static_cast<uint16_t>(c.port), static_cast<uint8_t>(c.protocol));
        ASSERT_NE(name, nullptr);
        EXPECT_STREQ(name, c.name);
    }
}

TEST_F(ServicesTable, LinesThatEndEarlyAreNotReadPastTheirEnd) {
    // Exactly sized copies: the address sanitizer stops any read beyond the terminating zero.
    for (const char* text : {"echo", "echo ", "echo 7", "echo 7/", "   ", "#", "x 1/t"}) {
        SCOPED_TRACE(text);
        std::vector<char> exact(text, text + std::strlen(text) + 1);
        table.ParseLine(exact.data());
    }
    EXPECT_EQ(table.EntryCount(), 0u);
}

TEST_F(ServicesTable, TheLastLineOfADuplicatePairWins) {
    table.ParseLine("a 80/tcp\n");
    table.ParseLine("b 80/tcp\n");
    table.ParseLine("c 80/udp\n");
    (void)table.SetEnabled(1);
    EXPECT_STREQ(table.Lookup(80, 6), "b");
    EXPECT_STREQ(table.Lookup(80, 17), "c");
    EXPECT_EQ(table.Lookup(80, 1), nullptr);
    EXPECT_EQ(table.Lookup(81, 6), nullptr);
}

TEST_F(ServicesTable, LookupsAreOffUntilSwitchedOn) {
    table.ParseLine("echo 7/tcp\n");
    EXPECT_EQ(table.Lookup(7, 6), nullptr);
    EXPECT_EQ(table.SetEnabled(1), 0);
    EXPECT_STREQ(table.Lookup(7, 6), "echo");
    EXPECT_EQ(table.SetEnabled(0), 1);
    EXPECT_EQ(table.Lookup(7, 6), nullptr);
}

TEST(ServicesFile, AMissingOrEmptyFileGivesAnEmptyTable) {
    TempFolder folder;
    CServicesParser missing(folder.Path("services").c_str());
    EXPECT_EQ(missing.Load(), 0);
    EXPECT_EQ(missing.EntryCount(), 0u);

    CServicesParser empty(folder.Write("services", "").c_str());
    EXPECT_EQ(empty.Load(), 1);
    EXPECT_EQ(empty.EntryCount(), 0u);
}

TEST(ServicesFile, EveryLineIsReadAndTheLastNeedsNoLineFeed) {
    TempFolder folder;
    const std::string path = folder.Write("services", "# services\r\n"
                                                      "echo 7/tcp\r\n"
                                                      "\r\n"
                                                      "bad 0/tcp\n"
                                                      "echo 7/udp\n"
                                                      "last 99/udp");
    CServicesParser services(path.c_str());
    EXPECT_EQ(services.EntryCount(), 3u);
    EXPECT_EQ(services.SetEnabled(1), 0); // a load leaves lookups off
    EXPECT_STREQ(services.Lookup(7, 6), "echo");
    EXPECT_STREQ(services.Lookup(7, 17), "echo");
    EXPECT_STREQ(services.Lookup(99, 17), "last");
    EXPECT_STREQ(services.FileName(), path.c_str());
}

TEST(ServicesFile, ALineLongerThan299CharactersIsParsedInPieces) {
    // 700 characters: the pieces begin at 0, 299 and 598, and each is read as a line of its own.
    std::string line(299, 'x'); // piece 1: no space, no entry
    line += "svc 81/tcp";       // piece 2 begins with an entry
    line.resize(598, ' ');
    line += "late 82/udp"; // piece 3 too
    line.resize(699, ' ');
    line += "\n";
    ASSERT_EQ(line.size(), 700u);
    TempFolder folder;
    CServicesParser services(folder.Write("services", line + "after 83/tcp\n").c_str());
    (void)services.SetEnabled(1);
    EXPECT_EQ(services.EntryCount(), 3u);
    EXPECT_STREQ(services.Lookup(81, 6), "svc");
    EXPECT_STREQ(services.Lookup(82, 17), "late");
    EXPECT_STREQ(services.Lookup(83, 6), "after");
}

TEST(ServicesFile, ZeroBytesAndTabSeparatedFilesAddNothingAndStopNothing) {
    TempFolder folder;
    const std::string bytes = std::string("tab\t7/tcp\n") + std::string("nul\0 8/tcp\n", 11) + "ok 9/tcp\n";
    CServicesParser services(folder.Write("services", bytes).c_str());
    (void)services.SetEnabled(1);
    EXPECT_EQ(services.EntryCount(), 1u);
    EXPECT_STREQ(services.Lookup(9, 6), "ok");
}

TEST(ServicesFile, AHugeFileKeepsOneNamePerPortAndProtocolTheLastOne) {
    // 200,000 lines over 1,000 ports and two protocols: the table holds 2,000 names, the last of each.
    std::string text;
    for (int line = 0; line < 200000; ++line) {
        text += "svc" + std::to_string(line) + " " + std::to_string(1 + line % 1000) +
                (line % 2000 < 1000 ? "/tcp\n" : "/udp\n");
    }
    TempFolder folder;
    CServicesParser services(folder.Write("services", text).c_str());
    (void)services.SetEnabled(1);
    EXPECT_EQ(services.EntryCount(), 2000u);
    EXPECT_STREQ(services.Lookup(1, 6), "svc198000");
    EXPECT_STREQ(services.Lookup(1000, 17), "svc199999");
    EXPECT_EQ(services.Lookup(1001, 6), nullptr);
}

TEST(ServicesFile, TheNamedPathIsCutTo259Characters) {
    const std::string longPath = "/nonexistent/" + std::string(400, 'd');
    CServicesParser services(longPath.c_str());
    EXPECT_EQ(std::strlen(services.FileName()), 259u);
    EXPECT_EQ(services.EntryCount(), 0u);
}

} // namespace
