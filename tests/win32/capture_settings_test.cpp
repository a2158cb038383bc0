// The capture settings, the services file and the name cache on the platform (under Wine): INI files
// written and read back through the private-profile calls, files found beside the executable.
#include "capture/names/name_cache.h"
#include "capture/names/services_parser.h"
#include "capture/settings/ini_file.h"
#include "capture/settings/settings.h"
#include "files.h"
#include "platform/module_path.h"

#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

using capture_bytes::ReadText;
using platform::ModulePath;
using testsupport::WriteFile;

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The non-empty lines of an INI file, CR LF or LF separated.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

// A fresh folder under the temporary folder, removed with everything the test put in it.
class IniFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testsupport::TempFile(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        ini = folder + "\\netcap.ini";
    }
    void TearDown() override {
        DeleteFileA(ini.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    std::string folder;
    std::string ini;
};

TEST_F(IniFolder, NoFileGivesEveryDefaultAndDestructionWritesAll25KeysInOrder) {
    {
        CSettings settings(ini.c_str());
        EXPECT_EQ(settings.alwaysontop, 0);
        EXPECT_EQ(settings.idleseconds, 10000u);
        EXPECT_EQ(settings.filtertcp, 0);
        EXPECT_EQ(settings.status, -1);
        EXPECT_EQ(settings.right, -1);
        EXPECT_EQ(settings.srcaddr, 120);
        EXPECT_EQ(settings.proto, 50);
        EXPECT_EQ(settings.traffic, 100);
        EXPECT_EQ(settings.abs, 80);
        EXPECT_EQ(settings.uselogfile, 0);
        EXPECT_EQ(settings.mbdelete, 1);
        EXPECT_EQ(settings.logtype, 0);
        EXPECT_STREQ(settings.logfile, "");
        EXPECT_EQ(logSizeLimit, 1048576);
        EXPECT_FALSE(FileExists(ini)) << "loading creates nothing";
    }
    const std::vector<std::string> expected = {
        "[main]",      "alwaysontop=0", "nsresolve=0",  "portresolve=0", "idleseconds=10", "[filters]",
        "filtertcp=0", "filterudp=0",   "filtericmp=0", "[mainwindow]",  "status=-1",      "top=-1",
        "bottom=-1",   "left=-1",       "right=-1",     "[list]",        "srcaddr=120",    "destaddr=120",
        "srcport=80",  "destport=80",   "proto=50",     "traffic=100",   "bs=80",          "abs=80",
        "[log]",       "uselogfile=0",  "autodelete=0", "mbdelete=1",    "logtype=0",      "logfile=",
    };
    EXPECT_EQ(Lines(ReadText(ini)), expected);
}

struct StoredSetting {
    const char* section;
    const char* key;
    const char* stored;
    const char* saved; // the line the file holds after the settings were destroyed
    uint32_t idleMilliseconds;
    int32_t sizeLimit;
};

TEST_F(IniFolder, StoredValuesAreClampedOrWrappedAndSavedSo) {
    const StoredSetting cases[] = {
        {"log", "mbdelete", "0", "mbdelete=1", 10000, 1048576},
        {"log", "mbdelete", "1000", "mbdelete=1", 10000, 1048576},
        {"log", "mbdelete", "-5", "mbdelete=1", 10000, 1048576},
        {"log", "mbdelete", "999", "mbdelete=999", 10000, 1047527424},
        {"log", "logtype", "7", "logtype=0", 10000, 1048576},
        {"log", "logtype", "-1", "logtype=0", 10000, 1048576},
        {"log", "logtype", "6", "logtype=6", 10000, 1048576},
        {"main", "idleseconds", "abc", "idleseconds=0", 0, 1048576},
        {"main", "idleseconds", "4294968", "idleseconds=0", 704, 1048576},
        {"main", "idleseconds", "5000000", "idleseconds=705032", 705032704, 1048576},
        {"mainwindow", "left", "-20", "left=-20", 10000, 1048576},
    };
    for (const StoredSetting& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.stored);
        WriteFile(ini, std::string("[") + c.section + "]\r\n" + c.key + "=" + c.stored + "\r\n");
        {
            CSettings settings(ini.c_str());
            EXPECT_EQ(settings.idleseconds, c.idleMilliseconds);
            EXPECT_EQ(logSizeLimit, c.sizeLimit);
        }
        const std::vector<std::string> lines = Lines(ReadText(ini));
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.saved), lines.end());
        EXPECT_EQ(lines.size(), 30u) << "every key is written, none twice";
    }
}

