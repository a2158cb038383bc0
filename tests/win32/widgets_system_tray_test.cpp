// CSystemTray against the real shell under Wine: adding and removing the icon, the tray menu, notifications,
// the shell's broadcasts, the tip limit, the icon cycle and hiding a window into the tray.
#include "widgets/system_tray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/win_app.h"
#include "widgets_test_resources.h"
#include "widgets_win32_support.h"

namespace {

using fw::PumpFor;
using widgets_test::CommandSink;
using widgets_test::ShellForgets;
using widgets_test::ShellKnows;

constexpr UINT kCallback = WM_APP + 10;

HICON StockIcon() {
    return ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
} // IDI_APPLICATION
HICON OtherStockIcon() {
    return ::LoadIconA(nullptr, MAKEINTRESOURCEA(32516));
} // IDI_INFORMATION

struct Flags {
    bool hidden, removed, pending;
    friend bool operator==(const Flags&, const Flags&) = default;
};
Flags FlagsOf(const CSystemTray& tray) {
    return {tray.State().hidden(), tray.State().removed(), tray.State().addPending()};
}

// A tray whose menu preparation can be observed.
class ObservedTray : public CSystemTray {
public:
    void PrepareTrayMenu(CMenu* popup) override { prepared = popup != nullptr ? popup->GetSafeHmenu() : nullptr; }
    HMENU prepared = nullptr;
};

// Keeps one icon of its own in the tray for the whole run. Wine's shell hides its tray window, and waits for that,
// whenever its last icon goes; with this icon there the tests' own icons come and go quickly.
class KeepTrayOccupied : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(keeper.Create(WS_POPUP));
        record.cbSize = sizeof(record);
        record.hWnd = keeper.GetSafeHwnd();
        record.uID = 1;
        record.uFlags = NIF_ICON;
        record.hIcon = StockIcon();
        ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &record));
    }
    void TearDown() override {
        (void)::Shell_NotifyIconA(NIM_DELETE, &record);
        (void)keeper.DestroyWindow();
    }

private:
    CommandSink keeper;
    NOTIFYICONDATAA record{};
};
::testing::Environment* const keepTrayOccupied = ::testing::AddGlobalTestEnvironment(new KeepTrayOccupied);

class SystemTray : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sink.Create(WS_POPUP)); }
    // Serves messages until `count` commands have reached the sink, then those already queued: true when
    // exactly `count` came.
    [[nodiscard]] bool CommandsArrive(size_t count) {
        (void)fw::PumpUntil([&] { return sink.commands.size() >= count; }, 5000);
        fw::DispatchWaitingMessages();
        return sink.commands.size() == count;
    }
    CommandSink sink;
};

// ---- Installing and removing --------------------------------------------------------------------------------

