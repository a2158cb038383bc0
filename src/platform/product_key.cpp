// The program's own registry key.
#include "platform/product_key.h"

#include <cstdio>

namespace platform {

std::string ProductKeyPath() {
    char path[64];
    std::snprintf(path, sizeof path, "SOFTWARE\\%s", "Brisklane");
    return path;
}

} // namespace platform
