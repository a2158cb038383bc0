// The local address table's record and the rules that read it: the bind choice and the prefix match.
#include "net/local_address.h"

#include <cstring>

namespace net {

void SetAddressField(char (&field)[16], const char* text) noexcept {
    size_t length = text != nullptr ? strnlen(text, sizeof field - 1) : 0;
    if (length > 0) {
        std::memcpy(field, text, length);
    }
    std::memset(field + length, 0, sizeof field - length);
}

size_t ChooseBindAddress(const LocalAddress* table, int count) noexcept {
    for (int i = 0; table != nullptr && i < count; ++i) {
        const char* text = table[i].address;
        if (std::strncmp(text, "127.0.0.1", sizeof table[i].address) != 0 &&
            std::strncmp(text, "0.0.0.0", sizeof table[i].address) != 0) {
            return static_cast<size_t>(i);
        }
    }
    return 0;
}

bool AddressStartsWith(const char* address, const char* given) noexcept {
    if (address == nullptr || given == nullptr) {
        return false;
    }
    const size_t n = strnlen(given, 16);
    if (n > 15) {
        return false;
    }
    return std::strncmp(address, given, n) == 0;
}

} // namespace net
