// Fuzzes the services table: any bytes as one line for ParseLine, and as a whole file read line by line.
#include "capture/names/services_parser.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One line, exactly sized: a read past its terminating zero is caught by the sanitizer.
    std::vector<char> line(data, data + size);
    line.push_back('\0');
    CServicesParser table("/nonexistent/services");
    table.ParseLine(line.data());
    if (table.EntryCount() > 1) {
        std::abort();
    }

    // The same bytes as a file, read line by line in pieces of at most 299 characters.
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (file == nullptr) {
        return 0;
    }
    CServicesParser services("/nonexistent/services");
    services.LoadLines(file);
    std::fclose(file);
    (void)services.SetEnabled(1);
    // A line yields at most one entry, and lines are at least one character: the table stays small.
    if (services.EntryCount() > size) {
        std::abort();
    }
    for (uint16_t port : {7, 53, 80, 65535}) {
        for (uint8_t protocol : {1, 6, 17}) {
            const char* name = services.Lookup(port, protocol);
            if (name != nullptr && (name[0] == '\0' || name[0] == ' ')) {
                std::abort();
            }
        }
    }
    return 0;
}
