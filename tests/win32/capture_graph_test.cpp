// The capture window's traffic graph, painted by Wine's GDI: every bar of its series where its model puts
// it, its scales' labels written, and a repaint after new data without a trace of the old. And the menu
// items that go with it, whose check marks and states show what the window does.
#include <gtest/gtest.h>
#include <windows.h>

#include "capture/engine/capture_engine.h"
#include "capture/host/capture_window.h"
#include "capture/host/graph_preference.h"
#include "capture/host/host_ids.h"
#include "files.h"
#include "framework/message_loop.h"
#include "message_boxes.h"
#include "picture.h"

namespace {

using capture::GraphPlot;

// `datagrams` datagrams of `length` bytes in the given second of capture time.
void Count(capture::TrafficSeries& series, uint64_t second, uint32_t datagrams, uint32_t length) {
    for (uint32_t i = 0; i < datagrams; ++i) {
        series.OnCounted(capture::FlowRow{}, length, (1'700'000'000 + second) * capture::kMicrosecondsPerSecond + i);
    }
}

// Pixels of the plot's bar colour that lie outside its bars; inside: those within them.
long StrayBarPixels(const lookout::Picture& picture, const GraphPlot& plot, COLORREF colour, long& inside) {
    long stray = 0;
    for (int y = plot.area.top; y < plot.area.bottom; ++y) {
        for (int x = plot.area.left; x < plot.area.right; ++x) {
            bool inBar = false;
            for (const capture::GraphBar& bar : plot.bars) {
                inBar = inBar || (x >= bar.left && x < bar.right && y >= plot.area.bottom - bar.height);
            }
            if (picture.At(x, y) == colour) {
                ++(inBar ? inside : stray);
            }
        }
    }
    return stray;
}

// Checks that the picture holds exactly the bars of both plots, and text left of each scale label.
void ExpectDrawn(const lookout::Picture& picture, const capture::GraphModel& model) {
    const std::pair<const GraphPlot*, COLORREF> plots[] = {{&model.datagrams, GetSysColor(COLOR_HIGHLIGHT)},
                                                           {&model.bytes, RGB(0, 128, 0)}};
    for (const auto& [plot, colour] : plots) {
        long inside = 0;
        EXPECT_EQ(StrayBarPixels(picture, *plot, colour, inside), 0) << plot->title << ": traces";
        long area = 0;
        for (const capture::GraphBar& bar : plot->bars) {
            area += static_cast<long>(bar.right - bar.left) * bar.height;
        }
        EXPECT_EQ(inside, area) << plot->title;
        for (const capture::AxisLabel& label : plot->scale) {
            long ink = 0;
            for (int y = label.position - 5; y < label.position + 5; ++y) {
                for (int x = 0; x < plot->area.left - 4; ++x) {
                    ink += picture.At(x, y) == GetSysColor(COLOR_BTNTEXT) ? 1 : 0;
                }
            }
            EXPECT_GT(ink, 10) << plot->title << " " << label.text;
        }
    }
}

TEST(TrafficGraph, DrawsItsSeriesToItsScalesAndRepaintsWithoutTraces) {
    capture::TrafficSeries series;
    for (uint32_t second = 0; second < 10; ++second) {
        Count(series, second, 10 * (second + 1), 100); // 10 to 100 datagrams, 1 to 10 kB a second
    }
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 700, 180, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    CTrafficGraph graph;
    ASSERT_TRUE(graph.Create(parent, 1, series));
    (void)MoveWindow(graph.m_hWnd, 0, 0, 700, 180, TRUE);
    const auto paint = [&graph] {
        graph.Refresh(false);
        (void)UpdateWindow(graph.m_hWnd);
        return lookout::GrabClient(graph.m_hWnd);
    };

    lookout::Picture picture = paint();
    EXPECT_EQ(graph.Model().datagrams.bars.size(), 10u);
    EXPECT_EQ(graph.Model().datagrams.scale[0].text, "100");
    EXPECT_EQ(graph.Model().bytes.scale[0].text, "10 kB/s");
    ExpectDrawn(picture, graph.Model());

    // New, smaller data: the scale drops, and no pixel of the old bars stays.
    series.Reset();
    Count(series, 0, 2, 40);
    Count(series, 3, 1, 40);
    picture = paint();
    EXPECT_EQ(graph.Model().datagrams.scale[0].text, "2");
    EXPECT_EQ(graph.Model().datagrams.bars.size(), 2u);
    ExpectDrawn(picture, graph.Model());
    (void)DestroyWindow(parent);
}

// The state of a menu bar item as its popup shows it when it opens.
UINT ItemState(HWND window, int popup, int command) {
    const HMENU menu = GetSubMenu(GetMenu(window), popup);
    (void)SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), popup);
    return GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND);
}

TEST(CaptureWindowMenu, ItsChecksAndStatesShowWhatTheWindowDoes) {
    using namespace capture_host;
    testsupport::MessageBoxRecorder boxes;
    CCaptureWindow window;
    ASSERT_TRUE(window.Create(false));
    HWND graph = GetDlgItem(window.m_hWnd, kTrafficGraph);
    const auto graphShown = [graph] { return (GetWindowLongA(graph, GWL_STYLE) & WS_VISIBLE) != 0; };
    EXPECT_TRUE(graphShown() && (ItemState(window.m_hWnd, 1, kShowGraphCommand) & MF_CHECKED)) << "shown at first";
    (void)SendMessageA(window.m_hWnd, WM_COMMAND, kShowGraphCommand, 0);
    EXPECT_FALSE(graphShown() || (ItemState(window.m_hWnd, 1, kShowGraphCommand) & MF_CHECKED));
    EXPECT_FALSE(LoadGraphShown()) << "remembered";

    // The history's file and the collector are chosen between captures only.
    EXPECT_FALSE(ItemState(window.m_hWnd, 0, kKeepHistoryCommand) & (MF_GRAYED | MF_CHECKED));
    EXPECT_FALSE(ItemState(window.m_hWnd, 0, kCollectorCommand) & MF_GRAYED);
    window.SetAdapter(testsupport::DataPath("pcap/eth-icmp-echo.pcap"));
    ASSERT_TRUE(window.StartCapturing());
    EXPECT_TRUE(ItemState(window.m_hWnd, 0, kKeepHistoryCommand) & MF_GRAYED);
    EXPECT_TRUE(ItemState(window.m_hWnd, 0, kCollectorCommand) & MF_GRAYED);
    EXPECT_TRUE(fw::PumpUntil([] { return WaitForCaptureEnd(0); }, 30000));
    window.StopCapturing();
    EXPECT_FALSE(ItemState(window.m_hWnd, 0, kKeepHistoryCommand) & MF_GRAYED);
    EXPECT_FALSE(ItemState(window.m_hWnd, 0, kCollectorCommand) & MF_GRAYED);
    EXPECT_TRUE(boxes.Boxes().empty());
    (void)window.DestroyWindow();
}

} // namespace
