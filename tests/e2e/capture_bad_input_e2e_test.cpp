// End to end: what people actually hand the programs, and what each answer is. Damaged, foreign and odd
// capture files (classic and pcapng), settings files of random bytes or read-only, a log in a folder that does not
// exist, huge or random services files and wrong command lines, given to the console capture, the capture window and
// the main window. Each must answer with a plain line (on the error stream, in the window's status line or
// in a message box) and a sound exit code, keep what can be kept, and neither crash nor hang. The bad files
// are made here, from fixed seeds.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "capture/host/host_ids.h"
#include "capture_host.h"
#include "e2e_harness.h"
#include "lookout.h"
#include "pcapng_bytes.h"
#include "res/resource.h"

namespace {

using capture_bytes::Bytes;
using e2e::ConsoleRun;
using e2e::HostFolder;

constexpr char kIni[] = "[main]\r\nidleseconds=1000000\r\n";
constexpr DWORD kRunTimeoutMs = 60000;
const std::string kCapture = "eth-icmp-echo";

enum class Program {
    Console,       // BrisklaneCapture.exe --console ...
    CaptureWindow, // BrisklaneCapture.exe FILE --start, closed once it has answered
    MainWindow,    // Brisklane.exe, ended with its Quit button
};

struct Case {
    const char* name;
    Program program = Program::Console;
    std::string ini = kIni; // BrisklaneCapture.ini
    // Writes what else the case needs into the program's folder; gives the command line's arguments.
    std::function<std::string(const HostFolder&)> prepare = nullptr;
    DWORD exitCode = 0;
    std::string outTail = {};                               // the standard output ends with this
    std::vector<std::string> errHas = {};                   // pieces the error stream holds
    std::string boxHas = {};                                // a message box with this text appears and is answered
    std::string noteHas = {};                               // the capture window's status line says this
    std::string iniAfterHas = {};                           // BrisklaneCapture.ini holds this afterwards
    std::function<void(const HostFolder&)> check = nullptr; // anything else to look at afterwards
};

Bytes CaptureBytes() {
    const std::string text = capture_bytes::ReadText(capture_bytes::DataFile(kCapture + ".pcap"));
    return Bytes(text.begin(), text.end());
}

Bytes WithField32(Bytes bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    return bytes;
}

Bytes RandomBytes(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (uint8_t& byte : bytes) {
        byte = static_cast<uint8_t>(random());
    }
    return bytes;
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// A capture of ours at the end of a path of more than 300 characters, made through the "\\?\" form that
// lifts MAX_PATH.
std::string WriteAtLongPath(const HostFolder& folder) {
    std::wstring path = L"\\\\?\\" + std::wstring(folder.Path().begin(), folder.Path().end());
    for (int level = 0; level < 4; ++level) {
        path += L"\\" + std::wstring(60, static_cast<wchar_t>(L'a' + level));
        (void)CreateDirectoryW(path.c_str(), nullptr);
    }
    path += L"\\" + std::wstring(40, L'f') + L".pcap";
    const Bytes bytes = CaptureBytes();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    (void)WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return std::string(path.begin() + 4, path.end());
}

// A plausible services file of 50 MB: 1.3 million lines over every port.
void WriteHugeServices(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    std::string chunk;
    for (uint32_t line = 0, bytes = 0; bytes < 50u * 1024 * 1024; ++line) {
        chunk += "service" + std::to_string(line) + " " + std::to_string(1 + line % 65535) +
                 (line % 2 == 0 ? "/tcp" : "/udp") + " # entry\r\n";
        if (chunk.size() >= 65536) {
            bytes += static_cast<uint32_t>(chunk.size());
            out << chunk;
            chunk.clear();
        }
    }
    out << chunk;
}

void MakeReadOnly(const std::string& path) {
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
}

// Acts on the window while the program runs with both its output streams collected.
void DriveCaptureWindow(const Case& c) {
    HWND window = e2e::WaitForWindow(0, "", capture_host::kWindowCaption, 30000);
    ASSERT_NE(window, nullptr);
    DWORD pid = 0;
    (void)GetWindowThreadProcessId(window, &pid);
    if (!c.boxHas.empty()) {
        const e2e::SeenDialog box = e2e::WaitForDialog(pid, window, 20000);
        ASSERT_NE(box.hwnd, nullptr) << "no message box";
        EXPECT_EQ(box.caption, "Error");
        EXPECT_NE(box.text.find(c.boxHas), std::string::npos) << box.text;
        e2e::PressDialogButton(box.hwnd, IDOK);
    }
    HWND status = GetDlgItem(window, capture_host::kStatusLine);
    std::string note;
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            note = lookout::StatusBarPart(status, 2);
            return note.find(c.noteHas) != std::string::npos;
        },
        20000))
        << note;
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void DriveMainWindow() {
    HWND window = e2e::WaitForWindow(0, "#32770", "Brisklane", 30000);
    ASSERT_NE(window, nullptr);
    e2e::Click(window, IDC_QUIT);
}

