// The 25 capture settings: their values, the table of sections, keys and defaults, and load and save rules.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace capture {

// Field order is the order the values are kept in; the table below gives the order they are loaded and
// saved in (the file's layout), which differs for the filters.
struct SettingsValues {
    int32_t alwaysontop = 0;
    int32_t nsresolve = 0;
    int32_t portresolve = 0;
    uint32_t idleseconds = 10000; // milliseconds, despite the key's name
    int32_t filterudp = 0;
    int32_t filtertcp = 0;
    int32_t filtericmp = 0;
    int32_t status = -1;
    int32_t top = -1;
    int32_t bottom = -1;
    int32_t left = -1;
    int32_t right = -1;
    int32_t srcaddr = 120;
    int32_t destaddr = 120;
    int32_t srcport = 80;
    int32_t destport = 80;
    int32_t proto = 50;
    int32_t traffic = 100;
    int32_t bs = 80;
    int32_t abs = 80;
    int32_t uselogfile = 0;
    int32_t autodelete = 0;
    int32_t mbdelete = 1;
    int32_t logtype = 0;
    char logfile[260] = {};
};

// A setting that one thread changes while another reads it: the host's window sets the filters while the
// capture thread reads them, and the capture thread clears the log switch that the window shows. Each
// load and store is whole.
inline int32_t LoadShared(const int32_t& setting) {
    return std::atomic_ref<int32_t>(const_cast<int32_t&>(setting)).load(std::memory_order_relaxed);
}
inline void StoreShared(int32_t& setting, int32_t value) {
    std::atomic_ref<int32_t>(setting).store(value, std::memory_order_relaxed);
}

enum class SettingKind {
    Integer,      // signed decimal text
    Milliseconds, // unsigned decimal text of whole seconds, kept as milliseconds
    Text,         // the log file path
};

struct SettingField {
    const char* section;
    const char* key;
    SettingKind kind;
    int32_t defaultValue;             // seconds for Milliseconds; unused for Text (empty)
    int32_t SettingsValues::*integer; // the member of an Integer field
};

inline constexpr int kLogTypeCount = 7;

// Load and save order.
inline constexpr std::array<SettingField, 25> kSettingFields{{
    {"main", "alwaysontop", SettingKind::Integer, 0, &SettingsValues::alwaysontop},
    {"main", "nsresolve", SettingKind::Integer, 0, &SettingsValues::nsresolve},
    {"main", "portresolve", SettingKind::Integer, 0, &SettingsValues::portresolve},
    {"main", "idleseconds", SettingKind::Milliseconds, 10, nullptr},
    {"filters", "filtertcp", SettingKind::Integer, 0, &SettingsValues::filtertcp},
    {"filters", "filterudp", SettingKind::Integer, 0, &SettingsValues::filterudp},
    {"filters", "filtericmp", SettingKind::Integer, 0, &SettingsValues::filtericmp},
    {"mainwindow", "status", SettingKind::Integer, -1, &SettingsValues::status},
    {"mainwindow", "top", SettingKind::Integer, -1, &SettingsValues::top},
    {"mainwindow", "bottom", SettingKind::Integer, -1, &SettingsValues::bottom},
    {"mainwindow", "left", SettingKind::Integer, -1, &SettingsValues::left},
    {"mainwindow", "right", SettingKind::Integer, -1, &SettingsValues::right},
    {"list", "srcaddr", SettingKind::Integer, 120, &SettingsValues::srcaddr},
    {"list", "destaddr", SettingKind::Integer, 120, &SettingsValues::destaddr},
    {"list", "srcport", SettingKind::Integer, 80, &SettingsValues::srcport},
    {"list", "destport", SettingKind::Integer, 80, &SettingsValues::destport},
    {"list", "proto", SettingKind::Integer, 50, &SettingsValues::proto},
    {"list", "traffic", SettingKind::Integer, 100, &SettingsValues::traffic},
    {"list", "bs", SettingKind::Integer, 80, &SettingsValues::bs},
    {"list", "abs", SettingKind::Integer, 80, &SettingsValues::abs},
    {"log", "uselogfile", SettingKind::Integer, 0, &SettingsValues::uselogfile},
    {"log", "autodelete", SettingKind::Integer, 0, &SettingsValues::autodelete},
    {"log", "mbdelete", SettingKind::Integer, 1, &SettingsValues::mbdelete},
    {"log", "logtype", SettingKind::Integer, 0, &SettingsValues::logtype},
    {"log", "logfile", SettingKind::Text, 0, nullptr},
}};

// Out-of-range values fall back to the defaults: mbdelete to 1 (MiB), logtype to 0.
int32_t ClampMbDelete(int32_t mbdelete);
int32_t ClampLogType(int32_t logtype);

// The log size in bytes beyond which the log is emptied: mbdelete MiB.
int32_t LogSizeLimitFor(int32_t mbdelete);

// Reads every value through an INI accessor with ReadInt, ReadUInt and ReadString (CIniFile in the
// program, an in-memory stand-in in tests), then applies the clamps and returns the log size limit.
template <class Profile>
int32_t LoadSettingsValues(Profile& profile, SettingsValues& values) {
    for (const SettingField& field : kSettingFields) {
        switch (field.kind) {
        case SettingKind::Integer:
            values.*field.integer = profile.ReadInt(field.section, field.key, field.defaultValue);
            break;
        case SettingKind::Milliseconds:
            // Wraps modulo 2^32 for large values, as the 32-bit arithmetic of the tick comparisons expects.
            values.idleseconds =
                profile.ReadUInt(field.section, field.key, static_cast<uint32_t>(field.defaultValue)) * 1000u;
            break;
        case SettingKind::Text:
            (void)profile.ReadString(field.section, field.key, "", values.logfile,
                                     static_cast<uint32_t>(sizeof values.logfile));
            break;
        }
    }
    values.mbdelete = ClampMbDelete(values.mbdelete);
    values.logtype = ClampLogType(values.logtype);
    return LogSizeLimitFor(values.mbdelete);
}

// Writes every value back in the load order, each even when an earlier one failed; true when all were
// written.
template <class Profile>
[[nodiscard]] bool SaveSettingsValues(Profile& profile, const SettingsValues& values) {
    bool saved = true;
    for (const SettingField& field : kSettingFields) {
        switch (field.kind) {
        case SettingKind::Integer:
            saved = profile.WriteInt(field.section, field.key, values.*field.integer) && saved;
            break;
        case SettingKind::Milliseconds:
            saved = profile.WriteUInt(field.section, field.key, values.idleseconds / 1000u) && saved;
            break;
        case SettingKind::Text:
            saved = profile.WriteString(field.section, field.key, values.logfile) && saved;
            break;
        }
    }
    return saved;
}

} // namespace capture
