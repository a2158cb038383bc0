// Parser of the skin file ("skin.smf") and the colour arithmetic of a skinned dialog background.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skin {

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

// One [Name] block of the file. Keys this program does not know are skipped, so that a newer skin still
// loads; a known key is always a colour.
struct SkinSection {
    std::string name;
    std::optional<Colour> backgroundTop;
    std::optional<Colour> backgroundBottom;
    std::optional<Colour> text;
    std::optional<Colour> frame;
};

struct SkinFile {
    std::vector<SkinSection> sections;
};

// How a dialog is drawn: a vertical gradient from top to bottom, optionally a text colour for its static
// controls and a one-pixel frame around its client area.
struct DialogSkin {
    Colour backgroundTop;
    Colour backgroundBottom;
    std::optional<Colour> text;
    std::optional<Colour> frame;
};

// A file larger than this is not a skin; refusing it bounds the work done on whatever the file holds.
inline constexpr std::size_t kMaxSkinFileSize = 64 * 1024;

// Parses the whole file. Any malformed line rejects the file, so a damaged skin leaves the plain look
// rather than a half-applied one.
[[nodiscard]] std::optional<SkinFile> ParseSkinFile(std::string_view text);

// Parses "#RRGGBB" (hex digits in either case).
[[nodiscard]] std::optional<Colour> ParseColour(std::string_view text);

// The dialog skin of the named section (names compare without regard to ASCII case); none when the section
// is missing or has no "background-top". "background-bottom" defaults to the top colour.
[[nodiscard]] std::optional<DialogSkin> FindDialogSkin(const SkinFile& file, std::string_view name);

// Colour of pixel row `row` of a gradient `height` rows high: the top colour on row 0, the bottom colour on
// the last row, linear in between. Rows outside the range take the nearer end's colour.
[[nodiscard]] Colour GradientRow(Colour top, Colour bottom, int row, int height);

} // namespace skin