TEST_F(SystemTray, InstallAddsTheIconAndTheDestructorRemovesIt) {
    NOTIFYICONDATAA record{};
    {
        CSystemTray tray;
        ASSERT_TRUE(tray.Install(&sink, kCallback, "Brisklane", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
        record = tray.Record();
        EXPECT_TRUE(tray.State().enabled());
        EXPECT_EQ(FlagsOf(tray), (Flags{false, false, false}));
        EXPECT_EQ(record.cbSize, offsetof(NOTIFYICONDATAA, guidItem) + sizeof(GUID));
        EXPECT_EQ(record.hWnd, sink.GetSafeHwnd());
        EXPECT_EQ(record.uID, UINT{IDR_TEST_TRAYMENU});
        EXPECT_EQ(record.uCallbackMessage, kCallback);
        EXPECT_EQ(tray.CurrentTip(), "Brisklane");
        EXPECT_EQ(tray.CurrentIcon(), StockIcon());
        EXPECT_EQ(tray.NotifyWindow(), &sink);
        EXPECT_TRUE(ShellKnows(record));
        // The private window exists, is invisible and top-level, so broadcasts reach it.
        ASSERT_NE(tray.GetSafeHwnd(), nullptr);
        EXPECT_FALSE(::IsWindowVisible(tray.GetSafeHwnd()));
        EXPECT_EQ(::GetParent(tray.GetSafeHwnd()), nullptr);
    }
    EXPECT_FALSE(ShellKnows(record));
}

TEST_F(SystemTray, SecondConstructorInstallsAndWithoutNotifyWindowThePrivateWindowIsNamed) {
    CSystemTray tray(nullptr, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU);
    ASSERT_NE(tray.GetSafeHwnd(), nullptr);
    EXPECT_EQ(tray.Record().hWnd, tray.GetSafeHwnd());
    EXPECT_TRUE(ShellKnows(tray.Record()));
}

TEST_F(SystemTray, StartHiddenAddsNothingUntilShowInTray) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, TRUE));
    EXPECT_EQ(FlagsOf(tray), (Flags{true, true, false}));
    EXPECT_FALSE(ShellKnows(tray.Record()));
    // Changes are stored only while hidden, and the add takes them along.
    EXPECT_TRUE(tray.ChangeTip("changed while hidden"));
    EXPECT_TRUE(tray.ShowInTray());
    EXPECT_TRUE(ShellKnows(tray.Record()));
    EXPECT_EQ(tray.CurrentTip(), "changed while hidden");
    EXPECT_TRUE(tray.HideFromTray());
    EXPECT_FALSE(ShellKnows(tray.Record()));
    EXPECT_TRUE(tray.AddToTray());
    EXPECT_TRUE(ShellKnows(tray.Record()));
    EXPECT_TRUE(tray.ReAddAtEnd());
    EXPECT_TRUE(ShellKnows(tray.Record()));
    EXPECT_TRUE(tray.RemoveFromTray());
    EXPECT_FALSE(ShellKnows(tray.Record()));
}

