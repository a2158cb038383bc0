// The machine's IPv4 addresses and adapters: the local address table and the address utilities.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include "net/dotted_quad.h"
#include "net/local_address.h"

namespace net {

constexpr int kMaxLocalAddresses = 100;
constexpr int kMaxInterfaceIndexes = 20;

// Filled once by the main dialog's initialisation; read when acceleration picks the address to bind to.
extern LocalAddress localAddresses[kMaxLocalAddresses];
extern int localAddressCount;

// The interface-index cache of AddLocalAddress, filled at most once.
extern DWORD interfaceIndexes[kMaxInterfaceIndexes];
extern bool interfaceIndexesLoaded;

// Writes the machine's IPv4 addresses with their masks, in the platform's order, into at most `maximum`
// records; gives how many it filled (0 when the address table can't be read).
[[nodiscard]] int ListLocalAddresses(LocalAddress* destination, int maximum);

// Adds `address`/`mask` to the first cached interface. 0 on success, 1 on failure.
[[nodiscard]] int AddLocalAddress(const char* address, const char* mask);

// Deletes the address whose text begins with `address`: 0 on success, 1 when no adapter has it, otherwise
// the platform's error code.
[[nodiscard]] DWORD DeleteLocalAddress(const char* address);

// The platform's context value of the first adapter address whose text begins with `address`, 0 if none.
[[nodiscard]] ULONG FindAddressContext(const char* address);

// The walk behind FindAddressContext: adapters in list order, each adapter's addresses in order; the first
// address whose text begins with `address` (at most 15 characters) gives its context.
[[nodiscard]] ULONG FindContextInAdapterList(const IP_ADAPTER_INFO* adapters, const char* address);

// Fills the interface-index cache from the platform's interface list (at most 20 entries). True when the
// list could be read.
[[nodiscard]] bool LoadInterfaceIndexes();

// Hangs up the first dial-up connection through the remote-access library, loaded at run time so that the
// program also starts where it is absent. The hang-up call's result, or the load error when the library or
// its entry points are missing.
[[nodiscard]] DWORD HangUpFirstDialUp();

} // namespace net
