// CSettings: load on construction, save on destruction, through CIniFile.
#include "capture/settings.h"

int32_t logSizeLimit = 1 << 20;

CSettings::CSettings() {
    Load();
}

CSettings::CSettings(const char* iniPath) : CIniFile(iniPath) {
    Load();
}

CSettings::~CSettings() {
    capture::SaveSettingsValues(*this, *this);
}

void CSettings::Load() {
    logSizeLimit = capture::LoadSettingsValues(*this, *this);
}
