// The capture window's traffic graph, painted by Wine's GDI: the bars of its series at the heights and in
// the colours its model gives, its scales' labels drawn, and a repaint after new data without a trace of
// the old. And the window's menu items that go with it, whose check marks and states show what it does.
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

#include <algorithm>

namespace {

using capture::GraphPlot;
using lookout::Picture;

constexpr uint64_t kStart = 1'700'000'000;

// `datagrams` datagrams of `length` bytes in the given second after kStart.
void Count(capture::TrafficSeries& series, uint64_t second, uint32_t datagrams, uint32_t length) {
    for (uint32_t i = 0; i < datagrams; ++i) {
        series.OnCounted(capture::FlowRow{}, length, (kStart + second) * capture::kMicrosecondsPerSecond + i);
    }
}

// A shown parent on the display, filled by the graph.
class GraphWindow {
public:
    explicit GraphWindow(const capture::TrafficSeries& series) {
        WNDCLASSA parentClass{};
        parentClass.lpfnWndProc = DefWindowProcA;
        parentClass.hInstance = GetModuleHandleA(nullptr);
        parentClass.lpszClassName = "BrisklaneTestGraphParent";
        (void)RegisterClassA(&parentClass);
        parent_ = CreateWindowExA(0, parentClass.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 700, 180, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        if (graph.Create(parent_, 1, series)) {
            (void)MoveWindow(graph.m_hWnd, 0, 0, 700, 180, TRUE);
        }
    }
    ~GraphWindow() { (void)DestroyWindow(parent_); }
    GraphWindow(const GraphWindow&) = delete;
    GraphWindow& operator=(const GraphWindow&) = delete;

    // Refreshes and paints the graph of the whole capture, and gives what its window shows.
    Picture Paint() {
        graph.Refresh(false);
        (void)UpdateWindow(graph.m_hWnd);
        return lookout::GrabClient(graph.m_hWnd);
    }

    CTrafficGraph graph;

private:
    HWND parent_ = nullptr;
};

// Pixels of the colour in the plot's area: inside its bars, and outside them.
struct BarPixels {
    long inside = 0;
    long outside = 0;
};

BarPixels CountBarPixels(const Picture& picture, const GraphPlot& plot, COLORREF colour) {
    BarPixels pixels;
    for (int y = plot.area.top; y < plot.area.bottom; ++y) {
        for (int x = plot.area.left; x < plot.area.right; ++x) {
            if (picture.At(x, y) != colour) {
                continue;
            }
            bool inBar = false;
            for (const capture::GraphBar& bar : plot.bars) {
                inBar = inBar || (x >= bar.left && x < bar.right && y >= plot.area.bottom - bar.height);
            }
            ++(inBar ? pixels.inside : pixels.outside);
        }
    }
    return pixels;
}

long BarArea(const GraphPlot& plot) {
    long area = 0;
    for (const capture::GraphBar& bar : plot.bars) {
        area += static_cast<long>(bar.right - bar.left) * bar.height;
    }
    return area;
}

// Pixels of the text colour in a band left of the plot around a label of its scale.
long LabelInk(const Picture& picture, const GraphPlot& plot, int label) {
    long ink = 0;
    const int middle = plot.scale[static_cast<size_t>(label)].position;
    for (int y = std::max(0, middle - 6); y < std::min(picture.height, middle + 6); ++y) {
        for (int x = 0; x < plot.area.left - 4; ++x) {
            ink += picture.At(x, y) == GetSysColor(COLOR_BTNTEXT) ? 1 : 0;
        }
    }
    return ink;
}

TEST(TrafficGraph, DrawsItsSeriesToItsScalesAndRepaintsWithoutTraces) {
    capture::TrafficSeries series;
    for (uint32_t second = 0; second < 10; ++second) {
        Count(series, second, 10 * (second + 1), 100); // 10 to 100 datagrams, 1 kB to 10 kB a second
    }
    GraphWindow window(series);
    ASSERT_NE(window.graph.m_hWnd, nullptr);
    const COLORREF datagramColour = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF bytesColour = RGB(0, 128, 0);

    Picture picture = window.Paint();
    ASSERT_EQ(picture.width, 700);
    const capture::GraphModel& model = window.graph.Model();
    EXPECT_EQ(model.spanSeconds, 10u);
    EXPECT_EQ(model.datagrams.bars.size(), 10u);
    EXPECT_EQ(model.datagrams.scale[0].text, "100");
    EXPECT_EQ(model.bytes.scale[0].text, "10 kB/s");
    EXPECT_EQ(model.bytes.peak, "peak 10 kB/s");
    EXPECT_EQ(model.datagrams.bars.back().height, model.datagrams.area.bottom - model.datagrams.area.top);
    // Every pixel of every bar, and none beside them; the scales' labels are written.
    for (const auto& [plot, colour] : {std::pair{&model.datagrams, datagramColour}, {&model.bytes, bytesColour}}) {
        const BarPixels pixels = CountBarPixels(picture, *plot, colour);
        EXPECT_EQ(pixels.inside, BarArea(*plot));
        EXPECT_EQ(pixels.outside, 0);
        for (int label = 0; label < 3; ++label) {
            EXPECT_GT(LabelInk(picture, *plot, label), 10) << plot->title << " label " << label;
        }
    }

    // New, smaller data: the scale drops, and no pixel of the old bars stays.
    series.Reset();
    Count(series, 0, 2, 40);
    Count(series, 3, 1, 40);
    picture = window.Paint();
    EXPECT_EQ(window.graph.Model().datagrams.scale[0].text, "2");
    EXPECT_EQ(window.graph.Model().datagrams.bars.size(), 2u);
    for (const auto& [plot, colour] :
         {std::pair{&window.graph.Model().datagrams, datagramColour}, {&window.graph.Model().bytes, bytesColour}}) {
        const BarPixels pixels = CountBarPixels(picture, *plot, colour);
        EXPECT_EQ(pixels.inside, BarArea(*plot));
        EXPECT_EQ(pixels.outside, 0) << plot->title << ": traces of the old bars";
    }
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
    ASSERT_TRUE(graphShown()) << "shown at first";
    EXPECT_TRUE(ItemState(window.m_hWnd, 1, kShowGraphCommand) & MF_CHECKED);

    (void)SendMessageA(window.m_hWnd, WM_COMMAND, kShowGraphCommand, 0);
    EXPECT_FALSE(graphShown());
    EXPECT_FALSE(ItemState(window.m_hWnd, 1, kShowGraphCommand) & MF_CHECKED);
    EXPECT_FALSE(LoadGraphShown()) << "remembered";
    (void)SendMessageA(window.m_hWnd, WM_COMMAND, kShowGraphCommand, 0);
    EXPECT_TRUE(graphShown());
    EXPECT_TRUE(LoadGraphShown());

    // The history's file is chosen between captures only.
    EXPECT_FALSE(ItemState(window.m_hWnd, 0, kKeepHistoryCommand) & (MF_GRAYED | MF_CHECKED));
    window.SetAdapter(testsupport::DataPath("pcap/eth-icmp-echo.pcap"));
    ASSERT_TRUE(window.StartCapturing());
    EXPECT_TRUE(ItemState(window.m_hWnd, 0, kKeepHistoryCommand) & MF_GRAYED);
    EXPECT_TRUE(fw::PumpUntil([] { return WaitForCaptureEnd(0); }, 30000));
    window.StopCapturing();
    EXPECT_FALSE(ItemState(window.m_hWnd, 0, kKeepHistoryCommand) & MF_GRAYED);
    EXPECT_TRUE(boxes.Boxes().empty());
    (void)window.DestroyWindow();
}

} // namespace