TEST_F(IniFolder, AccessorsReadWhatTheyWrote) {
    const CIniFile file(ini.c_str());
    EXPECT_STREQ(file.Path(), ini.c_str());
    EXPECT_TRUE(file.WriteInt("s", "negative", -123));
    EXPECT_TRUE(file.WriteUInt("s", "big", 4000000000u));
    EXPECT_TRUE(file.WriteString("s", "text", "C:\\logs\\a b.log"));
    EXPECT_EQ(file.ReadInt("s", "negative", 0), -123);
    EXPECT_EQ(file.ReadInt("s", "absent", -7), -7);
    EXPECT_EQ(file.ReadUInt("s", "big", 0), 4000000000u);
    EXPECT_EQ(file.ReadUInt("s", "absent", 10), 10u);
    char text[8];
    EXPECT_EQ(file.ReadString("s", "text", "", text, sizeof text), 7u);
    EXPECT_STREQ(text, "C:\\logs");
    EXPECT_EQ(file.ReadString("s", "absent", "dflt", text, sizeof text), 4u);
    EXPECT_STREQ(text, "dflt");
    EXPECT_NE(ReadText(ini).find("big=4000000000"), std::string::npos);
}

TEST(ExecutableFiles, TheIniAndServicesFilesAreFoundBesideTheExecutable) {
    const std::string executable = ModulePath();
    const std::string expectedIni = executable.substr(0, executable.rfind('.')) + ".ini";
    const std::string services = testsupport::BinDir() + "\\services";
    DeleteFileA(expectedIni.c_str());
    WriteFile(services, "echo 7/tcp\r\nlast 99/udp");
    {
        CSettings settings;
        EXPECT_STREQ(settings.Path(), expectedIni.c_str());
        CServicesParser table;
        EXPECT_STREQ(table.FileName(), services.c_str());
        (void)table.SetEnabled(1);
        EXPECT_STREQ(table.Lookup(7, 6), "echo");
        EXPECT_STREQ(table.Lookup(99, 17), "last");
    }
    EXPECT_TRUE(FileExists(expectedIni)) << "the settings are saved beside the executable";
    DeleteFileA(expectedIni.c_str());
    DeleteFileA(services.c_str());
}

TEST(ExecutableFiles, WithoutAServicesFileTheTableIsEmpty) {
    const std::string services = testsupport::BinDir() + "\\services";
    DeleteFileA(services.c_str());
    CServicesParser table;
    EXPECT_EQ(table.EntryCount(), 0u);
    EXPECT_EQ(table.Load(), 0);
}

TEST(PlatformNameCache, LoopbackIsResolvedOnceAndCached) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    {
        CNSCashe cache;
        const uint32_t loopback = htonl(INADDR_LOOPBACK);
        EXPECT_STREQ(cache.Resolve(loopback), "127.0.0.1") << "lookups are off at first";
        EXPECT_EQ(cache.Find(loopback), nullptr);
        (void)cache.SetEnabled(1);
        const char* name = cache.Resolve(loopback);
        ASSERT_NE(name, nullptr);
        EXPECT_GT(std::strlen(name), 0u);
        EXPECT_EQ(cache.Resolve(loopback), name);
    }
    WSACleanup();
}

} // namespace