ConsoleRun RunCase(const Case& c, const HostFolder& folder, const std::string& arguments) {
    const std::string exe = c.program == Program::MainWindow ? folder.File("Brisklane.exe") : folder.Exe();
    if (c.program == Program::Console) {
        return e2e::RunConsole(exe, folder.Path(), arguments, kRunTimeoutMs);
    }
    ConsoleRun run;
    std::thread program([&] { run = e2e::RunConsole(exe, folder.Path(), arguments, kRunTimeoutMs); });
    if (c.program == Program::CaptureWindow) {
        DriveCaptureWindow(c);
    } else {
        DriveMainWindow();
    }
    program.join();
    return run;
}

// Runs the case and checks its answers.
void Check(const Case& c) {
    SCOPED_TRACE(c.name);
    HostFolder folder(c.ini);
    const ConsoleRun run = RunCase(c, folder, c.prepare(folder));
    EXPECT_TRUE(run.finished) << "the program did not end";
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.out.substr(run.out.size() - std::min(run.out.size(), c.outTail.size())), c.outTail) << run.out;
    for (const std::string& piece : c.errHas) {
        EXPECT_NE(run.err.find(piece), std::string::npos) << piece << " is not in:\n" << run.err;
    }
    if (!c.iniAfterHas.empty()) {
        EXPECT_NE(folder.Ini().find(c.iniAfterHas), std::string::npos) << folder.Ini();
    }
    if (c.check) {
        c.check(folder);
    }
    // Leaves the folder to its clean-up, which removes files only.
    for (const char* name : {"BrisklaneCapture.ini", "Brisklane.ini"}) {
        (void)SetFileAttributesA(folder.File(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    (void)RemoveDirectoryA(folder.File("folder.pcap").c_str());
}

// The console's last two lines after the given number of ICMP datagrams of 84 bytes, nothing skipped.
std::string IcmpTail(int datagrams) {
    const std::string n = std::to_string(datagrams);
    return "All packets: " + n + "     Total bytes: " + std::to_string(84 * datagrams) + "\nFrames: " + n + " read, " +
           n +
           " counted, 0 skipped (0 not IPv4 at the link offset, 0 too short, 0 ignored (header not below length), 0 "
           "filtered out, 0 other link type)\nDropped: 0\n";
}

TEST(BadInput, EveryCaseIsAnsweredPlainlyAndKeepsWhatItCan) {
    const Bytes capture = CaptureBytes();
    const Bytes cut(capture.begin(), capture.end() - 10); // 7 whole records of 8
    const std::string reference = e2e::ExpectedConsoleOutput(kCapture);
    const std::string usage = "usage: BrisklaneCapture";
    const std::string randomIni = [] {
        const Bytes bytes = RandomBytes(4096, 12);
        return std::string(bytes.begin(), bytes.end());
    }();
    const std::string readOnlyIni = "[main]\r\nidleseconds=1000000\r\n[list]\r\nproto=77\r\n";
    const auto console = [](const std::string& arguments) {
        return [arguments](const HostFolder&) { return "--console " + arguments; };
    };
    const auto replay = [](const std::string& name, const Bytes& bytes) {
        return [name, bytes](const HostFolder& folder) { return "--console " + Quoted(folder.Write(name, bytes)); };
    };
    const auto replayShared = [&](std::function<void(const HostFolder&)> setUp) {
        return [setUp](const HostFolder& folder) {
            setUp(folder);
            return "--console " + Quoted(testsupport::DataPath("pcap/" + kCapture + ".pcap"));
        };
    };
    const auto makeFolder = [](const HostFolder& folder) {
        (void)CreateDirectoryA(folder.File("folder.pcap").c_str(), nullptr);
        return Quoted(folder.File("folder.pcap"));
    };
    const auto readOnly = [](const std::string& name) {
        return [name](const HostFolder& folder) { MakeReadOnly(folder.File(name)); };
    };
    const auto unchanged = [readOnlyIni](const std::string& name) {
        return [name, readOnlyIni](const HostFolder& folder) {
            EXPECT_EQ(capture_bytes::ReadText(folder.File(name)), readOnlyIni);
        };
    };
    // Brisklane.exe beside the host, with its skin and a Brisklane.ini of the given text.
    const auto mainWindow = [](const std::string& iniText, bool readOnlyFile, const std::string& arguments) {
        return [=](const HostFolder& folder) {
            for (const char* file : {"Brisklane.exe", "skin.smf"}) {
                CopyFileA((testsupport::BinDir() + "\\" + file).c_str(), folder.File(file).c_str(), FALSE);
            }
            std::ofstream(folder.File("Brisklane.ini"), std::ios::binary) << iniText;
            if (readOnlyFile) {
                MakeReadOnly(folder.File("Brisklane.ini"));
            }
            return arguments;
        };
    };
    const auto readOnlyLine = [](const char* file) {
        return std::vector<std::string>{"The settings could not be saved: \"", std::string(file) + "\" is read-only."};
    };

    const Case cases[] = {
        // Capture files.
        {.name = "a file cut inside a record",
         .prepare = replay("cut.pcap", cut),
         .outTail = "All packets: 7     Total bytes: 420\nFrames: 7 read, 7 counted, 0 skipped (0 not IPv4 at the link "
                    "offset, 0 too short, 0 ignored (header not below length), 0 filtered out, 0 other link "
                    "type)\nDropped: 0\n",
         .errHas = {"the file ends inside a record: record 8 needs 74 bytes, 64 remain; replay ends there"}},
        {.name = "a file that is no capture",
         .prepare = replay("notes.pcap", Bytes(100, 'x')),
         .exitCode = 1,
         .errHas = {"not a libpcap or pcapng capture file (wrong magic number)",
                    "Error: Unable to open the driver, Error Code : 11"}},
        {.name = "an empty file",
         .prepare = replay("empty.pcap", {}),
         .exitCode = 1,
         .errHas = {"shorter than a libpcap file header", "Error: Unable to open the driver, Error Code : 11"}},
        {.name = "a folder",
         .prepare = [&](const HostFolder& folder) { return "--console " + makeFolder(folder); },
         .exitCode = 1,
         .errHas = {"folder.pcap: a folder, not a capture file", "Error: Unable to open the driver, Error Code : 5"}},
        {.name = "a missing file",
         .prepare = [](const HostFolder& folder) { return "--console " + Quoted(folder.File("missing.pcap")); },
         .exitCode = 1,
         .errHas = {"missing.pcap: cannot be opened", "Error: Unable to open the driver, Error Code : 2"}},
        {.name = "/dev/null",
         .prepare = console("Z:\\dev\\null"),
         .exitCode = 1,
         .errHas = {"shorter than a libpcap file header", "Error: Unable to open the driver, Error Code : 11"}},
        {.name = "a path of more than 300 characters",
         .prepare = [](const HostFolder& folder) { return "--console " + Quoted(WriteAtLongPath(folder)); },
         .outTail = reference},
        {.name = "a snap length of 0",
         .prepare = replay("snap0.pcap", WithField32(capture, 16, 0)),
         .outTail = reference,
         .errHas = {"a snap length of 0 (expected 1 to 262144); records are read as stored"}},
        {.name = "a snap length over 262,144",
         .prepare = replay("snapbig.pcap", WithField32(capture, 16, 262145)),
         .outTail = reference,
         .errHas = {"a snap length of 262145"}},
        {.name = "a record longer than its frame",
         .prepare = replay("long.pcap", WithField32(capture, 24 + 12, 64)),
         .outTail = reference,
         .errHas = {"record 1 holds 74 bytes of a frame of 64; such records are read whole"}},
        // The window says the same in its status line, beside the message box of a file it cannot open.
        {.name = "a file cut inside a record, in the window",
         .program = Program::CaptureWindow,
         .prepare = [&](const HostFolder& folder) { return Quoted(folder.Write("cut.pcap", cut)) + " --start"; },
         .noteHas = "cut.pcap: the file ends inside a record"},
        {.name = "a folder, in the window",
         .program = Program::CaptureWindow,
         .prepare = [&](const HostFolder& folder) { return makeFolder(folder) + " --start"; },
         .boxHas = "Unable to open the driver, Error Code : 5",
         .noteHas = "folder.pcap: a folder, not a capture file"},
        // Settings.
        {.name = "BrisklaneCapture.ini of random bytes",
         .ini = randomIni,
         .prepare = replayShared([](const HostFolder&) {}),
         .outTail = reference,
         .iniAfterHas = "idleseconds=10\r\n"},
        {.name = "a read-only BrisklaneCapture.ini",
         .ini = readOnlyIni,
         .prepare = replayShared(readOnly("BrisklaneCapture.ini")),
         .outTail = reference,
         .errHas = readOnlyLine("BrisklaneCapture.ini"),
         .check = unchanged("BrisklaneCapture.ini")},
        {.name = "a read-only BrisklaneCapture.ini, in the window",
         .program = Program::CaptureWindow,
         .ini = readOnlyIni,
         .prepare =
             [&](const HostFolder& folder) {
                 readOnly("BrisklaneCapture.ini")(folder);
                 return std::string();
             },
         .errHas = readOnlyLine("BrisklaneCapture.ini"),
         .noteHas = "The settings will not be saved: \"",
         .check = unchanged("BrisklaneCapture.ini")},
        {.name = "Brisklane.ini of random bytes",
         .program = Program::MainWindow,
         .prepare = mainWindow(randomIni, false, ""),
         .exitCode = 2, // the Quit button's
         .check =
             [](const HostFolder& folder) {
                 EXPECT_NE(capture_bytes::ReadText(folder.File("Brisklane.ini")).find("idleseconds=10\r\n"),
                           std::string::npos);
             }},
        {.name = "a read-only Brisklane.ini",
         .program = Program::MainWindow,
         .prepare = mainWindow(readOnlyIni, true, ""),
         .exitCode = 2,
         .errHas = readOnlyLine("Brisklane.ini"),
         .check = unchanged("Brisklane.ini")},
        // The log.
        {.name = "a log file in a folder that does not exist",
         .ini = "[main]\r\nidleseconds=1000000\r\n[log]\r\nuselogfile=1\r\nlogfile=C:\\nowhere\\x.log\r\n",
         .prepare = replayShared([](const HostFolder&) {}),
         .outTail = reference,
         .errHas = {"Warning: Cannot open log file \"C:\\nowhere\\x.log\" for writing!"},
         .iniAfterHas = "uselogfile=0\r\n"},
        // The services file.
        {.name = "a services file of random bytes",
         .prepare =
             replayShared([](const HostFolder& folder) { (void)folder.Write("services", RandomBytes(1 << 20, 34)); }),
         .outTail = reference},
        {.name = "a services file of 50 MB",
         .prepare = replayShared([](const HostFolder& folder) { WriteHugeServices(folder.File("services")); }),
         .outTail = reference},
        // Command lines.
        {.name = "an unknown option",
         .prepare = console("x --bogus"),
         .exitCode = 1,
         .errHas = {"unknown option --bogus", usage}},
        {.name = "an option without its value",
         .prepare = console("x --seconds"),
         .exitCode = 1,
         .errHas = {"--seconds needs a number", usage}},
        {.name = "a value that is not a number",
         .prepare = console("x --seconds ten"),
         .exitCode = 1,
         .errHas = {"--seconds takes a whole number from 1 to 86400, not \"ten\"", usage}},
        {.name = "no adapter", .prepare = console(""), .exitCode = 1, .errHas = {"--console needs an adapter", usage}},
        {.name = "a file name missing",
         .prepare = console("x --pcap-out"),
         .exitCode = 1,
         .errHas = {"--pcap-out needs a file name", usage}},
        // The main window reads nothing from its command line.
        {.name = "options the main window does not know",
         .program = Program::MainWindow,
         .prepare = mainWindow(kIni, false, "--bogus -x 12 /tray"),
         .exitCode = 2},
    };

    for (const Case& c : cases) {
        Check(c);
    }
}

TEST(BadInput, EveryUnsoundPcapngCaptureIsAnsweredPlainly) {
    // One section, one interface, two ICMP echo frames: blocks of 28, 24, 136 and 136 bytes; the second
    // packet, block 4, starts at byte 188 and its length field at 192.
    const capture_bytes::Bytes frame =
        capture_bytes::Frame(capture_bytes::Datagram(1, 84, 0x0a000001, 0x0a000002, 0x0800, 0x1234));
    const auto build = [&](uint32_t snapLength, const std::function<void(pcapng_bytes::Capture&)>& damage) {
        pcapng_bytes::Capture capture;
        capture.Section().Interface({.snapLength = snapLength}).Enhanced(0, 1000000, frame).Enhanced(0, 2000000, frame);
        damage(capture);
        return capture.bytes;
    };
    const auto replay = [](const capture_bytes::Bytes& bytes) {
        return
            [bytes](const HostFolder& folder) { return "--console " + Quoted(folder.Write("damaged.pcapng", bytes)); };
    };
    const auto field = [&](size_t at, uint32_t value) {
        return replay(build(0, [=](pcapng_bytes::Capture& c) { c.Put32(at, value); }));
    };
    const std::string endsThere = "; replay ends there";
    const std::string code11 = "Error: Unable to open the driver, Error Code : 11";
    pcapng_bytes::Capture beforeInterface;
    beforeInterface.Section().Enhanced(0, 1, frame).Interface();
    capture_bytes::Bytes cut = build(0, [](pcapng_bytes::Capture&) {});
    cut.resize(cut.size() - 10);

    const Case cases[] = {
        {.name = "a pcapng capture cut inside a block",
         .prepare = replay(cut),
         .outTail = IcmpTail(1),
         .errHas = {"damaged.pcapng: the file ends inside a block: block 4 at byte 188 needs 136 bytes, 126 remain" +
                    endsThere}},
        {.name = "a block length under 12",
         .prepare = field(192, 8),
         .outTail = IcmpTail(1),
         .errHas = {"a block length is unsound: block 4 at byte 188 gives 8 (under 12)" + endsThere}},
        {.name = "a block length not a multiple of 4",
         .prepare = field(192, 134),
         .outTail = IcmpTail(1),
         .errHas = {"a block length is unsound: block 4 at byte 188 gives 134 (not a multiple of 4)" + endsThere}},
        {.name = "a block length unequal to its trailing copy",
         .prepare = field(188 + 136 - 4, 140),
         .outTail = IcmpTail(1),
         .errHas = {"a block length is unsound: block 4 at byte 188 gives 136 at its start and 140 at its end" +
                    endsThere}},
        {.name = "a block longer than 16 MiB",
         .prepare = field(192, 16 * 1024 * 1024 + 4),
         .outTail = IcmpTail(1),
         .errHas = {"a block is longer than 16 MiB: block 4 at byte 188 gives 16777220 bytes" + endsThere}},
        {.name = "a packet from an interface never described",
         .prepare = field(196, 3),
         .outTail = IcmpTail(1),
         .errHas = {"a packet from an interface that was not described: block 4 at byte 188 names interface 3; its "
                    "section describes 1" +
                    endsThere}},
        {.name = "a packet before any interface",
         .prepare = replay(beforeInterface.bytes),
         .exitCode = 1,
         .errHas = {"a packet from an interface that was not described: block 2 at byte 28 comes before any interface "
                    "description of its section",
                    code11}},
        {.name = "a section of major version 2",
         .prepare = replay(build(0, [](pcapng_bytes::Capture& c) { c.bytes[12] = 2; })),
         .exitCode = 1,
         .errHas = {"unsupported pcapng version (only 1.x is read): block 1 at byte 0 is of version 2.0", code11}},
        {.name = "captured lengths over the snap length",
         .prepare = replay(build(64, [](pcapng_bytes::Capture&) {})),
         .outTail = IcmpTail(2),
         .errHas = {"packet 1 (block 3 at byte 52) holds 98 bytes, more than its interface's snap length of 64; such "
                    "packets are read as stored"}},
        {.name = "a section header and no interface",
         .prepare = replay(pcapng_bytes::Capture().Section().bytes),
         .outTail = "src,dst,sport,dport,proto,packets,bytes\nAll packets: 0     Total bytes: 0\nFrames: 0 read, 0 "
                    "counted, 0 skipped (0 not IPv4 at the link offset, 0 too short, 0 ignored (header not below "
                    "length), 0 filtered out, 0 other link type)\nDropped: 0\n",
         .errHas = {"the capture describes no interface, so it holds no packets"}},
        {.name = "a packet before any interface, in the window",
         .program = Program::CaptureWindow,
         .prepare =
             [&](const HostFolder& folder) {
                 return Quoted(folder.Write("damaged.pcapng", beforeInterface.bytes)) + " --start";
             },
         .boxHas = "Unable to open the driver, Error Code : 11",
         .noteHas = "comes before any interface description of its section"},
    };
    for (const Case& c : cases) {
        Check(c);
    }
}

} // namespace
