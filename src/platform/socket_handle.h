// An owned Windows Sockets handle, closed when its owner goes: the acceleration's raw socket, the flow
// exporter's, the tests'.
#pragma once

#include <winsock2.h>

#include "platform/handles.h"

namespace platform {

struct SocketTraits {
    using Handle = SOCKET;
    static Handle None() { return INVALID_SOCKET; }
    static void Close(Handle socket) { (void)::closesocket(socket); }
};
using SocketHandle = UniqueHandle<SocketTraits>;

} // namespace platform
