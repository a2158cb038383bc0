// The tray tip's byte limit: the text fits the record's fixed field without cutting a double-byte character.
#pragma once

#include <cstddef>

#include "platform/path_rules.h"

namespace widgets {

using platform::LeadBytePredicate;

// Copies at most `size - 1` bytes of `text` (null counts as empty) into `field` and zero-fills the rest of the
// field, so its last byte is always zero. A lead byte whose trail byte would not fit, or is missing, ends the copy.
// Returns the number of bytes copied.
size_t CopyTipText(char* field, size_t size, const char* text, LeadBytePredicate isLeadByte);

} // namespace widgets
