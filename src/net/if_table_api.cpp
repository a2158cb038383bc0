// The interface-table entry points of the IP Helper library, resolved at run time once and kept.
#include "net/if_table_api.h"

namespace net {

namespace {
const char* ifTableLibraryName = "Iphlpapi.dll";
} // namespace

void SetIfTableLibraryName(const char* name) {
    ifTableLibraryName = name;
}

bool ResolveIfTableApi(const platform::Library& library, IfTableApi& api) {
    IfTableApi found;
    found.getIfTable = library.Entry<GetIfTableFn>("GetIfTable");
    found.getNumberOfInterfaces = library.Entry<GetNumberOfInterfacesFn>("GetNumberOfInterfaces");
    if (found.getIfTable == nullptr || found.getNumberOfInterfaces == nullptr) {
        return false;
    }
    api = found;
    return true;
}

const IfTableApi* IfTableEntries() {
    // Loaded once; the library stays loaded until the process ends, so the addresses stay valid.
    static const platform::Library library(ifTableLibraryName);
    static IfTableApi api;
    static const bool resolved = ResolveIfTableApi(library, api);
    return resolved ? &api : nullptr;
}

} // namespace net
