// The files a console capture writes beside the flows it prints.
#include "capture/host/console_outputs.h"

#include <string>

#include "capture/flows/traffic_counters.h"
#include "capture/flows/traffic_list.h"

namespace capture_host {

namespace {

constexpr DWORD kUpdateMilliseconds = 1000;

void CALLBACK AskForUpdate(void*, BOOLEAN) {
    updateDue = 1;
}

} // namespace

ConsoleOutputs::~ConsoleOutputs() {
    StopUpdates();
    StopListening();
}

bool ConsoleOutputs::Open(const capture::HostOptions& options, std::string& error) {
    if (!options.seriesOut.empty()) {
        if (!m_seriesFile.Create(options.seriesOut, error)) {
            error = "The series cannot be written: " + error;
            return false;
        }
        m_seriesWanted = true;
        theTrafficList.AddListener(&m_series);
    }
    if (!options.flowsOut.empty()) {
        if (!m_history.Open(options.flowsOut, error)) {
            error = "The flow history cannot be kept: " + error;
            StopListening();
            return false;
        }
        theTrafficList.AddListener(&m_history);
    }
    // The history and the collector hear of a flow as it leaves the list: idle rows go at the periodic
    // update, which the console then runs once a second, as the window does.
    if ((!options.flowsOut.empty() || !options.ipfix.empty()) &&
        !CreateTimerQueueTimer(&m_updateTimer, nullptr, AskForUpdate, nullptr, kUpdateMilliseconds, kUpdateMilliseconds,
                               WT_EXECUTEDEFAULT)) {
        m_updateTimer = nullptr;
        error = "The periodic update of the list cannot be started";
        StopListening();
        return false;
    }
    return true;
}

void ConsoleOutputs::StopListening() {
    theTrafficList.RemoveListener(&m_series);
    theTrafficList.RemoveListener(&m_history);
}

void ConsoleOutputs::StopUpdates() {
    if (m_updateTimer != nullptr) {
        // Waits for a callback that runs at this moment.
        (void)DeleteTimerQueueTimer(nullptr, m_updateTimer, INVALID_HANDLE_VALUE);
        m_updateTimer = nullptr;
    }
}

bool ConsoleOutputs::Finish(std::vector<std::string>& problems) {
    StopUpdates();
    StopListening();
    std::string error;
    if (m_seriesWanted && !m_seriesFile.Save(m_series, error)) {
        problems.push_back("The series could not all be written: " + error);
    }
    if (!m_history.Close(error)) {
        problems.push_back("The flow history could not all be written: " + error);
    }
    return problems.empty();
}

} // namespace capture_host
