// An owned Windows Sockets handle, closed when its owner goes.
#pragma once

#include <winsock2.h>

#include "platform/handles.h"

namespace net {

struct SocketTraits {
    using Handle = SOCKET;
    static Handle None() { return INVALID_SOCKET; }
    static void Close(Handle socket) { (void)::closesocket(socket); }
};
using SocketHandle = platform::UniqueHandle<SocketTraits>;

} // namespace net
