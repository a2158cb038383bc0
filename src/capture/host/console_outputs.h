// The files a console capture writes beside the flows it prints: the traffic of each second (--series-out)
// and the history of the flows as they leave the list (--flows-out). While a history is kept or flows are
// exported (--ipfix), the periodic update runs once a second, as the window's timer has it run, so that rows
// idle longer than idleseconds leave the list and reach the history and the collector while the capture runs;
// the flows printed at the end are then those still in the list.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "capture/flows/flow_history.h"
#include "capture/host/host_options.h"
#include "capture/series/series_csv.h"
#include "capture/series/traffic_series.h"

namespace capture_host {

class ConsoleOutputs {
public:
    ConsoleOutputs() = default;
    // Stops listening to theTrafficList.
    ~ConsoleOutputs();
    ConsoleOutputs(const ConsoleOutputs&) = delete;
    ConsoleOutputs& operator=(const ConsoleOutputs&) = delete;

    // Before the capture starts: opens the files the options name, listens to theTrafficList for them, and
    // for a history or an export starts asking for the periodic update. False, with a sentence in error, when a file
    // cannot be opened.
    [[nodiscard]] bool Open(const capture::HostOptions& options, std::string& error);

    // Once the capture has stopped (the rows still there have gone into the history): writes the series and
    // closes both files. False, with a sentence in problems for each, when either could not all be written.
    [[nodiscard]] bool Finish(std::vector<std::string>& problems);

private:
    void StopListening();
    void StopUpdates();

    capture::TrafficSeries m_series;
    capture::SeriesCsvFile m_seriesFile;
    capture::FlowHistoryFile m_history;
    bool m_seriesWanted = false;
    HANDLE m_updateTimer = nullptr; // a timer of the process's timer queue
};

} // namespace capture_host
