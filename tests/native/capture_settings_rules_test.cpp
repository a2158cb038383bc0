// The portable rules of the capture settings: file locations, the unsigned conversion, the clamps, and the
// load and save order of the 25 values through an in-memory INI accessor.
#include "capture/settings/decimal.h"
#include "capture/settings/module_paths.h"
#include "capture/settings/settings_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// Shift-JIS lead bytes: their trail byte may be 0x5C, the code of '\\'.
bool ShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

struct PathCase {
    const char* executable;
    const char* ini;
    const char* services;
};

TEST(CaptureFileLocations, IniAndServicesFilesSitBesideTheExecutable) {
    const PathCase cases[] = {
        {"C:\\Tools\\netcap.exe", "C:\\Tools\\netcap.ini", "C:\\Tools\\services"},
        {"C:\\My.Tools\\netcap", "C:\\My.Tools\\netcap.ini", "C:\\My.Tools\\services"},
        {"C:\\Tools\\netcap", "C:\\Tools\\netcap.ini", "C:\\Tools\\services"},
        {"C:\\Tools\\net.cap.exe", "C:\\Tools\\net.cap.ini", "C:\\Tools\\services"},
        {"netcap.exe", "netcap.ini", "services"},
        {"netcap", "netcap.ini", "services"},
        {"C:\\Tools\\.exe", "C:\\Tools\\.ini", "C:\\Tools\\services"},
        {"", ".ini", "services"},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.executable);
        EXPECT_EQ(capture::IniPathFor(c.executable, platform::NoLeadBytes), c.ini);
        EXPECT_EQ(capture::ServicesPathFor(c.executable, platform::NoLeadBytes), c.services);
    }
}

TEST(CaptureFileLocations, TrailBytesThatLookLikeABackslashAreNotSeparators) {
    // "C:\a.b" followed by a double-byte character whose trail byte is 0x5C: ".b<char>" is the extension.
    const std::string file = "C:\\a.b\x95\x5C";
    EXPECT_EQ(capture::IniPathFor(file, ShiftJisLeadByte), "C:\\a.ini");
    EXPECT_EQ(capture::IniPathFor(file, platform::NoLeadBytes), file + ".ini");

    // An executable named by that one character: the services file is in "C:\dir\".
    const std::string inFolder = "C:\\dir\\\x95\x5C";
    EXPECT_EQ(capture::ServicesPathFor(inFolder, ShiftJisLeadByte), "C:\\dir\\services");

    // A lead byte with nothing after it is a character of its own.
    EXPECT_EQ(capture::IniPathFor("C:\\x.exe\x95", ShiftJisLeadByte), "C:\\x.ini");
}

TEST(CaptureFileLocations, BoundedCopyAlwaysTerminates) {
    char target[8];
    std::memset(target, 'z', sizeof target);
    capture::CopyBounded(target, sizeof target, "0123456789");
    EXPECT_STREQ(target, "0123456");
    capture::CopyBounded(target, sizeof target, "ab");
    EXPECT_STREQ(target, "ab");
}

TEST(UnsignedDecimal, ConvertsLikeThe32BitLibraryConversion) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"10", 10u},
        {"", 0u},
        {"abc", 0u},
        {"  42x", 42u},
        {"\t\r\n+7", 7u},
        {"12 34", 12u},
        {"-1", 4294967295u},
        {"-0", 0u},
        {"+", 0u},
        {"4294967295", 4294967295u},
        {"4294967296", 4294967295u},
        {"-4294967296", 4294967295u},
        {"000000000000000000000000000012", 12u},
        {"99999999999999999999999999999999999999", 4294967295u},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(capture::ParseUnsignedDecimal(text), expected);
    }
}

TEST(LogSettingsRanges, OutOfRangeValuesFallBackToTheDefaults) {
    const std::pair<int32_t, int32_t> mbdelete[] = {{0, 1}, {1000, 1}, {-5, 1}, {1, 1}, {999, 999}, {500, 500}};
    for (const auto& [stored, loaded] : mbdelete) {
        EXPECT_EQ(capture::ClampMbDelete(stored), loaded) << stored;
    }
    const std::pair<int32_t, int32_t> logtype[] = {{7, 0}, {-1, 0}, {6, 6}, {0, 0}, {3, 3}, {INT32_MIN, 0}};
    for (const auto& [stored, loaded] : logtype) {
        EXPECT_EQ(capture::ClampLogType(stored), loaded) << stored;
    }
    EXPECT_EQ(capture::LogSizeLimitFor(1), 1048576);
    EXPECT_EQ(capture::LogSizeLimitFor(999), 1047527424);
}

