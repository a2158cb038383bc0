// Range rules of the log settings.
#include "capture/settings/settings_values.h"

namespace capture {

int32_t ClampMbDelete(int32_t mbdelete) {
    return mbdelete < 1 || mbdelete > 999 ? 1 : mbdelete;
}

int32_t ClampLogType(int32_t logtype) {
    return logtype < 0 || logtype >= kLogTypeCount ? 0 : logtype;
}

int32_t LogSizeLimitFor(int32_t mbdelete) {
    // Shifted as unsigned so that an unclamped value cannot overflow a signed shift.
    return static_cast<int32_t>(static_cast<uint32_t>(mbdelete) << 20);
}

} // namespace capture
