// The capture host's window: adapter choice, start and stop, settings, the list of flows and the totals.
#include "capture/host/capture_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <span>
#include <vector>

#include "capture/engine/capture_engine.h"
#include "capture/engine/packet_library.h"
#include "capture/flows/flow_csv.h"
#include "capture/flows/list_view_view.h"
#include "capture/flows/traffic_list.h"
#include "capture/host/collector_prompt.h"
#include "capture/host/graph_preference.h"
#include "capture/host/host_ids.h"
#include "capture/names/services_parser.h"
#include "capture/series/series_csv.h"
#include "capture/settings/settings.h"
#include "framework/cmd_ui.h"
#include "framework/menu.h"
#include "framework/message_box.h"
#include "framework/message_map.h"

using namespace capture_host;

namespace {

constexpr UINT_PTR kUpdateTimer = 1;
constexpr UINT kUpdateMilliseconds = 1000;
constexpr int kMargin = 8;
constexpr int kRowHeight = 24;
constexpr int kListTop = 3 * kRowHeight + 2 * kMargin;
// The traffic graph, when shown, sits between the settings and the list.
constexpr int kGraphHeight = 170;
// The status line's first part holds the totals; the second the capture's own figures (the frames' account
// and what the capture dropped); the third says what the user should know about the capture file or the
// settings.
constexpr int kTotalsPartWidth = 340;
constexpr int kFiguresPartWidth = 420;
constexpr WPARAM kFiguresPart = 1;
constexpr WPARAM kNotePart = 2;

struct ColumnLayout {
    const char* heading;
    int32_t capture::SettingsValues::*width; // its key in the settings section "list"
    int format;
};

// In column order; the flow table fills them by these indices.
constexpr ColumnLayout kColumns[] = {
    {"Source", &capture::SettingsValues::srcaddr, LVCFMT_LEFT},
    {"Src port", &capture::SettingsValues::srcport, LVCFMT_LEFT},
    {"Destination", &capture::SettingsValues::destaddr, LVCFMT_LEFT},
    {"Dst port", &capture::SettingsValues::destport, LVCFMT_LEFT},
    {"Protocol", &capture::SettingsValues::proto, LVCFMT_LEFT},
    {"Bytes", &capture::SettingsValues::traffic, LVCFMT_RIGHT},
    {"Bytes/update", &capture::SettingsValues::bs, LVCFMT_RIGHT},
    {"Bytes/s", &capture::SettingsValues::abs, LVCFMT_RIGHT},
};

constexpr const char* kLogTypes[] = {
    "Hex and text, whole datagram",
    "Raw, whole datagram",
    "Hex, whole datagram",
    "Hex and text, payload",
    "Raw, payload",
    "Hex, payload",
    "Record heads only",
};

struct CheckSetting {
    int id;
    const char* text;
    int width;
    int32_t capture::SettingsValues::*value;
};

constexpr CheckSetting kChecks[] = {
    {kFilterTcp, "Ignore TCP", 90, &capture::SettingsValues::filtertcp},
    {kFilterUdp, "Ignore UDP", 90, &capture::SettingsValues::filterudp},
    {kFilterIcmp, "Ignore ICMP", 95, &capture::SettingsValues::filtericmp},
    {kHostNames, "Host names", 95, &capture::SettingsValues::nsresolve},
    {kPortNames, "Service names", 110, &capture::SettingsValues::portresolve},
    {kAlwaysOnTop, "Always on top", 110, &capture::SettingsValues::alwaysontop},
};

constexpr char kListPaneClass[] = "BrisklaneFlowPane";

// One item of a popup of the menu bar; id 0 is a separator.
struct MenuItem {
    int id;
    const char* text;
};

constexpr MenuItem kFileMenu[] = {
    {kSaveSeriesCommand, "Save &series to..."},
    {kKeepHistoryCommand, "&Keep history in..."},
    {kCollectorCommand, "Export flows to &collector..."},
    {0, nullptr},
    {kExitCommand, "E&xit"},
};

constexpr MenuItem kViewMenu[] = {
    {kShowGraphCommand, "Traffic &graph"},
};

// The window's menu bar, popup by popup from the tables above. The window it is given to destroys it.
HMENU CreateMenuBar() {
    HMENU bar = ::CreateMenu();
    const auto addPopup = [bar](const char* title, std::span<const MenuItem> items) {
        HMENU popup = ::CreatePopupMenu();
        for (const MenuItem& item : items) {
            (void)::AppendMenuA(popup, item.id == 0 ? MF_SEPARATOR : MF_STRING, static_cast<UINT_PTR>(item.id),
                                item.text);
        }
        (void)::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), title);
    };
    addPopup("&File", kFileMenu);
    addPopup("&View", kViewMenu);
    return bar;
}