TEST_F(SystemTray, AnAddTheShellRefusesLeavesHiddenRemovedAndPending) {
    CSystemTray first;
    ASSERT_TRUE(first.Install(&sink, kCallback, "one", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    CSystemTray second; // same window and identifier: the shell refuses the duplicate
    EXPECT_FALSE(second.Install(&sink, kCallback, "two", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    EXPECT_EQ(FlagsOf(second), (Flags{true, true, true}));
    // The refused object must not take the other's icon away.
    EXPECT_TRUE(second.RemoveFromTray());
    EXPECT_TRUE(ShellKnows(first.Record()));
}

TEST_F(SystemTray, UninstalledObjectNeverReachesTheShell) {
    CSystemTray tray;
    EXPECT_FALSE(tray.ChangeIcon(StockIcon()));
    EXPECT_FALSE(tray.ChangeTip("x"));
    EXPECT_FALSE(tray.ChangeCallbackMessage(kCallback));
    EXPECT_FALSE(tray.ChangeNotifyWindow(&sink));
    EXPECT_FALSE(tray.AddToTray());
    EXPECT_FALSE(tray.ShowInTray());
    EXPECT_TRUE(tray.RemoveFromTray());
    EXPECT_TRUE(tray.HideFromTray());
    EXPECT_EQ(tray.CurrentIcon(), nullptr);
    EXPECT_EQ(tray.CurrentTip(), "");
    EXPECT_FALSE(tray.StartIconCycle(10, 0));
}

// ---- Record changes ------------------------------------------------------------------------------------------

TEST_F(SystemTray, TipIsCutTo127BytesAndAlwaysEndsInZero) {
    const std::string longTip(300, 'x');
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, longTip.c_str(), StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    EXPECT_EQ(tray.CurrentTip(), std::string(127, 'x'));
    EXPECT_TRUE(tray.ChangeTip(std::string(128, 'y')));
    EXPECT_EQ(tray.CurrentTip(), std::string(127, 'y'));
    EXPECT_EQ(tray.Record().szTip[127], '\0');
    EXPECT_TRUE(tray.ChangeTip("short"));
    EXPECT_EQ(tray.CurrentTip(), "short");
    EXPECT_TRUE(tray.ChangeTipFromResource(IDS_TEST_TIP));
    EXPECT_EQ(tray.CurrentTip(), "Tip from a string resource");
    EXPECT_TRUE(tray.ChangeTipFromResource(IDS_TEST_NO_SUCH_STRING));
    EXPECT_EQ(tray.CurrentTip(), "");
}

TEST_F(SystemTray, IconChanges) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    EXPECT_TRUE(tray.ChangeIcon(OtherStockIcon()));
    EXPECT_EQ(tray.CurrentIcon(), OtherStockIcon());
    EXPECT_TRUE(tray.ChangeToStockIcon(32512u));
    EXPECT_EQ(tray.CurrentIcon(), StockIcon());
    EXPECT_FALSE(tray.ChangeIconFromResource(999u));
    EXPECT_EQ(tray.CurrentIcon(), StockIcon());

    ASSERT_TRUE(tray.ChangeIconFromResource(UINT{IDI_TEST_FIRST}));
    const HICON loaded = tray.CurrentIcon();
    ICONINFO info{};
    // The loaded icon stays alive while the record names it, so a re-add after a shell restart can show it.
    ASSERT_TRUE(::GetIconInfo(loaded, &info));
    (void)::DeleteObject(info.hbmColor);
    (void)::DeleteObject(info.hbmMask);
    ASSERT_TRUE(ShellForgets(tray.Record()));
    (void)::SendMessageA(tray.GetSafeHwnd(), CSystemTray::m_nTaskbarCreatedMsg, 0, 0);
    EXPECT_TRUE(ShellKnows(tray.Record()));
    EXPECT_EQ(tray.CurrentIcon(), loaded);
}

TEST_F(SystemTray, CallbackMessageAndNotifyWindow) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    EXPECT_TRUE(tray.ChangeCallbackMessage(WM_APP + 11));
    EXPECT_EQ(tray.CallbackMessage(), UINT{WM_APP + 11});

    EXPECT_FALSE(tray.ChangeNotifyWindow(nullptr));
    CWnd gone;
    EXPECT_FALSE(tray.ChangeNotifyWindow(&gone));

    // The shell knows the icon by its window, so it refuses to move it to another; the record keeps the old one
    // and the icon can still be removed.
    CommandSink other;
    ASSERT_TRUE(other.Create());
    EXPECT_FALSE(tray.ChangeNotifyWindow(&other));
    EXPECT_EQ(tray.NotifyWindow(), &sink);
    EXPECT_TRUE(tray.RemoveFromTray());
    EXPECT_FALSE(ShellKnows(sink.GetSafeHwnd(), IDR_TEST_TRAYMENU));
    // While hidden the change is stored, and the next add uses the new window.
    EXPECT_TRUE(tray.ChangeNotifyWindow(&other));
    EXPECT_EQ(tray.NotifyWindow(), &other);
    EXPECT_TRUE(tray.ShowInTray());
    EXPECT_TRUE(ShellKnows(other.GetSafeHwnd(), IDR_TEST_TRAYMENU));
}

// ---- Shell broadcasts ----------------------------------------------------------------------------------------

TEST_F(SystemTray, TaskbarCreatedAddsTheIconAgainUnlessHidden) {
    EXPECT_NE(CSystemTray::m_nTaskbarCreatedMsg, 0u);
    EXPECT_EQ(CSystemTray::m_nTaskbarCreatedMsg, ::RegisterWindowMessageA("TaskbarCreated"));
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    ASSERT_TRUE(ShellForgets(tray.Record()));
    EXPECT_EQ(::SendMessageA(tray.GetSafeHwnd(), CSystemTray::m_nTaskbarCreatedMsg, 0, 0), 0);
    EXPECT_TRUE(ShellKnows(tray.Record()));
    EXPECT_EQ(FlagsOf(tray), (Flags{false, false, false}));

    ASSERT_TRUE(tray.HideFromTray());
    (void)::SendMessageA(tray.GetSafeHwnd(), CSystemTray::m_nTaskbarCreatedMsg, 0, 0);
    EXPECT_FALSE(ShellKnows(tray.Record()));
}

TEST_F(SystemTray, WorkAreaChangeKeepsAShownIconAndAddsALostOne) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    // The icon is still there: the shell refuses the duplicate add, and the object still counts it as shown.
    (void)::SendMessageA(tray.GetSafeHwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(FlagsOf(tray), (Flags{false, false, false}));
    EXPECT_TRUE(ShellKnows(tray.Record()));
    EXPECT_TRUE(tray.ChangeTip("still reaches the shell"));

    ASSERT_TRUE(ShellForgets(tray.Record()));
    (void)::SendMessageA(tray.GetSafeHwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(ShellKnows(tray.Record()));

    // Other settings change nothing.
    ASSERT_TRUE(ShellForgets(tray.Record()));
    (void)::SendMessageA(tray.GetSafeHwnd(), WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_FALSE(ShellKnows(tray.Record()));
}

// ---- Notifications -------------------------------------------------------------------------------------------

// Drives the popup menu while TrackPopupMenu runs: records what is shown, then posts keys to it.
struct MenuDriver {
    std::vector<WPARAM> keys;
    HMENU shown = nullptr;
    int itemCount = -1;
    UINT firstCommand = 0;
    UINT defaultCommand = UINT(-1);
    bool driven = false;
};
MenuDriver* menuDriver = nullptr;

void CALLBACK DriveMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND menuWindow = ::FindWindowA(MAKEINTATOM(32768), nullptr);
    if (menuDriver == nullptr || menuDriver->driven || menuWindow == nullptr || !::IsWindowVisible(menuWindow)) {
        return;
    }
    menuDriver->driven = true;
    (void)::KillTimer(nullptr, timer);
    menuDriver->shown = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    menuDriver->itemCount = ::GetMenuItemCount(menuDriver->shown);
    menuDriver->firstCommand = ::GetMenuItemID(menuDriver->shown, 0);
    menuDriver->defaultCommand = ::GetMenuDefaultItem(menuDriver->shown, FALSE, 0);
    for (const WPARAM key : menuDriver->keys) {
        (void)::PostMessageA(menuWindow, WM_KEYDOWN, key, 1);
        (void)::PostMessageA(menuWindow, WM_KEYUP, key, 0xC0000001);
    }
}

// Ends a menu that never showed, so a failing test can't hang.
void CALLBACK EndStuckMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    (void)::KillTimer(nullptr, timer);
    (void)::EndMenu();
}

LRESULT ShowMenuAndPress(CSystemTray& tray, MenuDriver& driver, LPARAM event = WM_RBUTTONUP) {
    menuDriver = &driver;
    const UINT_PTR drive = ::SetTimer(nullptr, 0, 50, &DriveMenu);
    const UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, &EndStuckMenu);
    const LRESULT result = tray.HandleTrayEvent(IDR_TEST_TRAYMENU, event);
    (void)::KillTimer(nullptr, drive);
    (void)::KillTimer(nullptr, guard);
    menuDriver = nullptr;
    PumpFor(100);
    return result;
}

TEST_F(SystemTray, RightButtonShowsTheFirstPopupAndTheChosenCommandReachesTheTarget) {
    ObservedTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    ASSERT_TRUE(tray.SetCommandTarget(&sink));
    EXPECT_EQ(tray.CommandTarget(), &sink);
    ASSERT_TRUE(tray.SetDefaultMenuCommand(ID_TEST_FIRST, FALSE));

    MenuDriver driver;
    driver.keys = {VK_DOWN, VK_DOWN, VK_RETURN};
    // The event's high word carries extra information in newer shells; only the low word counts.
    EXPECT_EQ(ShowMenuAndPress(tray, driver, MAKELPARAM(WM_RBUTTONUP, 7)), 1);
    ASSERT_TRUE(driver.driven);
    EXPECT_EQ(driver.itemCount, 4);
    EXPECT_EQ(driver.firstCommand, UINT{ID_TEST_FIRST});
    EXPECT_EQ(driver.defaultCommand, UINT{ID_TEST_FIRST});
    EXPECT_EQ(tray.prepared, driver.shown);
    ASSERT_EQ(sink.commands.size(), 1u);
    EXPECT_EQ(LOWORD(sink.commands[0].first), ID_TEST_SECOND);
    EXPECT_EQ(sink.commands[0].second, 0);
    EXPECT_GE(sink.nulls, 1);
}

TEST_F(SystemTray, CancelledMenuSendsNoCommand) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    ASSERT_TRUE(tray.SetCommandTarget(&sink));
    MenuDriver driver;
    driver.keys = {VK_ESCAPE};
    EXPECT_EQ(ShowMenuAndPress(tray, driver), 1);
    EXPECT_TRUE(driver.driven);
    EXPECT_TRUE(sink.commands.empty());
}

