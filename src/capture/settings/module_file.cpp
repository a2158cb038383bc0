// The executable's path as the capture settings see it.
#include "capture/settings/module_file.h"

#include "platform/module_path.h"

namespace capture {

std::string ExecutablePath(uint32_t maxChars) {
    std::string path = platform::ModulePath();
    if (path.size() > maxChars) {
        path.resize(maxChars);
    }
    return path;
}

} // namespace capture