// The list view's parent. The list asks for the text of every cell it paints; those questions end here, in
// a plain procedure, instead of passing through the window's message map.
LRESULT CALLBACK ListPaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_SIZE:
        (void)::MoveWindow(::GetDlgItem(pane, kTrafficList), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        LRESULT result = 0;
        // A sort that runs out of memory leaves the order as it was; nothing unwinds into the list view.
        try {
            if (header.idFrom == kTrafficList && capture::AnswerListNotify(theTrafficList, header, result)) {
                return result;
            }
        } catch (...) {
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return ::DefWindowProcA(pane, message, wParam, lParam);
}

} // namespace

CCaptureWindow::~CCaptureWindow() {
    if (m_capturing) {
        (void)StopCapture();
        (void)m_export.EndCapture(); // the table lets go of the exporter before it goes
    }
    StopListening(false);
    theTrafficList.UseNames(nullptr);
    theTrafficList.ListView().SetOnStatus(nullptr);
}

const fw::MessageMap* CCaptureWindow::GetThisMessageMap() {
    static constexpr fw::MessageMapEntry entries[] = {
        fw::OnCommand<&CCaptureWindow::OnStart>(kStartButton),
        fw::OnCommand<&CCaptureWindow::OnStop>(kStopButton),
        fw::OnCommand<&CCaptureWindow::OnBrowse>(kBrowseButton),
        fw::OnCommand<&CCaptureWindow::OnExport>(kExportButton),
        fw::OnCommand<&CCaptureWindow::OnSavePackets>(kSavePacketsButton),
        fw::OnCommand<&CCaptureWindow::OnFilter>(kFilterTcp),
        fw::OnCommand<&CCaptureWindow::OnFilter>(kFilterUdp),
        fw::OnCommand<&CCaptureWindow::OnFilter>(kFilterIcmp),
        fw::OnCommand<&CCaptureWindow::OnAlwaysOnTop>(kAlwaysOnTop),
        fw::OnCommand<&CCaptureWindow::OnSaveSeries>(kSaveSeriesCommand),
        fw::OnCommand<&CCaptureWindow::OnKeepHistory>(kKeepHistoryCommand),
        fw::OnUpdateCommand<&CCaptureWindow::OnUpdateKeepHistory>(kKeepHistoryCommand),
        fw::OnCommand<&CCaptureWindow::OnExportToCollector>(kCollectorCommand),
        fw::OnUpdateCommand<&CCaptureWindow::OnUpdateExportToCollector>(kCollectorCommand),
        fw::OnCommand<&CCaptureWindow::OnExit>(kExitCommand),
        fw::OnCommand<&CCaptureWindow::OnShowGraph>(kShowGraphCommand),
        fw::OnUpdateCommand<&CCaptureWindow::OnUpdateShowGraph>(kShowGraphCommand),
        fw::OnWmInitMenuPopup<&CCaptureWindow::OnInitMenuPopup>(),
        fw::OnWmTimer<&CCaptureWindow::OnTimer>(),
        fw::OnMessage<&CCaptureWindow::OnSize>(WM_SIZE),
        fw::OnMessage<&CCaptureWindow::OnClose>(WM_CLOSE),
        fw::OnMessage<&CCaptureWindow::OnDestroy>(WM_DESTROY),
    };
    static const fw::MessageMap map{&CWnd::GetThisMessageMap, entries};
    return &map;
}

