// Byte-limited copy of the tray tip.
#include "widgets/tip_text.h"

#include <cstring>

namespace widgets {

size_t CopyTipText(char* field, size_t size, const char* text, LeadBytePredicate isLeadByte) {
    if (size == 0) {
        return 0;
    }
    const size_t limit = size - 1;
    size_t length = 0;
    if (text != nullptr) {
        while (length < limit && text[length] != '\0') {
            const auto byte = static_cast<unsigned char>(text[length]);
            if (isLeadByte != nullptr && isLeadByte(byte)) {
                if (length + 2 > limit || text[length + 1] == '\0') {
                    break;
                }
                length += 2;
            } else {
                length += 1;
            }
        }
        std::memmove(field, text, length);
    }
    std::memset(field + length, 0, size - length);
    return length;
}

} // namespace widgets
