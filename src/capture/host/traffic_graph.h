// The capture window's traffic graph: datagrams and bytes per second of capture time, each plot with its own
// scale, and the current and peak values beside it. Drawn with GDI into a bitmap of its own and shown with
// one copy, so that it never flickers; the system's colours and the dialog font give it the window's look.
#pragma once

#include <windows.h>

#include "capture/series/graph_model.h"
#include "framework/wnd.h"
#include "platform/handles.h"

class CTrafficGraph : public CWnd {
public:
    CTrafficGraph() = default;
    ~CTrafficGraph() override;

    // Creates the graph as a child window of parent, showing series, which must outlive it.
    [[nodiscard]] bool Create(HWND parent, int id, const capture::TrafficSeries& series);

    // Shows what the series holds now: the last five minutes up to its live edge (see capture::LiveEdge)
    // while a capture runs and its data go on, else the whole capture. Paints at the next chance.
    void Refresh(bool live);
    // A capture starts: the live edge starts again from its first datagram.
    void StartLive() { m_edge.Reset(); }

    // What the graph showed when it was last painted.
    const capture::GraphModel& Model() const { return m_model; }
    // The time spent painting, all paints together, in seconds (for the window's timed run).
    double PaintSeconds() const { return m_paintSeconds; }

    // Draws a model over the whole of area (the graph's client area) in dc.
    static void Draw(HDC dc, const RECT& area, const capture::GraphModel& model);

protected:
    const fw::MessageMap* GetMessageMap() const override;
    static const fw::MessageMap* GetThisMessageMap();

private:
    void OnPaint();
    void Paint();
    BOOL OnEraseBkgnd(HDC dc);

    const capture::TrafficSeries* m_series = nullptr;
    capture::LiveEdge m_edge;
    capture::GraphSpan m_span;
    capture::GraphModel m_model;
    // The picture is drawn here first; kept from one paint to the next while the size stays.
    platform::MemoryDc m_canvas;
    platform::GdiObject m_bitmap;
    HGDIOBJ m_canvasDefault = nullptr; // the bitmap the memory DC was made with
    SIZE m_bitmapSize{};
    double m_paintSeconds = 0;
};