TEST_F(SystemTray, DoubleClickPostsTheDefaultCommand) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    ASSERT_TRUE(tray.SetCommandTarget(&sink));
    struct Row {
        UINT item;
        BOOL byPosition;
        UINT command;
    };
    // No default yet: command 0. By position 1: the second item's command.
    const Row rows[] = {{0, FALSE, 0}, {ID_TEST_EXIT, FALSE, ID_TEST_EXIT}, {1, TRUE, ID_TEST_SECOND}};
    for (const Row& row : rows) {
        ASSERT_TRUE(tray.SetDefaultMenuCommand(row.item, row.byPosition));
        UINT item = 99;
        BOOL byPosition = 99;
        tray.DefaultMenuCommand(item, byPosition);
        EXPECT_EQ(item, row.item);
        EXPECT_EQ(byPosition, row.byPosition);
        sink.commands.clear();
        EXPECT_EQ(tray.HandleTrayEvent(IDR_TEST_TRAYMENU, WM_LBUTTONDBLCLK), 1);
        ASSERT_TRUE(CommandsArrive(1));
        EXPECT_EQ(sink.commands[0].first, WPARAM{row.command});
        EXPECT_EQ(sink.commands[0].second, 0);
    }
}

TEST_F(SystemTray, OtherEventsReturnOneAndDoNothing) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    ASSERT_TRUE(tray.SetCommandTarget(&sink));
    for (const LPARAM event : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_CONTEXTMENU}) {
        EXPECT_EQ(tray.HandleTrayEvent(IDR_TEST_TRAYMENU, event), 1) << event;
    }
    PumpFor(30);
    EXPECT_TRUE(sink.commands.empty());
    EXPECT_EQ(sink.nulls, 0);
    // Another icon's notification is not ours.
    EXPECT_EQ(tray.HandleTrayEvent(IDR_TEST_TRAYMENU + 1, WM_LBUTTONDBLCLK), 0);
}

