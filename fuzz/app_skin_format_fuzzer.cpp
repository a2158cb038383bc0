// Fuzzes the skin file parser with any bytes, and checks what an accepted file promises.
#include "app/skin_format.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto file = skin::ParseSkinFile(text);
    if (!file) {
        return 0;
    }
    for (const skin::SkinSection& section : file->sections) {
        // Every accepted section is found again by its own name, and a dialog skin needs a top colour.
        const auto dialog = skin::FindDialogSkin(*file, section.name);
        if (section.name.empty() || dialog.has_value() != section.backgroundTop.has_value()) {
            std::abort();
        }
        if (dialog) {
            (void)skin::GradientRow(dialog->backgroundTop, dialog->backgroundBottom, static_cast<int>(size), 400);
        }
    }
    return 0;
}
