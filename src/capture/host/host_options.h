// The capture host's command line: a window (optionally with an adapter filled in), or one headless capture
// whose flows are printed as CSV.
#pragma once

#include <string>
#include <vector>

namespace capture {

struct HostOptions {
    bool console = false;
    bool start = false;     // window: start capturing on the adapter at once
    std::string adapter;    // window: filled into the adapter box; console: the adapter to capture on
    int seconds = 0;        // console: capture for at most this long; 0 = until the adapter's data end
    std::string packetsOut; // also save every received record here (classic libpcap file); window: proposed
    std::string seriesOut;  // console: write the datagrams and bytes of each second here (CSV)
    std::string flowsOut;   // console: append a line here for every flow as it leaves the list (CSV); rows
                            // idle longer than idleseconds then leave it while the capture runs
    bool timing = false;    // print on standard error when the data's end was counted, or shown (window)
    std::string ipfix;      // console: send the flows as IPFIX to this collector, "HOST:PORT"; rows idle longer
                            // than idleseconds then leave the list while the capture runs
    std::string error;      // not empty: the command line is wrong, and this says how
};

// Arguments after the program name:
//   [ADAPTER [--start [--timing]] [--pcap-out FILE]]
//                                       the window, capturing on the adapter at once with --start; with
//                                       --timing it closes itself once the list has shown the data's end;
//                                       --pcap-out fills in where its packets are saved
//   --console ADAPTER [--seconds N] [--pcap-out FILE] [--series-out FILE] [--flows-out FILE]
//             [--ipfix HOST:PORT] [--timing]
//                                       one capture, flows and status line printed to standard output,
//                                       with --ipfix also sent to a flow collector
HostOptions ParseHostOptions(const std::vector<std::string>& arguments);

// The usage text printed for a wrong command line.
const char* HostUsage();

} // namespace capture
