// Reads the raw bytes of an extended dialog template from the module's resources, for the resource tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace res_test {

struct TemplateItem {
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::string className; // predefined classes are named as the system names them, e.g. "Button"
    std::string text;
};

struct DialogTemplate {
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    bool hasMenu = false;
    std::string caption;
    WORD pointSize = 0;
    std::string typeface;
    std::vector<TemplateItem> items;
};

// Walks the template bytes; strings of the template are 16-bit units, narrowed here (all our texts are
// ASCII, and anything else would fail the comparison visibly as '?').
class TemplateWalker {
public:
    TemplateWalker(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <typename T>
    T Read() {
        T value{};
        if (offset_ + sizeof(T) > size_) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, data_ + offset_, sizeof(T));
        offset_ += sizeof(T);
        return value;
    }
    std::string ReadText() {
        std::string text;
        for (;;) {
            const auto unit = Read<std::uint16_t>();
            if (!ok_ || unit == 0) {
                return text;
            }
            text.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
        }
    }
    // A name or an ordinal: 0 = none, 0xFFFF followed by a number, otherwise a text.
    std::string ReadNameOrOrdinal(WORD* ordinal = nullptr) {
        const auto first = Read<std::uint16_t>();
        if (first == 0) {
            return {};
        }
        if (first == 0xFFFF) {
            const auto number = Read<std::uint16_t>();
            if (ordinal != nullptr) {
                *ordinal = number;
            }
            return "#" + std::to_string(number);
        }
        offset_ -= sizeof(std::uint16_t);
        return ReadText();
    }
    void AlignToDword() { offset_ = (offset_ + 3) & ~std::size_t{3}; }
    void Skip(std::size_t bytes) { offset_ += bytes; }
    bool ok() const { return ok_ && offset_ <= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
    bool ok_ = true;
};

inline std::string PredefinedClassName(WORD ordinal) {
    switch (ordinal) {
    case 0x80:
        return "Button";
    case 0x81:
        return "Edit";
    case 0x82:
        return "Static";
    case 0x83:
        return "ListBox";
    case 0x84:
        return "ScrollBar";
    case 0x85:
        return "ComboBox";
    default:
        return "#" + std::to_string(ordinal);
    }
}

inline std::optional<DialogTemplate> LoadDialogTemplate(HMODULE module, WORD id) {
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)); // RT_DIALOG
    if (found == nullptr) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
    TemplateWalker walker(bytes, SizeofResource(module, found));
    if (walker.Read<WORD>() != 1 || walker.Read<WORD>() != 0xFFFF) {
        return std::nullopt; // not an extended template
    }
    DialogTemplate dialog;
    (void)walker.Read<DWORD>(); // help id
    dialog.exStyle = walker.Read<DWORD>();
    dialog.style = walker.Read<DWORD>();
    const WORD count = walker.Read<WORD>();
    dialog.x = walker.Read<short>();
    dialog.y = walker.Read<short>();
    dialog.cx = walker.Read<short>();
    dialog.cy = walker.Read<short>();
    dialog.hasMenu = !walker.ReadNameOrOrdinal().empty();
    (void)walker.ReadNameOrOrdinal(); // window class
    dialog.caption = walker.ReadText();
    if ((dialog.style & DS_SETFONT) != 0) {
        dialog.pointSize = walker.Read<WORD>();
        (void)walker.Read<WORD>(); // weight
        (void)walker.Read<BYTE>(); // italic
        (void)walker.Read<BYTE>(); // character set
        dialog.typeface = walker.ReadText();
    }
    for (WORD i = 0; i < count && walker.ok(); ++i) {
        walker.AlignToDword();
        TemplateItem item;
        (void)walker.Read<DWORD>(); // help id
        item.exStyle = walker.Read<DWORD>();
        item.style = walker.Read<DWORD>();
        item.x = walker.Read<short>();
        item.y = walker.Read<short>();
        item.cx = walker.Read<short>();
        item.cy = walker.Read<short>();
        item.id = walker.Read<DWORD>();
        WORD classOrdinal = 0;
        item.className = walker.ReadNameOrOrdinal(&classOrdinal);
        if (classOrdinal != 0) {
            item.className = PredefinedClassName(classOrdinal);
        }
        item.text = walker.ReadNameOrOrdinal();
        walker.Skip(walker.Read<WORD>()); // creation data
        dialog.items.push_back(item);
    }
    if (!walker.ok()) {
        return std::nullopt;
    }
    return dialog;
}

} // namespace res_test
