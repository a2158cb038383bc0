// String resources for the widgets.
#include "widgets/resource_string.h"

#include "framework/win_app.h"

namespace widgets {

HINSTANCE ResourceModule() {
    const CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_hInstance != nullptr ? app->m_hInstance : ::GetModuleHandleA(nullptr);
}

std::string LoadResourceString(UINT id) {
    std::string text(256, '\0');
    for (;;) {
        const int length = ::LoadStringA(ResourceModule(), id, text.data(), static_cast<int>(text.size()));
        if (length <= 0) {
            return {};
        }
        // A string that filled the buffer may have been cut: read it again with more room.
        if (static_cast<size_t>(length) < text.size() - 1) {
            text.resize(static_cast<size_t>(length));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

} // namespace widgets