TEST_F(SystemTray, WithoutMenuOrTargetNothingHappens) {
    {
        CSystemTray tray; // no target stored and no application
        ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
        EXPECT_EQ(tray.CommandTarget(), nullptr);
        EXPECT_EQ(tray.HandleTrayEvent(IDR_TEST_TRAYMENU, WM_LBUTTONDBLCLK), 0);
    }
    for (const UINT menu : {UINT{IDR_TEST_MENU_WITHOUT_POPUP}, UINT{IDR_TEST_NO_SUCH_MENU}}) {
        CSystemTray tray;
        ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), menu, FALSE));
        ASSERT_TRUE(tray.SetCommandTarget(&sink));
        EXPECT_EQ(tray.HandleTrayEvent(menu, WM_RBUTTONUP), 0);
        EXPECT_FALSE(tray.SetDefaultMenuCommand(1, TRUE));
        EXPECT_EQ(tray.HandleTrayEvent(menu, WM_LBUTTONDBLCLK), 0);     // a position needs the menu
        EXPECT_FALSE(tray.SetDefaultMenuCommand(ID_TEST_FIRST, FALSE)); // stored all the same
        EXPECT_EQ(tray.HandleTrayEvent(menu, WM_LBUTTONDBLCLK), 1);     // a command doesn't
        ASSERT_TRUE(CommandsArrive(1));
        EXPECT_EQ(sink.commands[0].first, WPARAM{ID_TEST_FIRST});
        sink.commands.clear();
    }
}

