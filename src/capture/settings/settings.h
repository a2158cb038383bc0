// CSettings: the capture settings, loaded from the INI file beside the executable when built and written
// back when destroyed.
#pragma once

#include "capture/settings/ini_file.h"
#include "capture/settings/settings_values.h"

#include <cstdint>
#include <string>

// The values are public data: the traffic list and the log writer read them directly, and the log writer
// clears uselogfile when the log cannot be opened.
class CSettings : public CIniFile, public capture::SettingsValues {
public:
    // Loads every value from the executable's INI file.
    CSettings();
    // Loads every value from the given INI file (tests use it to stay out of the program's own file).
    explicit CSettings(const char* iniPath);
    // Saves every value, so that a change made during the run reaches the file. When that fails, a line on
    // the error stream (and the debugger's output) says so: at exit nothing else can.
    ~CSettings() override;

    // Why the values could not be saved to the file now, as a sentence for the user ("... is read-only");
    // empty when they could. A read-only file is not written even where the platform would let it be.
    [[nodiscard]] std::string SaveProblem() const;
    // Writes every value to the file; false when the file is read-only or a write failed.
    [[nodiscard]] bool Save() const;

    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

private:
    void Load();
};

extern CSettings theSettings;

// The log size beyond which the log is emptied, in bytes: mbdelete MiB. Set by every load.
extern int32_t logSizeLimit;
