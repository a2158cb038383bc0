// The capture host's command line: a window (optionally with an adapter filled in), or one headless capture
// whose flows are printed as CSV.
#pragma once

#include <string>
#include <vector>

namespace capture {

struct HostOptions {
    bool console = false;
    std::string adapter; // window: filled into the adapter box; console: the adapter to capture on
    int seconds = 0;     // console: capture for this long; 0 = until the network (or the file) is idle
    bool timing = false; // console: also print, on standard error, when the last datagram was counted
    std::string error;   // not empty: the command line is wrong, and this says how
};

// Arguments after the program name:
//   [ADAPTER]                           the window
//   --console ADAPTER [--seconds N] [--timing]
//                                       one capture, flows and status line printed to standard output
HostOptions ParseHostOptions(const std::vector<std::string>& arguments);

// The usage text printed for a wrong command line.
const char* HostUsage();

} // namespace capture