TEST_F(SystemTray, CommandTargetDefaultsToTheMainWindowAndNotificationsReachThePrivateWindow) {
    CWinApp app;
    app.m_pMainWnd = &sink;
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(nullptr, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    EXPECT_EQ(tray.CommandTarget(), &sink);
    ASSERT_TRUE(tray.SetDefaultMenuCommand(ID_TEST_SECOND, FALSE));
    EXPECT_EQ(::SendMessageA(tray.GetSafeHwnd(), kCallback, IDR_TEST_TRAYMENU, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(::SendMessageA(tray.GetSafeHwnd(), kCallback, IDR_TEST_TRAYMENU + 1, WM_LBUTTONDBLCLK), 0);
    ASSERT_TRUE(CommandsArrive(1));
    EXPECT_EQ(sink.commands[0].first, WPARAM{ID_TEST_SECOND});
}

// ---- Icon cycle ----------------------------------------------------------------------------------------------

TEST_F(SystemTray, CycleOfOneIconShowsItUntilStoppedThenTheOldIconReturns) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    EXPECT_FALSE(tray.AdvanceIconCycle());
    EXPECT_FALSE(tray.StartIconCycle(20, 0)); // empty sequence
    const HICON only = OtherStockIcon();
    ASSERT_TRUE(tray.SetIconSequence(&only, 1));
    ASSERT_TRUE(tray.StartIconCycle(20, 0));
    EXPECT_TRUE(fw::PumpUntil([&] { return tray.CurrentIcon() == only; }, 5000));
    EXPECT_TRUE(ShellKnows(tray.Record()));
    EXPECT_TRUE(tray.StopIconCycle());
    EXPECT_EQ(tray.CurrentIcon(), StockIcon());
    EXPECT_FALSE(tray.StopIconCycle()); // no cycle runs any more
}

TEST_F(SystemTray, CycleRunsOnTimer4567OfThePrivateWindowAndAdvancesInOrder) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    const HICON icons[] = {StockIcon(), OtherStockIcon(), ::LoadIconA(nullptr, MAKEINTRESOURCEA(32515))};
    ASSERT_TRUE(tray.SetIconSequence(icons, 3));
    ASSERT_TRUE(tray.StartIconCycle(60000, 0));
    (void)::SendMessageA(tray.GetSafeHwnd(), WM_TIMER, 4567, 0);
    EXPECT_EQ(tray.CurrentIcon(), icons[1]); // the first tick shows the second icon
    (void)::SendMessageA(tray.GetSafeHwnd(), WM_TIMER, 4566, 0);
    EXPECT_EQ(tray.CurrentIcon(), icons[1]); // other timers are ignored
    EXPECT_TRUE(tray.AdvanceIconCycle());
    EXPECT_TRUE(tray.AdvanceIconCycle());
    EXPECT_EQ(tray.CurrentIcon(), icons[0]);
    EXPECT_TRUE(::KillTimer(tray.GetSafeHwnd(), 4567));
}

TEST_F(SystemTray, CycleWithADurationStopsByItself) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    const HICON only = OtherStockIcon();
    ASSERT_TRUE(tray.SetIconSequence(&only, 1));
    ASSERT_TRUE(tray.StartIconCycle(100, 1));
    // Still cycling well within its second: only the passing of time can show that it does not stop early.
    PumpFor(500);
    EXPECT_EQ(tray.CurrentIcon(), only);
    EXPECT_TRUE(fw::PumpUntil([&] { return tray.CurrentIcon() == StockIcon(); }, 5000));
    EXPECT_FALSE(tray.StopIconCycle());
}

