// The executable's own path as the capture settings see it, for the files kept beside the program.
#pragma once

#include <cstdint>
#include <string>

namespace capture {

// The full path of the process's executable, at most maxChars characters (a longer path comes back cut).
std::string ExecutablePath(uint32_t maxChars);

} // namespace capture
