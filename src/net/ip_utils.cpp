// The machine's IPv4 addresses and adapters: the local address table and the address utilities.
#include "net/ip_utils.h"

#include <iphlpapi.h>
#include <ras.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/message_box.h"
#include "platform/library.h"

namespace net {

LocalAddress localAddresses[kMaxLocalAddresses] = {};
int localAddressCount = 0;
DWORD interfaceIndexes[kMaxInterfaceIndexes] = {};
bool interfaceIndexesLoaded = false;

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using MallocPtr = std::unique_ptr<T, FreeDeleter>;

void SetFromAddress(char (&field)[16], DWORD address) {
    in_addr value{};
    value.s_addr = address;
    SetAddressField(field, inet_ntoa(value));
}

} // namespace

int ListLocalAddresses(LocalAddress* destination, int maximum) {
    if (destination == nullptr || maximum <= 0) {
        return 0;
    }
    // Room for the requested number of rows at first; a table that has grown past it is read again at the
    // size the platform asks for, so rows are only ever read from a table that the call really filled.
    ULONG size = static_cast<ULONG>(maximum) * 28;
    std::vector<unsigned char> buffer;
    DWORD status = ERROR_INSUFFICIENT_BUFFER;
    for (int attempt = 0; attempt < 3 && status == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        buffer.assign(std::max<ULONG>(size, sizeof(MIB_IPADDRTABLE)), 0);
        size = static_cast<ULONG>(buffer.size());
        status = GetIpAddrTable(reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data()), &size, FALSE);
    }
    if (status != NO_ERROR) {
        return 0;
    }
    const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(buffer.data());
    const int n = static_cast<int>(std::min<DWORD>(table->dwNumEntries, static_cast<DWORD>(maximum)));
    for (int i = 0; i < n; ++i) {
        SetFromAddress(destination[i].address, table->table[i].dwAddr);
        SetFromAddress(destination[i].mask, table->table[i].dwMask);
    }
    return n;
}

bool LoadInterfaceIndexes() {
    ULONG size = 0;
    (void)GetInterfaceInfo(nullptr, &size);
    if (size == 0) {
        return false;
    }
    MallocPtr<IP_INTERFACE_INFO> info(static_cast<IP_INTERFACE_INFO*>(std::malloc(size)));
    if (!info || GetInterfaceInfo(info.get(), &size) != NO_ERROR) {
        return false;
    }
    const LONG count = std::min<LONG>(info->NumAdapters, kMaxInterfaceIndexes);
    for (LONG i = 0; i < count; ++i) {
        interfaceIndexes[i] = info->Adapter[i].Index;
    }
    return true;
}

int AddLocalAddress(const char* address, const char* mask) {
    if (!interfaceIndexesLoaded) {
        (void)LoadInterfaceIndexes();
        interfaceIndexesLoaded = true;
    }
    ULONG context = 0;
    ULONG instance = 0;
    const DWORD status = AddIPAddress(inet_addr(address), inet_addr(mask), interfaceIndexes[0], &context, &instance);
    return status != NO_ERROR ? 1 : 0;
}

ULONG FindAddressContext(const char* address) {
    if (address == nullptr || strnlen(address, 16) > 15) {
        return 0;
    }
    ULONG size = 0;
    if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) {
        return 0;
    }
    MallocPtr<IP_ADAPTER_INFO> adapters(static_cast<IP_ADAPTER_INFO*>(std::malloc(size)));
    if (!adapters) {
        (void)fw::ShowMessageBox(nullptr, "Malloc Failed", "MALLOC", MB_OK);
        return 0;
    }
    if (GetAdaptersInfo(adapters.get(), &size) != NO_ERROR) {
        return 0;
    }
    return FindContextInAdapterList(adapters.get(), address);
}

ULONG FindContextInAdapterList(const IP_ADAPTER_INFO* adapters, const char* address) {
    for (const IP_ADAPTER_INFO* adapter = adapters; adapter != nullptr; adapter = adapter->Next) {
        for (const IP_ADDR_STRING* entry = &adapter->IpAddressList; entry != nullptr; entry = entry->Next) {
            if (AddressStartsWith(entry->IpAddress.String, address)) {
                return entry->Context;
            }
        }
    }
    return 0;
}

DWORD DeleteLocalAddress(const char* address) {
    const ULONG context = FindAddressContext(address);
    if (context == 0) {
        return 1;
    }
    return DeleteIPAddress(context);
}

DWORD HangUpFirstDialUp() {
    using EnumConnectionsFn = DWORD(WINAPI*)(LPRASCONNA, LPDWORD, LPDWORD);
    using HangUpFn = DWORD(WINAPI*)(HRASCONN);
    static const platform::Library library("rasapi32.dll");
    if (!library.IsLoaded()) {
        return ERROR_MOD_NOT_FOUND;
    }
    const auto enumConnections = library.Entry<EnumConnectionsFn>("RasEnumConnectionsA");
    const auto hangUp = library.Entry<HangUpFn>("RasHangUpA");
    if (enumConnections == nullptr || hangUp == nullptr) {
        return ERROR_PROC_NOT_FOUND;
    }
    // One record: the first connection, if any. The record's size is the platform's own for this build.
    static_assert(sizeof(RASCONNA) == (sizeof(void*) == 4 ? 704 : 708));
    RASCONNA connection{};
    connection.dwSize = sizeof connection;
    DWORD size = sizeof connection;
    DWORD count = 0;
    (void)enumConnections(&connection, &size, &count);
    return hangUp(connection.hrasconn);
}

} // namespace net