// An INI file in memory. Integer reads follow the platform's integer read closely enough for these tests
// (leading sign and digits); every call is recorded in order.
class MemoryProfile {
public:
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> reads;
    std::vector<std::string> writes; // "section/key=text"

    int32_t ReadInt(const char* section, const char* key, int32_t defaultValue) {
        reads.push_back(std::string(section) + "/" + key);
        const auto found = values.find({section, key});
        return found == values.end() ? defaultValue
                                     : static_cast<int32_t>(std::strtol(found->second.c_str(), nullptr, 10));
    }
    uint32_t ReadUInt(const char* section, const char* key, uint32_t defaultValue) {
        reads.push_back(std::string(section) + "/" + key);
        const auto found = values.find({section, key});
        return found == values.end() ? defaultValue : capture::ParseUnsignedDecimal(found->second.c_str());
    }
    uint32_t ReadString(const char* section, const char* key, const char* defaultText, char* buffer, uint32_t size) {
        reads.push_back(std::string(section) + "/" + key);
        const auto found = values.find({section, key});
        capture::CopyBounded(buffer, size, found == values.end() ? defaultText : found->second.c_str());
        return static_cast<uint32_t>(std::strlen(buffer));
    }
    bool WriteInt(const char* section, const char* key, int32_t value) {
        return Write(section, key, std::to_string(value));
    }
    bool WriteUInt(const char* section, const char* key, uint32_t value) {
        return Write(section, key, std::to_string(value));
    }
    bool WriteString(const char* section, const char* key, const char* text) { return Write(section, key, text); }

private:
    bool Write(const char* section, const char* key, const std::string& text) {
        writes.push_back(std::string(section) + "/" + key + "=" + text);
        values[{section, key}] = text;
        return true;
    }
};

TEST(CaptureSettingsLoad, AnEmptyFileGivesEveryDefaultAndSavesAll25KeysInOrder) {
    MemoryProfile profile;
    capture::SettingsValues values;
    // Nothing may survive from before the load.
    for (const capture::SettingField& field : capture::kSettingFields) {
        if (field.integer != nullptr) {
            values.*field.integer = 0x5A5A5A5A;
        }
    }
    values.idleseconds = 12345;
    std::strcpy(values.logfile, "old");
    EXPECT_EQ(capture::LoadSettingsValues(profile, values), 1048576);
    EXPECT_TRUE(capture::SaveSettingsValues(profile, values));

    const std::vector<std::string> expected = {
        "main/alwaysontop=0",  "main/nsresolve=0",     "main/portresolve=0",   "main/idleseconds=10",
        "filters/filtertcp=0", "filters/filterudp=0",  "filters/filtericmp=0", "mainwindow/status=-1",
        "mainwindow/top=-1",   "mainwindow/bottom=-1", "mainwindow/left=-1",   "mainwindow/right=-1",
        "list/srcaddr=120",    "list/destaddr=120",    "list/srcport=80",      "list/destport=80",
        "list/proto=50",       "list/traffic=100",     "list/bs=80",           "list/abs=80",
        "log/uselogfile=0",    "log/autodelete=0",     "log/mbdelete=1",       "log/logtype=0",
        "log/logfile=",
    };
    EXPECT_EQ(profile.writes, expected);
    ASSERT_EQ(profile.reads.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(profile.reads[i], expected[i].substr(0, expected[i].find('=')));
    }

    EXPECT_EQ(values.idleseconds, 10000u);
    EXPECT_EQ(values.status, -1);
    EXPECT_EQ(values.abs, 80);
    EXPECT_STREQ(values.logfile, "");
}

struct StoredValues {
    const char* name;
    std::vector<std::pair<std::string, std::string>> stored; // key (in section log or main) and text
    uint32_t idleMilliseconds;
    int32_t mbdelete;
    int32_t logtype;
    int32_t sizeLimit;
    std::vector<std::string> saved; // lines expected among the writes
};

