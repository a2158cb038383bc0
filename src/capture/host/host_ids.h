// Control identifiers and texts of the capture host's window, shared with the tests that drive it.
#pragma once

namespace capture_host {

inline constexpr char kWindowCaption[] = "Brisklane Capture";
// The dialog of the "Export flows to collector..." item.
inline constexpr char kCollectorDialogCaption[] = "Export flows to collector";

enum ControlId : int {
    kAdapterBox = 1001,   // editable combo box: the adapter name (a capture file's path for the stand-in)
    kBrowseButton = 1002, // chooses a capture file with the file dialog
    kStartButton = 1003,
    kStopButton = 1004,
    kFilterTcp = 1005, // check boxes, one per setting
    kFilterUdp = 1006,
    kFilterIcmp = 1007,
    kHostNames = 1008,
    kPortNames = 1009,
    kAlwaysOnTop = 1010,
    kUseLogFile = 1011,
    kLogFileEdit = 1012,
    kLogTypeBox = 1013,
    kTrafficList = 1014,       // the owner-data report list of the flows, inside the pane; headers sort it
    kStatusLine = 1015,        // the status bar showing the totals
    kListPane = 1016,          // the plain window holding the list view
    kExportButton = 1017,      // writes the list, in its order, to a CSV file chosen with the file dialog
    kSavePacketsButton = 1018, // chooses, with the file dialog, where to save the received packets
    kSavePacketsEdit = 1019,   // that file (classic libpcap); empty: the packets are not saved
    kTrafficGraph = 1020,      // datagrams and bytes per second of capture time, above the list; can be hidden
    kCollectorEdit = 1021,     // in the collector's dialog: HOST:PORT, empty for no collector
};

// Commands of the window's menu bar.
enum MenuCommand : int {
    kSaveSeriesCommand = 2001,  // File: writes the per-second series of the current or last capture as CSV
    kKeepHistoryCommand = 2002, // File: the file the next captures append their flows' history to (checked
                                // while one is chosen; choosing it then stops keeping the history)
    kExitCommand = 2003,        // File: closes the window
    kCollectorCommand = 2004,   // File: asks where the flows of each capture go as IPFIX
    kShowGraphCommand = 2101,   // View: shows or hides the traffic graph (checked while shown)
};

} // namespace capture_host