const fw::MessageMap* CCaptureWindow::GetMessageMap() const {
    return GetThisMessageMap();
}

bool CCaptureWindow::Create(bool visible) {
    m_quitOnDestroy = visible;
    const std::string windowClass =
        AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, LoadCursor(nullptr, IDC_ARROW),
                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), LoadIcon(nullptr, IDI_APPLICATION));
    // The saved place applies when all four edges were saved; otherwise the system chooses.
    const bool placed = theSettings.left != -1 && theSettings.top != -1 && theSettings.right > theSettings.left &&
                        theSettings.bottom > theSettings.top;
    const int x = placed ? theSettings.left : CW_USEDEFAULT;
    const int y = placed ? theSettings.top : CW_USEDEFAULT;
    const int width = placed ? theSettings.right - theSettings.left : 960;
    const int height = placed ? theSettings.bottom - theSettings.top : 600;
    m_graphShown = capture_host::LoadGraphShown();
    if (!CreateEx(theSettings.alwaysontop != 0 ? WS_EX_TOPMOST : 0, windowClass.c_str(), kWindowCaption,
                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, width, height, nullptr, CreateMenuBar())) {
        return false;
    }
    CreateControls();
    CreateColumns();
    ShowSettings();
    EnableForState();
    LayOut();
    // Told now rather than at exit, when the window is gone and changes made in it are lost.
    const std::string problem = theSettings.SaveProblem();
    if (!problem.empty()) {
        m_settingsNote = "The settings will not be saved: " + problem;
    }
    ShowNote(m_settingsNote);
    if (visible) {
        const int show = theSettings.status == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
        (void)ShowWindow(show);
        UpdateWindow();
    }
    return true;
}

