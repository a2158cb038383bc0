// The capture host's command line.
#include "capture/host/host_options.h"

#include <cerrno>
#include <cstdlib>

#include "capture/export/collector_address.h"

namespace capture {

const char* HostUsage() {
    return "usage: BrisklaneCapture [ADAPTER [--start [--timing]] [--pcap-out FILE]]\n"
           "       BrisklaneCapture --console ADAPTER [--seconds N] [--pcap-out FILE] [--series-out FILE]\n"
           "                        [--flows-out FILE] [--ipfix HOST:PORT] [--timing]\n";
}

HostOptions ParseHostOptions(const std::vector<std::string>& arguments) {
    HostOptions options;
    bool haveSeconds = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--console") {
            options.console = true;
        } else if (argument == "--timing") {
            options.timing = true;
        } else if (argument == "--start") {
            options.start = true;
        } else if (argument == "--seconds") {
            if (i + 1 == arguments.size()) {
                options.error = "--seconds needs a number";
                return options;
            }
            const std::string& text = arguments[++i];
            char* end = nullptr;
            errno = 0;
            const long value = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || errno != 0 || value < 1 || value > 86400) {
                options.error = "--seconds takes a whole number from 1 to 86400, not \"" + text + "\"";
                return options;
            }
            options.seconds = static_cast<int>(value);
            haveSeconds = true;
        } else if (argument == "--pcap-out" || argument == "--series-out" || argument == "--flows-out") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
                options.error = argument + " needs a file name";
                return options;
            }
            std::string& file = argument == "--pcap-out"     ? options.packetsOut
                                : argument == "--series-out" ? options.seriesOut
                                                             : options.flowsOut;
            file = arguments[++i];
        } else if (argument == "--ipfix") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
                options.error = "--ipfix needs a collector, HOST:PORT";
                return options;
            }
            CollectorAddress collector;
            if (!ParseCollectorAddress(arguments[++i], collector, options.error)) {
                options.error = "--ipfix: " + options.error;
                return options;
            }
            options.ipfix = arguments[i];
        } else if (argument.size() > 1 && argument[0] == '-' && argument[1] == '-') {
            options.error = "unknown option " + argument;
            return options;
        } else if (options.adapter.empty()) {
            options.adapter = argument;
        } else {
            options.error = "only one adapter can be given";
            return options;
        }
    }
    if (options.console && options.adapter.empty()) {
        options.error = "--console needs an adapter";
    } else if (haveSeconds && !options.console) {
        options.error = "--seconds applies to --console only";
    } else if (options.timing && !options.console && !options.start) {
        options.error = "--timing applies to --console, or to the window with --start";
    } else if (!options.seriesOut.empty() && !options.console) {
        options.error = "--series-out applies to --console only";
    } else if (!options.flowsOut.empty() && !options.console) {
        options.error = "--flows-out applies to --console only";
    } else if (!options.ipfix.empty() && !options.console) {
        options.error = "--ipfix applies to --console only (the window has Export flows to collector...)";
    } else if (options.start && (options.console || options.adapter.empty())) {
        options.error = "--start applies to the window with an adapter only";
    }
    return options;
}

} // namespace capture
