// The capture host's console mode: one capture without any window, then the flows as CSV, the status line
// and the account of every frame on standard output. Needs no display. Its output helpers serve the window's timed run
// too.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "capture/host/host_options.h"

namespace capture_host {

// Captures on options.adapter until its data end (a replayed file or a stream has ended), options.seconds
// have passed or Ctrl+C comes, saving the received records to options.packetsOut, the series to
// options.seriesOut and the flow history to options.flowsOut when they are given; then prints the flows, the
// status line, the account of every frame and the packets dropped. Exit code: 0 done, 1 capture could not
// start (or an output file could not be opened), 3 the packets, the series or the history could not all be
// written, 4 the output could not be written. Message boxes become lines on standard error.
int RunConsoleCapture(const capture::HostOptions& options);

// Exit codes of the console mode beside 0 and 1.
inline constexpr int kExitPacketsNotSaved = 3;
inline constexpr int kExitOutputNotWritten = 4;

// Writes to standard output or standard error, attaching to the parent's console when the process has
// none of its own. False when not all of it could be written, with the system's error code in *error.
bool WriteOutput(const char* text, bool error, DWORD* errorCode = nullptr);

// The line that says what the capture dropped: "Dropped: N", or "Dropped: not measured" when nobody
// counted. Without the line's end.
std::string DroppedLine(bool measured, uint32_t dropped);

// From here on every message box becomes a line on standard error, answered with OK: a run that nobody
// watches must never wait for a click.
void ReportMessageBoxesOnStandardError();

// The seconds between two readings of the performance counter.
double SecondsBetween(const LARGE_INTEGER& from, const LARGE_INTEGER& to);

} // namespace capture_host