HWND CCaptureWindow::AddControl(const char* className, const char* text, DWORD style, int id, int x, int y, int width,
                                int height, HWND parent) {
    HWND control = ::CreateWindowExA(
        0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent != nullptr ? parent : m_hWnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    (void)::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
}

void CCaptureWindow::CreateControls() {
    int x = kMargin;
    const int row1 = kMargin;
    (void)AddControl("STATIC", "Adapter:", SS_LEFT, -1, x, row1 + 4, 55, 16);
    x += 58;
    m_adapterBox = AddControl(WC_COMBOBOXA, "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, kAdapterBox,
                              x, row1, 520, 200);
    for (const capture::AdapterName& adapter : capture::ListPacketAdapters()) {
        (void)::SendMessageA(m_adapterBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(adapter.name.c_str()));
    }
    x += 526;
    (void)AddControl(WC_BUTTONA, "Browse...", BS_PUSHBUTTON | WS_TABSTOP, kBrowseButton, x, row1, 80, 23);
    x += 86;
    (void)AddControl(WC_BUTTONA, "Start", BS_DEFPUSHBUTTON | WS_TABSTOP, kStartButton, x, row1, 70, 23);
    x += 76;
    (void)AddControl(WC_BUTTONA, "Stop", BS_PUSHBUTTON | WS_TABSTOP, kStopButton, x, row1, 70, 23);
    x += 76;
    (void)AddControl(WC_BUTTONA, "Export...", BS_PUSHBUTTON | WS_TABSTOP, kExportButton, x, row1, 80, 23);

    x = kMargin;
    const int row2 = row1 + kRowHeight + 4;
    for (const CheckSetting& check : kChecks) {
        (void)AddControl(WC_BUTTONA, check.text, BS_AUTOCHECKBOX | WS_TABSTOP, check.id, x, row2, check.width, 20);
        x += check.width + 6;
    }
    (void)AddControl(WC_BUTTONA, "Save packets to...", BS_PUSHBUTTON | WS_TABSTOP, kSavePacketsButton, x, row2 - 2, 115,
                     23);
    x += 121;
    m_savePacketsEdit =
        AddControl(WC_EDITA, "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, kSavePacketsEdit, x, row2 - 1, 180, 21);

    x = kMargin;
    const int row3 = row2 + kRowHeight;
    (void)AddControl(WC_BUTTONA, "Write log:", BS_AUTOCHECKBOX | WS_TABSTOP, kUseLogFile, x, row3, 80, 20);
    x += 84;
    m_logFileEdit = AddControl(WC_EDITA, "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, kLogFileEdit, x, row3, 420, 21);
    x += 426;
    m_logTypeBox =
        AddControl(WC_COMBOBOXA, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kLogTypeBox, x, row3, 220, 200);
    for (const char* type : kLogTypes) {
        (void)::SendMessageA(m_logTypeBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(type));
    }

    WNDCLASSA paneClass{};
    paneClass.lpfnWndProc = ListPaneProc;
    paneClass.hInstance = ::GetModuleHandleA(nullptr);
    paneClass.lpszClassName = kListPaneClass;
    (void)::RegisterClassA(&paneClass); // fails harmlessly once the class exists
    if (m_graph.Create(m_hWnd, kTrafficGraph, m_series)) {
        (void)m_graph.ShowWindow(m_graphShown ? SW_SHOWNA : SW_HIDE);
    }
    m_listPane = AddControl(kListPaneClass, "", WS_CLIPCHILDREN, kListPane, 0, kListTop, 100, 100);
    // Owner data: the list holds no rows of its own and asks the traffic list for the cells it shows.
    m_listView = AddControl(WC_LISTVIEWA, "", LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
                            kTrafficList, 0, 0, 100, 100, m_listPane);
    (void)::SendMessageA(m_listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    // A name that arrives repaints the list; the rows keep their order, which goes by address.
    m_names.SetOnName([list = m_listView] { (void)::InvalidateRect(list, nullptr, FALSE); });
    m_statusBar =
        AddControl(STATUSCLASSNAMEA, "All packets: 0     Total bytes: 0", SBARS_SIZEGRIP, kStatusLine, 0, 0, 0, 0);
}

void CCaptureWindow::CreateColumns() {
    int index = 0;
    for (const ColumnLayout& layout : kColumns) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = index == 0 ? LVCFMT_LEFT : layout.format; // the first column is always left-aligned
        column.cx = theSettings.*layout.width > 0 ? theSettings.*layout.width : 80;
        column.pszText = const_cast<char*>(layout.heading);
        column.iSubItem = index;
        (void)::SendMessageA(m_listView, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(&column));
        ++index;
    }
}

void CCaptureWindow::ShowSettings() {
    for (const CheckSetting& check : kChecks) {
        CheckDlgButton(check.id, theSettings.*check.value != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
    ShowLogSwitch();
    (void)::SetWindowTextA(m_logFileEdit, theSettings.logfile);
    (void)::SendMessageA(m_logTypeBox, CB_SETCURSEL, static_cast<WPARAM>(theSettings.logtype), 0);
}

void CCaptureWindow::ShowLogSwitch() {
    CheckDlgButton(kUseLogFile, capture::LoadShared(theSettings.uselogfile) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

// Name lookups and the log are set up when capture starts; while it runs their controls rest.
void CCaptureWindow::EnableForState() {
    const BOOL idle = m_capturing ? FALSE : TRUE;
    for (int id : {kAdapterBox, kBrowseButton, kStartButton, kHostNames, kPortNames, kUseLogFile, kLogFileEdit,
                   kLogTypeBox, kSavePacketsButton, kSavePacketsEdit}) {
        (void)::EnableWindow(::GetDlgItem(m_hWnd, id), idle);
    }
    (void)::EnableWindow(::GetDlgItem(m_hWnd, kStopButton), m_capturing ? TRUE : FALSE);
}

void CCaptureWindow::LayOut() {
    RECT client;
    GetClientRect(&client);
    (void)::SendMessageA(m_statusBar, WM_SIZE, 0, 0);
    const int parts[] = {kTotalsPartWidth, kTotalsPartWidth + kFiguresPartWidth, -1};
    (void)::SendMessageA(m_statusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    RECT status{};
    (void)::GetWindowRect(m_statusBar, &status);
    const int graphHeight = m_graphShown ? kGraphHeight : 0;
    (void)::MoveWindow(m_graph.m_hWnd, 0, kListTop, client.right, graphHeight, TRUE);
    const int listTop = kListTop + graphHeight;
    const int listHeight = client.bottom - listTop - (status.bottom - status.top);
    (void)::MoveWindow(m_listPane, 0, listTop, client.right, listHeight > 0 ? listHeight : 0, TRUE);
}

std::string CCaptureWindow::CaptureFiguresText() const {
    uint32_t dropped = 0;
    const bool measured = QueryCaptureDrops(dropped);
    return capture::FormatFramesShort(CaptureFrameFigures()) + "; " +
           (measured ? std::to_string(dropped) + " dropped" : std::string("drops not measured"));
}

void CCaptureWindow::ShowCaptureFigures() {
    std::string text = CaptureFiguresText();
    if (text != m_figuresText) { // an unchanged part is not painted again
        m_figuresText = std::move(text);
        (void)::SendMessageA(m_statusBar, SB_SETTEXTA, kFiguresPart, reinterpret_cast<LPARAM>(m_figuresText.c_str()));
    }
}

void CCaptureWindow::ShowNote(const std::string& note) {
    (void)::SendMessageA(m_statusBar, SB_SETTEXTA, kNotePart, reinterpret_cast<LPARAM>(note.c_str()));
}

void CCaptureWindow::ShowLibraryNotes() {
    const std::vector<std::string> notes = capture::TakePacketLibraryNotes();
    if (!notes.empty()) {
        ShowNote(notes.back()); // the latest; the debugger's output has them all
    }
}

void CCaptureWindow::SetAdapter(const std::string& adapter) {
    (void)::SetWindowTextA(m_adapterBox, adapter.c_str());
}

void CCaptureWindow::SetPacketsFile(const std::string& path) {
    (void)::SetWindowTextA(m_savePacketsEdit, path.c_str());
}

bool CCaptureWindow::StartCapturing() {
    if (m_capturing) {
        return true;
    }
    char adapter[1024] = {};
    (void)::GetWindowTextA(m_adapterBox, adapter, sizeof adapter);
    // The settings the capture runs with: what the controls show now.
    OnFilter();
    theSettings.nsresolve = IsDlgButtonChecked(kHostNames) == BST_CHECKED ? 1 : 0;
    theSettings.portresolve = IsDlgButtonChecked(kPortNames) == BST_CHECKED ? 1 : 0;
    // The resolver thread looks names up through the cache, so capture never waits for one.
    (void)theNameCache.SetEnabled(theSettings.nsresolve);
    theTrafficList.UseNames(&m_names);
    (void)theServicesParser.SetEnabled(theSettings.portresolve);
    theSettings.uselogfile = IsDlgButtonChecked(kUseLogFile) == BST_CHECKED ? 1 : 0;
    (void)::GetWindowTextA(m_logFileEdit, theSettings.logfile, sizeof theSettings.logfile);
    const LRESULT logType = ::SendMessageA(m_logTypeBox, CB_GETCURSEL, 0, 0);
    theSettings.logtype = logType >= 0 ? static_cast<int32_t>(logType) : 0;

    trafficListView = m_listView;
    statusWindow = m_statusBar;
    (void)::SetWindowTextA(m_statusBar, "All packets: 0     Total bytes: 0");
    (void)capture::TakePacketLibraryNotes(); // what was said about an earlier capture
    ShowNote(m_settingsNote);
    theTrafficList.ListView().SetOnStatus([this] { ShowCaptureFigures(); });
    char packetsPath[MAX_PATH] = {};
    (void)::GetWindowTextA(m_savePacketsEdit, packetsPath, sizeof packetsPath);
    if (!StartListening()) {
        return false;
    }
    const std::string exportNote = m_export.StartCapture(adapter);
    if (!exportNote.empty() && m_settingsNote.empty()) {
        ShowNote(exportNote);
    }
    if (StartCapture(adapter, packetsPath) != 0) {
        // A thread that could not be started leaves the engine to be released by a stop.
        (void)StopCapture();
        StopListening(true);
        (void)m_export.EndCapture();
        ShowSettings();     // the log setting may have been switched off
        ShowLibraryNotes(); // why the file could not be opened, beside the error code in the message box
        ShowCaptureFigures();
        return false;
    }
    m_capturing = true;
    (void)SetTimer(kUpdateTimer, kUpdateMilliseconds);
    ShowCaptureFigures();
    ShowSettings();
    ShowLibraryNotes();
    EnableForState();
    return true;
}

void CCaptureWindow::StopCapturing(const std::function<void()>& lastLook) {
    if (!m_capturing) {
        return;
    }
    (void)KillTimer(kUpdateTimer);
    (void)StopCapture(lastLook); // packets that could not all be saved have been reported
    m_capturing = false;
    ShowCaptureFigures(); // the last capture's figures stay in view
    StopListening(true);  // after the rows still there have gone into the history
    RefreshGraph();
    ShowLogSwitch(); // a log that could not be opened again switched logging off, for the saved settings too
    ShowLibraryNotes();
    // The flows left at the end have just been recorded; they are sent before the window goes on.
    const std::string exportNote = m_export.EndCapture();
    if (!exportNote.empty()) {
        ShowNote(exportNote);
    }
    EnableForState();
}

bool CCaptureWindow::ReadFlows(std::string& csv, std::string& status) const {
    const auto rows = static_cast<std::size_t>(::SendMessageA(m_listView, LVM_GETITEMCOUNT, 0, 0));
    if (rows != theTrafficList.RowCount()) {
        csv = "the list shows " + std::to_string(rows) + " rows, the table holds " +
              std::to_string(theTrafficList.RowCount());
        return false;
    }
    csv = capture::FormatFlowCsv(capture::FlowLinesOf(theTrafficList));
    char text[300] = {};
    (void)::GetWindowTextA(m_statusBar, text, sizeof text);
    status = text;
    return true;
}

bool CCaptureWindow::ExportFlows(const std::string& path) const {
    const std::string csv = capture::FormatFlowCsvInOrder(capture::FlowLinesInListOrder(theTrafficList));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(csv.data(), 1, csv.size(), file) == csv.size();
    return std::fclose(file) == 0 && written;
}

void CCaptureWindow::SaveWindowSettings() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (::GetWindowPlacement(m_hWnd, &placement)) {
        theSettings.left = placement.rcNormalPosition.left;
        theSettings.top = placement.rcNormalPosition.top;
        theSettings.right = placement.rcNormalPosition.right;
        theSettings.bottom = placement.rcNormalPosition.bottom;
        theSettings.status = placement.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    }
    int index = 0;
    for (const ColumnLayout& layout : kColumns) {
        const auto width = static_cast<int32_t>(::SendMessageA(m_listView, LVM_GETCOLUMNWIDTH, index++, 0));
        if (width > 0) {
            theSettings.*layout.width = width;
        }
    }
    for (const CheckSetting& check : kChecks) {
        theSettings.*check.value = IsDlgButtonChecked(check.id) == BST_CHECKED ? 1 : 0;
    }
    theSettings.uselogfile = IsDlgButtonChecked(kUseLogFile) == BST_CHECKED ? 1 : 0;
    (void)::GetWindowTextA(m_logFileEdit, theSettings.logfile, sizeof theSettings.logfile);
    const LRESULT logType = ::SendMessageA(m_logTypeBox, CB_GETCURSEL, 0, 0);
    theSettings.logtype = logType >= 0 ? static_cast<int32_t>(logType) : 0;
}

void CCaptureWindow::OnStart() {
    (void)StartCapturing();
}

void CCaptureWindow::OnStop() {
    StopCapturing();
}

namespace {

// One question of the system's file dialog.
struct FileQuestion {
    const char* title;
    const char* filter;           // pairs of zero-terminated texts, ended by an empty one
    const char* defaultExtension; // null: none
    DWORD flags;
    bool save;
};

// Asks for a file; `path` holds the proposal before and the answer after. False when the person cancels.
bool AskForFile(HWND owner, const FileQuestion& question, char (&path)[MAX_PATH]) {
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = question.filter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrDefExt = question.defaultExtension;
    dialog.lpstrTitle = question.title;
    dialog.Flags = question.flags | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    return (question.save ? ::GetSaveFileNameA(&dialog) : ::GetOpenFileNameA(&dialog)) != FALSE;
}

// Captures are opened in either format; received packets are saved as classic libpcap files.
constexpr char kOpenCaptureFilter[] = "Capture files (*.pcap;*.pcapng)\0*.pcap;*.pcapng\0All files (*.*)\0*.*\0";
constexpr char kCaptureFilter[] = "Capture files (*.pcap)\0*.pcap\0All files (*.*)\0*.*\0";
constexpr char kCsvFilter[] = "CSV files (*.csv)\0*.csv\0All files (*.*)\0*.*\0";

} // namespace

void CCaptureWindow::OnBrowse() {
    char path[MAX_PATH] = {};
    if (AskForFile(m_hWnd, {"Choose a capture file", kOpenCaptureFilter, nullptr, OFN_FILEMUSTEXIST, false}, path)) {
        SetAdapter(path);
    }
}

void CCaptureWindow::OnExport() {
    char path[MAX_PATH] = "flows.csv";
    const FileQuestion question{"Export the list", "CSV files (*.csv)\0*.csv\0All files (*.*)\0*.*\0", "csv",
                                OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR, true};
    if (!AskForFile(m_hWnd, question, path)) {
        return;
    }
    if (!ExportFlows(path)) {
        (void)fw::ShowMessageBox(m_hWnd, (std::string("Cannot write \"") + path + "\".").c_str(), kWindowCaption,
                                 MB_OK | MB_ICONERROR);
    }
}

void CCaptureWindow::OnSavePackets() {
    char path[MAX_PATH] = {};
    (void)::GetWindowTextA(m_savePacketsEdit, path, sizeof path);
    if (AskForFile(m_hWnd, {"Save the received packets to", kCaptureFilter, "pcap", OFN_OVERWRITEPROMPT, true}, path)) {
        (void)::SetWindowTextA(m_savePacketsEdit, path);
    }
}

bool CCaptureWindow::StartListening() {
    if (!m_historyPath.empty()) {
        std::string error;
        if (!m_history.Open(m_historyPath, error)) {
            (void)fw::ShowMessageBox(m_hWnd, ("The flow history cannot be kept: " + error).c_str(), kWindowCaption,
                                     MB_OK | MB_ICONERROR);
            return false;
        }
        theTrafficList.AddListener(&m_history);
    }
    // A new capture, a new series: the last one's goes now.
    m_series.Reset();
    theTrafficList.AddListener(&m_series);
    m_graph.StartLive();
    return true;
}

void CCaptureWindow::StopListening(bool report) {
    theTrafficList.RemoveListener(&m_series);
    theTrafficList.RemoveListener(&m_history);
    std::string error;
    if (!m_history.Close(error) && report) {
        (void)fw::ShowMessageBox(m_hWnd, ("The flow history could not all be written: " + error).c_str(),
                                 kWindowCaption, MB_OK | MB_ICONERROR);
    }
}

void CCaptureWindow::RefreshGraph() {
    // Live while the capture runs on; once its data have ended or it stopped, the whole of it.
    m_graph.Refresh(m_capturing && !WaitForCaptureEnd(0));
}

bool CCaptureWindow::SaveSeries(const std::string& path, std::string& error) const {
    capture::SeriesCsvFile file;
    return file.Create(path, error) && file.Save(m_series, error);
}

void CCaptureWindow::OnSaveSeries() {
    char path[MAX_PATH] = "series.csv";
    const FileQuestion question{"Save the traffic of each second", kCsvFilter, "csv",
                                OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR, true};
    if (!AskForFile(m_hWnd, question, path)) {
        return;
    }
    std::string error;
    if (!SaveSeries(path, error)) {
        (void)fw::ShowMessageBox(m_hWnd, ("The series cannot be written: " + error).c_str(), kWindowCaption,
                                 MB_OK | MB_ICONERROR);
    }
}

void CCaptureWindow::OnKeepHistory() {
    if (m_capturing) {
        return; // the history's file is chosen between captures
    }
    if (!m_historyPath.empty()) {
        m_historyPath.clear();
        return;
    }
    // The lines are appended: an existing file is no reason to ask.
    char path[MAX_PATH] = "history.csv";
    if (AskForFile(m_hWnd, {"Keep the history of the flows in", kCsvFilter, "csv", OFN_NOCHANGEDIR, true}, path)) {
        m_historyPath = path;
    }
}

void CCaptureWindow::OnUpdateKeepHistory(CCmdUI* ui) {
    ui->SetCheck(m_historyPath.empty() ? 0 : 1);
    ui->Enable(m_capturing ? FALSE : TRUE);
}

void CCaptureWindow::OnExit() {
    (void)SendMessage(WM_CLOSE);
}

void CCaptureWindow::OnShowGraph() {
    m_graphShown = !m_graphShown;
    (void)m_graph.ShowWindow(m_graphShown ? SW_SHOWNA : SW_HIDE);
    LayOut();
    RefreshGraph();
    // A registry that refuses the value leaves the choice to this run; nothing else depends on it.
    (void)capture_host::SaveGraphShown(m_graphShown);
}

void CCaptureWindow::OnUpdateShowGraph(CCmdUI* ui) {
    ui->SetCheck(m_graphShown ? 1 : 0);
}

void CCaptureWindow::OnInitMenuPopup(CMenu* popup, UINT, BOOL isSystemMenu) {
    if (popup == nullptr || isSystemMenu) {
        return;
    }
    CMenu bar = CMenu::Borrow(GetMenu());
    fw::UpdatePopupCommands(*this, *popup, &bar);
}

void CCaptureWindow::OnExportToCollector() {
    std::string note;
    if (!m_capturing && m_export.Choose(m_hWnd, note)) {
        ShowNote(note);
    }
}

// The collector is set up when capture starts, like the log and the history.
void CCaptureWindow::OnUpdateExportToCollector(CCmdUI* ui) {
    ui->Enable(m_capturing ? FALSE : TRUE);
}

void CCaptureWindow::OnFilter() {
    capture::StoreShared(theSettings.filtertcp, IsDlgButtonChecked(kFilterTcp) == BST_CHECKED ? 1 : 0);
    capture::StoreShared(theSettings.filterudp, IsDlgButtonChecked(kFilterUdp) == BST_CHECKED ? 1 : 0);
    capture::StoreShared(theSettings.filtericmp, IsDlgButtonChecked(kFilterIcmp) == BST_CHECKED ? 1 : 0);
}

void CCaptureWindow::OnAlwaysOnTop() {
    theSettings.alwaysontop = IsDlgButtonChecked(kAlwaysOnTop) == BST_CHECKED ? 1 : 0;
    (void)::SetWindowPos(m_hWnd, theSettings.alwaysontop != 0 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CCaptureWindow::OnTimer(UINT_PTR id) {
    if (id == kUpdateTimer) {
        updateDue = 1;
        ShowCaptureFigures(); // skipped frames change no totals
        RefreshGraph();
        ShowLogSwitch();
        ShowLibraryNotes();                                 // e.g. that the file ended inside a record
        const std::string exportNote = m_export.TakeNote(); // e.g. that no collector answers
        if (!exportNote.empty()) {
            ShowNote(exportNote);
        }
    }
}

void CCaptureWindow::OnSize(WPARAM, LPARAM) {
    LayOut();
}

void CCaptureWindow::OnClose() {
    StopCapturing();
    SaveWindowSettings();
    (void)DestroyWindow();
}

void CCaptureWindow::OnDestroy() {
    // A lookup in hand may wait for the resolver for many seconds; the window does not wait with it.
    m_names.Abandon();
    if (m_quitOnDestroy) {
        ::PostQuitMessage(0);
    }
}

void CCaptureWindow::PostNcDestroy() {
    trafficListView = nullptr;
    statusWindow = nullptr;
    theTrafficList.UseNames(nullptr);
    theTrafficList.ListView().SetOnStatus(nullptr);
}
