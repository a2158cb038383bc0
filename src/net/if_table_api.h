// The interface-table entry points of the IP Helper library, resolved at run time once and kept.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include "platform/library.h"

namespace net {

using GetIfTableFn = DWORD(WINAPI*)(PMIB_IFTABLE table, PULONG size, BOOL order);
using GetNumberOfInterfacesFn = DWORD(WINAPI*)(PDWORD count);

struct IfTableApi {
    GetIfTableFn getIfTable = nullptr;
    // Only required to be present; the program never calls it.
    GetNumberOfInterfacesFn getNumberOfInterfaces = nullptr;
};

// Names the library that the first IfTableEntries() loads instead of "Iphlpapi.dll". Only tests call it,
// to see the window's answer to a library that cannot be loaded; the name must outlive that first call.
void SetIfTableLibraryName(const char* name);

// The entry points of "Iphlpapi.dll", loaded on the first call and never unloaded. Null when the
// library or either entry point is missing.
[[nodiscard]] const IfTableApi* IfTableEntries();

// Resolves both entry points from `library` (which must outlive their use). False when either is missing.
[[nodiscard]] bool ResolveIfTableApi(const platform::Library& library, IfTableApi& api);

} // namespace net