TEST(CaptureSettingsLoad, ClampsAndTheMillisecondWrapReachTheSavedFile) {
    const StoredValues cases[] = {
        {"mbdelete 0", {{"mbdelete", "0"}}, 10000, 1, 0, 1048576, {"log/mbdelete=1"}},
        {"mbdelete 1000", {{"mbdelete", "1000"}}, 10000, 1, 0, 1048576, {"log/mbdelete=1"}},
        {"mbdelete -5", {{"mbdelete", "-5"}}, 10000, 1, 0, 1048576, {"log/mbdelete=1"}},
        {"mbdelete 999", {{"mbdelete", "999"}}, 10000, 999, 0, 1047527424, {"log/mbdelete=999"}},
        {"logtype 7", {{"logtype", "7"}}, 10000, 1, 0, 1048576, {"log/logtype=0"}},
        {"logtype -1", {{"logtype", "-1"}}, 10000, 1, 0, 1048576, {"log/logtype=0"}},
        {"logtype 6", {{"logtype", "6"}}, 10000, 1, 6, 1048576, {"log/logtype=6"}},
        {"idleseconds abc", {{"idleseconds", "abc"}}, 0, 1, 0, 1048576, {"main/idleseconds=0"}},
        {"idleseconds 30", {{"idleseconds", " 30"}}, 30000, 1, 0, 1048576, {"main/idleseconds=30"}},
        // 4294968 * 1000 = 2^32 + 704: the wrapped 704 ms are kept, and saved as 0 seconds.
        {"idleseconds wraps", {{"idleseconds", "4294968"}}, 704, 1, 0, 1048576, {"main/idleseconds=0"}},
        // 5000000 * 1000 mod 2^32 = 705032704.
        {"idleseconds wraps far", {{"idleseconds", "5000000"}}, 705032704, 1, 0, 1048576, {"main/idleseconds=705032"}},
    };
    for (const StoredValues& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryProfile profile;
        for (const auto& [key, text] : c.stored) {
            profile.values[{key == "idleseconds" ? "main" : "log", key}] = text;
        }
        capture::SettingsValues values;
        EXPECT_EQ(capture::LoadSettingsValues(profile, values), c.sizeLimit);
        EXPECT_EQ(values.idleseconds, c.idleMilliseconds);
        EXPECT_EQ(values.mbdelete, c.mbdelete);
        EXPECT_EQ(values.logtype, c.logtype);
        EXPECT_TRUE(capture::SaveSettingsValues(profile, values));
        for (const std::string& line : c.saved) {
            EXPECT_NE(std::find(profile.writes.begin(), profile.writes.end(), line), profile.writes.end()) << line;
        }
    }
}

TEST(CaptureSettingsLoad, RunTimeChangesAndTheLogPathAreSavedFromMemory) {
    MemoryProfile profile;
    profile.values[{"log", "uselogfile"}] = "1";
    profile.values[{"log", "logfile"}] = "C:\\logs\\capture.log";
    profile.values[{"filters", "filterudp"}] = "1";
    capture::SettingsValues values;
    (void)capture::LoadSettingsValues(profile, values);
    EXPECT_EQ(values.uselogfile, 1);
    EXPECT_EQ(values.filterudp, 1);
    EXPECT_EQ(values.filtertcp, 0);
    EXPECT_STREQ(values.logfile, "C:\\logs\\capture.log");

    values.uselogfile = 0; // the log could not be opened during the run
    EXPECT_TRUE(capture::SaveSettingsValues(profile, values));
    EXPECT_EQ(profile.values[std::make_pair(std::string("log"), std::string("uselogfile"))], "0");
    EXPECT_EQ(profile.values[std::make_pair(std::string("log"), std::string("logfile"))], "C:\\logs\\capture.log");
}

TEST(CaptureSettingsLoad, ALongLogPathIsCutToItsField) {
    MemoryProfile profile;
    profile.values[{"log", "logfile"}] = std::string(400, 'p');
    capture::SettingsValues values;
    (void)capture::LoadSettingsValues(profile, values);
    EXPECT_EQ(std::strlen(values.logfile), sizeof values.logfile - 1);
}

} // namespace