TEST_F(SystemTray, SequenceFromResourcesNeedsTheApplication) {
    CSystemTray tray;
    ASSERT_TRUE(tray.Install(&sink, kCallback, "tip", StockIcon(), IDR_TEST_TRAYMENU, FALSE));
    EXPECT_FALSE(tray.SetIconSequence(IDI_TEST_FIRST, IDI_TEST_SECOND));
    CWinApp app;
    EXPECT_FALSE(tray.SetIconSequence(IDI_TEST_SECOND, IDI_TEST_FIRST));
    ASSERT_TRUE(tray.SetIconSequence(IDI_TEST_FIRST, IDI_TEST_SECOND));
    ASSERT_TRUE(tray.StartIconCycle(60000, 0));
    EXPECT_TRUE(tray.AdvanceIconCycle());
    EXPECT_EQ(tray.CurrentIcon(), app.LoadIcon(IDI_TEST_SECOND));
    EXPECT_NE(tray.CurrentIcon(), nullptr);
    EXPECT_TRUE(tray.StopIconCycle());
    EXPECT_EQ(tray.CurrentIcon(), StockIcon());
}

// ---- Hiding into the tray ------------------------------------------------------------------------------------

TEST_F(SystemTray, HideToTrayDetachesAndClearsTheVisibleBitRestoreBringsItBack) {
    for (const BOOL force : {FALSE, TRUE}) {
        CommandSink window;
        ASSERT_TRUE(window.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        PumpFor(50);
        RECT before{};
        window.GetWindowRect(&before);

        CSystemTray::HideToTray(&window, force);
        EXPECT_EQ(window.GetStyle() & WS_VISIBLE, 0u);
        EXPECT_FALSE(window.IsWindowVisible());
        const HWND owner = ::GetAncestor(window.GetSafeHwnd(), GA_PARENT);
        ASSERT_NE(owner, ::GetDesktopWindow()); // off the taskbar: no longer a top-level window
        EXPECT_FALSE(::IsWindowVisible(owner));
        EXPECT_NE(::GetWindowLongPtrA(owner, GWL_STYLE) & WS_POPUP, 0);
        EXPECT_EQ(::GetAncestor(owner, GA_PARENT), ::GetDesktopWindow());
        PumpFor(50);

        CSystemTray::RestoreFromTray(&window, force);
        EXPECT_EQ(::GetAncestor(window.GetSafeHwnd(), GA_PARENT), ::GetDesktopWindow());
        EXPECT_NE(window.GetStyle() & WS_VISIBLE, 0u);
        EXPECT_TRUE(window.IsWindowVisible());
        RECT after{};
        window.GetWindowRect(&after);
        EXPECT_TRUE(::EqualRect(&before, &after));

        // The invisible owner is made once and kept for every later hide.
        CSystemTray::HideToTray(&window, force);
        EXPECT_EQ(::GetAncestor(window.GetSafeHwnd(), GA_PARENT), owner);
        CSystemTray::RestoreFromTray(&window, force);
    }
}

// A stand-in taskbar with a notification area and a clock, found in front of the shell's own.
LRESULT CALLBACK PlainProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

HWND MakeWindow(const char* className, HWND parent, int x, int y, int width, int height) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &PlainProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    (void)::RegisterClassA(&windowClass);
    const DWORD style = parent != nullptr ? WS_CHILD | WS_VISIBLE : WS_POPUP;
    return ::CreateWindowExA(parent != nullptr ? 0 : WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className, "", style, x, y,
                             width, height, parent, nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

TEST(SystemTrayArea, NotificationAreaLeftOfTheClock) {
    const HWND taskbar = MakeWindow("Shell_TrayWnd", nullptr, 0, 994, 1280, 30);
    ASSERT_NE(taskbar, nullptr);
    ASSERT_EQ(::FindWindowA("Shell_TrayWnd", nullptr), taskbar);
    const HWND notify = MakeWindow("TrayNotifyWnd", taskbar, 1100, 2, 178, 26);
    (void)MakeWindow("TrayClockWClass", notify, 120, 0, 58, 26);
    RECT area{};
    CSystemTray::FindTrayArea(&area);
    (void)::DestroyWindow(taskbar);
    EXPECT_EQ(area.left, 1100);
    EXPECT_EQ(area.top, 996);
    EXPECT_EQ(area.right, 1220);
    EXPECT_EQ(area.bottom, 1022);
}

} // namespace
