// Parser of the skin file and the gradient arithmetic; plain C++ so it is tested and fuzzed natively.
#include "app/skin_format.h"

#include <algorithm>

namespace skin {
namespace {

constexpr std::string_view kBackgroundTop = "background-top";
constexpr std::string_view kBackgroundBottom = "background-bottom";
constexpr std::string_view kText = "text";
constexpr std::string_view kFrame = "frame";

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Text lines may hold tabs and printable characters (bytes above 0x7F included, for names); anything else
// means the file is not text.
bool IsTextLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte == '\t' || byte >= 0x20;
    });
}

bool IsKeyName(std::string_view key) {
    return !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
               c == '.';
    });
}

std::optional<Colour>* KnownKey(SkinSection& section, std::string_view key) {
    if (EqualsIgnoringCase(key, kBackgroundTop)) {
        return &section.backgroundTop;
    }
    if (EqualsIgnoringCase(key, kBackgroundBottom)) {
        return &section.backgroundBottom;
    }
    if (EqualsIgnoringCase(key, kText)) {
        return &section.text;
    }
    if (EqualsIgnoringCase(key, kFrame)) {
        return &section.frame;
    }
    return nullptr;
}

const SkinSection* FindSection(const SkinFile& file, std::string_view name) {
    for (const SkinSection& section : file.sections) {
        if (EqualsIgnoringCase(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

bool ParseSectionHeader(std::string_view line, SkinFile& file) {
    if (line.size() < 2 || line.back() != ']') {
        return false;
    }
    const std::string_view name = Trim(line.substr(1, line.size() - 2));
    if (name.empty() || name.find_first_of("[]") != std::string_view::npos || FindSection(file, name)) {
        return false;
    }
    file.sections.push_back(SkinSection{std::string(name), {}, {}, {}, {}});
    return true;
}

bool ParseKeyLine(std::string_view line, SkinFile& file) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || file.sections.empty()) {
        return false;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    if (!IsKeyName(key)) {
        return false;
    }
    std::optional<Colour>* slot = KnownKey(file.sections.back(), key);
    if (slot == nullptr) {
        return true;
    }
    if (slot->has_value()) {
        return false;
    }
    *slot = ParseColour(value);
    return slot->has_value();
}

} // namespace

std::optional<Colour> ParseColour(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') {
        return std::nullopt;
    }
    std::uint8_t channels[3] = {};
    for (int i = 0; i < 3; ++i) {
        const int high = HexDigit(text[static_cast<std::size_t>(1 + 2 * i)]);
        const int low = HexDigit(text[static_cast<std::size_t>(2 + 2 * i)]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        channels[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return Colour{channels[0], channels[1], channels[2]};
}

std::optional<SkinFile> ParseSkinFile(std::string_view text) {
    if (text.size() > kMaxSkinFileSize) {
        return std::nullopt;
    }
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    SkinFile file;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!IsTextLine(line)) {
            return std::nullopt;
        }
        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        const bool ok = line.front() == '[' ? ParseSectionHeader(line, file) : ParseKeyLine(line, file);
        if (!ok) {
            return std::nullopt;
        }
    }
    return file;
}

std::optional<DialogSkin> FindDialogSkin(const SkinFile& file, std::string_view name) {
    const SkinSection* section = FindSection(file, name);
    if (section == nullptr || !section->backgroundTop) {
        return std::nullopt;
    }
    return DialogSkin{*section->backgroundTop, section->backgroundBottom.value_or(*section->backgroundTop),
                      section->text, section->frame};
}

Colour GradientRow(Colour top, Colour bottom, int row, int height) {
    if (height <= 1 || row <= 0) {
        return top;
    }
    if (row >= height - 1) {
        return bottom;
    }
    const long long span = height - 1;
    const auto mix = [&](std::uint8_t a, std::uint8_t b) {
        // Rounded to nearest; the intermediate fits easily, as a channel difference times a row count.
        const long long value = a * span + (static_cast<long long>(b) - a) * row;
        return static_cast<std::uint8_t>((value + span / 2) / span);
    };
    return Colour{mix(top.red, bottom.red), mix(top.green, bottom.green), mix(top.blue, bottom.blue)};
}

} // namespace skin
