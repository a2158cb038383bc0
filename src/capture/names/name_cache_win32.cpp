// The name cache of the program: reverse lookups through Windows Sockets.
#include "capture/names/name_cache.h"

#include <winsock2.h>

namespace {

// Synchronous: runs on the capture thread, which waits for the answer (the cache makes it once per address).
bool ReverseLookupBySockets(uint32_t address, std::string& hostName) {
    const hostent* host = gethostbyaddr(reinterpret_cast<const char*>(&address), 4, AF_INET);
    if (host == nullptr || host->h_name == nullptr) {
        return false;
    }
    hostName = host->h_name;
    return true;
}

} // namespace

CNSCashe::CNSCashe() : CNSCashe(ReverseLookupBySockets) {}
