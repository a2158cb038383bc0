// The capture window's traffic graph, drawn with GDI from the graph's model.
#include "capture/host/traffic_graph.h"

#include <string>

#include "framework/message_map.h"

namespace {

using M = capture::GraphMetrics;

// The bars of the bytes plot: a green that reads on the window colour beside the highlight colour of the
// datagrams plot.
constexpr COLORREF kBytesColour = RGB(0, 128, 0);

void Text(HDC dc, const std::string& text, RECT place, UINT format) {
    (void)::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &place,
                      format | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

void DrawPlot(HDC dc, const RECT& area, const capture::GraphPlot& plot, COLORREF barColour) {
    RECT inside{plot.area.left, plot.area.top, plot.area.right, plot.area.bottom};
    if (inside.right <= inside.left || inside.bottom <= inside.top) {
        return;
    }
    RECT frame = inside;
    (void)::InflateRect(&frame, 2, 2);
    (void)::DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
    (void)::FillRect(dc, &inside, ::GetSysColorBrush(COLOR_WINDOW));

    // A dotted line at half the scale.
    if (plot.scale.size() == 3) {
        const platform::GdiObject pen(::CreatePen(PS_DOT, 1, ::GetSysColor(COLOR_BTNSHADOW)));
        const HGDIOBJ previous = ::SelectObject(dc, pen.Get());
        (void)::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        (void)::MoveToEx(dc, inside.left, plot.scale[1].position, nullptr);
        (void)::LineTo(dc, inside.right, plot.scale[1].position);
        (void)::SelectObject(dc, previous);
    }
    const platform::GdiObject brush(::CreateSolidBrush(barColour));
    for (const capture::GraphBar& bar : plot.bars) {
        const RECT column{bar.left, inside.bottom - bar.height, bar.right, inside.bottom};
        (void)::FillRect(dc, &column, static_cast<HBRUSH>(brush.Get()));
    }

    for (const capture::AxisLabel& label : plot.scale) {
        Text(dc, label.text,
             {area.left + M::kMargin, label.position - M::kLineHeight / 2, inside.left - 6,
              label.position + M::kLineHeight / 2},
             DT_RIGHT | DT_VCENTER);
    }
    // Beside the plot: its title, then the current and the peak value.
    const int x = inside.right + 8;
    int y = inside.top - 2;
    for (const std::string* line : {&plot.title, &plot.current, &plot.peak}) {
        Text(dc, *line, {x, y, area.right - M::kMargin, y + M::kLineHeight}, DT_LEFT | DT_TOP);
        y += M::kLineHeight;
    }
}

} // namespace

CTrafficGraph::~CTrafficGraph() {
    if (m_canvas) {
        (void)::SelectObject(m_canvas.Get(), m_canvasDefault); // the bitmap must not be in use when it goes
    }
}

const fw::MessageMap* CTrafficGraph::GetThisMessageMap() {
    static constexpr fw::MessageMapEntry entries[] = {
        fw::OnWmPaint<&CTrafficGraph::OnPaint>(),
        fw::OnWmEraseBkgnd<&CTrafficGraph::OnEraseBkgnd>(),
    };
    static const fw::MessageMap map{&CWnd::GetThisMessageMap, entries};
    return &map;
}

const fw::MessageMap* CTrafficGraph::GetMessageMap() const {
    return GetThisMessageMap();
}

bool CTrafficGraph::Create(HWND parent, int id, const capture::TrafficSeries& series) {
    m_series = &series;
    // No background brush: every paint covers the whole client area.
    const std::string windowClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, ::LoadCursor(nullptr, IDC_ARROW));
    return CreateEx(0, windowClass.c_str(), "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void CTrafficGraph::Refresh(bool live) {
    m_span.live = live;
    if (live && m_series != nullptr) {
        m_span.edgeTime = m_edge.Edge(m_series->LatestTime(), ::GetTickCount());
    }
    (void)::InvalidateRect(m_hWnd, nullptr, FALSE);
}

BOOL CTrafficGraph::OnEraseBkgnd(HDC) {
    return TRUE; // the paint covers it all, in one copy
}

void CTrafficGraph::OnPaint() {
    LARGE_INTEGER start;
    (void)::QueryPerformanceCounter(&start);
    Paint();
    LARGE_INTEGER end;
    LARGE_INTEGER frequency;
    (void)::QueryPerformanceCounter(&end);
    (void)::QueryPerformanceFrequency(&frequency);
    m_paintSeconds += static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void CTrafficGraph::Paint() {
    CPaintDC paint(this);
    RECT client{};
    GetClientRect(&client);
    if (client.right <= 0 || client.bottom <= 0) {
        return;
    }
    if (m_series != nullptr) {
        m_model = capture::BuildGraphModel(*m_series, m_span, client.right, client.bottom);
    }
    if (!m_canvas || m_bitmapSize.cx != client.right || m_bitmapSize.cy != client.bottom) {
        if (m_canvas) {
            (void)::SelectObject(m_canvas.Get(), m_canvasDefault);
        } else {
            m_canvas.Reset(::CreateCompatibleDC(paint.m_hDC));
        }
        m_bitmap.Reset(::CreateCompatibleBitmap(paint.m_hDC, client.right, client.bottom));
        if (!m_canvas || !m_bitmap) {
            Draw(paint.m_hDC, client, m_model); // no memory for the copy: drawn directly, as well as it goes
            return;
        }
        m_canvasDefault = ::SelectObject(m_canvas.Get(), m_bitmap.Get());
        m_bitmapSize = {client.right, client.bottom};
    }
    Draw(m_canvas.Get(), client, m_model);
    (void)::BitBlt(paint.m_hDC, 0, 0, client.right, client.bottom, m_canvas.Get(), 0, 0, SRCCOPY);
}

void CTrafficGraph::Draw(HDC dc, const RECT& area, const capture::GraphModel& model) {
    (void)::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ previousFont = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    (void)::SetBkMode(dc, TRANSPARENT);
    (void)::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    DrawPlot(dc, area, model.datagrams, ::GetSysColor(COLOR_HIGHLIGHT));
    DrawPlot(dc, area, model.bytes, kBytesColour);
    const int y = model.bytes.area.bottom + 3;
    for (const capture::AxisLabel& label : model.time) {
        Text(dc, label.text, {label.position - 40, y, label.position + 40, y + M::kLineHeight}, DT_CENTER | DT_TOP);
    }
    (void)::SelectObject(dc, previousFont);
}
