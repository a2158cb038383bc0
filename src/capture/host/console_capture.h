// The capture host's console mode: one capture without any window, then the flows as CSV and the status
// line on standard output. Needs no display. Its output helpers serve the window's timed run too.
#pragma once

#include <windows.h>

#include "capture/host/host_options.h"

namespace capture_host {

// Captures on options.adapter until its data end (a replayed file or a stream has ended) or options.seconds
// have passed, saving the received records to options.packetsOut, the series to options.seriesOut and the
// flow history to options.flowsOut when they are given. Exit code: 0 done, 1 capture could not start (or an
// output file could not be opened), 3 the packets, the series or the history could not all be written.
// Message boxes become lines on standard error.
int RunConsoleCapture(const capture::HostOptions& options);

// Writes to standard output or standard error, attaching to the parent's console when the process has
// none of its own.
void WriteOutput(const char* text, bool error);

// From here on every message box becomes a line on standard error, answered with OK: a run that nobody
// watches must never wait for a click.
void ReportMessageBoxesOnStandardError();

// The seconds between two readings of the performance counter.
double SecondsBetween(const LARGE_INTEGER& from, const LARGE_INTEGER& to);

} // namespace capture_host
