// Whether the capture window shows its traffic graph, remembered in the registry.
#include "capture/host/graph_preference.h"

#include <windows.h>

#include <cstdint>

#include "platform/product_key.h"
#include "platform/registry_key.h"

namespace capture_host {

std::string CaptureKeyPath() {
    return platform::ProductKeyPath() + "\\Capture";
}

bool LoadGraphShown() {
    platform::RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, CaptureKeyPath().c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) {
        return true;
    }
    uint32_t value = 1;
    DWORD size = sizeof value;
    if (key.ReadBytes(kShowGraphValue, reinterpret_cast<unsigned char*>(&value), size) != ERROR_SUCCESS ||
        size != sizeof value) {
        return true;
    }
    return value != 0;
}

bool SaveGraphShown(bool shown) {
    platform::RegistryKey key;
    return key.Create(HKEY_CURRENT_USER, CaptureKeyPath().c_str(), KEY_SET_VALUE) == ERROR_SUCCESS &&
           key.WriteDword(kShowGraphValue, shown ? 1 : 0) == ERROR_SUCCESS;
}

} // namespace capture_host
