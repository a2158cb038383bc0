// CSettings: the capture settings, loaded from the INI file beside the executable when built and written
// back when destroyed.
#pragma once

#include "capture/ini_file.h"
#include "capture/settings_values.h"

#include <cstdint>

// The values are public data: the traffic list and the log writer read them directly, and the log writer
// clears uselogfile when the log cannot be opened.
class CSettings : public CIniFile, public capture::SettingsValues {
public:
    // Loads every value from the executable's INI file.
    CSettings();
    // Loads every value from the given INI file (tests use it to stay out of the program's own file).
    explicit CSettings(const char* iniPath);
    // Saves every value, so that a change made during the run reaches the file.
    ~CSettings() override;

    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

private:
    void Load();
};

extern CSettings theSettings;

// The log size beyond which the log is emptied, in bytes: mbdelete MiB. Set by every load.
extern int32_t logSizeLimit;
