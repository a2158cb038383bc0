// The skin file parser and the gradient rows: accepted files, every way a file is rejected, and the ends.
#include "app/skin_format.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

using skin::Colour;

TEST(SkinColour, ParsesHexTriplets) {
    struct Row {
        const char* text;
        std::optional<Colour> expected;
    };
    const Row rows[] = {
        {"#000000", Colour{0, 0, 0}},
        {"#FFFFFF", Colour{255, 255, 255}},
        {"#a0B1c2", Colour{0xA0, 0xB1, 0xC2}},
        {"", std::nullopt},
        {"#", std::nullopt},
        {"#FFFFF", std::nullopt},
        {"#FFFFFFF", std::nullopt},
        {"FFFFFF", std::nullopt},
        {"#GG0000", std::nullopt},
        {"# 00000", std::nullopt},
        {"rgb(1,2,3)", std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(skin::ParseColour(row.text), row.expected) << "'" << row.text << "'";
    }
}

TEST(SkinFile, ReadsSectionsKeysCommentsAndLineEnds) {
    const std::string text = "\xEF\xBB\xBF; a comment\r\n"
                             "# another comment\n"
                             "\n"
                             "  [ Dialog ]  \r\n"
                             "background-top=#102030\r\n"
                             "\tBackground-Bottom =  #405060\t\n"
                             "text = #708090\n"
                             "frame = #A0B0C0\n"
                             "corner-radius = 4\n"
                             "[Button]\n"
                             "text = #010203";
    const auto file = skin::ParseSkinFile(text);
    ASSERT_TRUE(file.has_value());
    ASSERT_EQ(file->sections.size(), 2u);
    const skin::SkinSection& dialog = file->sections[0];
    EXPECT_EQ(dialog.name, "Dialog");
    EXPECT_EQ(dialog.backgroundTop, (Colour{0x10, 0x20, 0x30}));
    EXPECT_EQ(dialog.backgroundBottom, (Colour{0x40, 0x50, 0x60}));
    EXPECT_EQ(dialog.text, (Colour{0x70, 0x80, 0x90}));
    EXPECT_EQ(dialog.frame, (Colour{0xA0, 0xB0, 0xC0}));
    EXPECT_EQ(file->sections[1].name, "Button");
    EXPECT_EQ(file->sections[1].text, (Colour{1, 2, 3}));
    EXPECT_FALSE(file->sections[1].backgroundTop.has_value());
}

TEST(SkinFile, EmptyAndCommentOnlyFilesHaveNoSections) {
    for (const char* text : {"", "\n\n", "; nothing here\r\n", "\xEF\xBB\xBF"}) {
        const auto file = skin::ParseSkinFile(text);
        ASSERT_TRUE(file.has_value()) << "'" << text << "'";
        EXPECT_TRUE(file->sections.empty());
    }
}

TEST(SkinFile, RejectsMalformedFiles) {
    const char* const rows[] = {
        "background-top = #FFFFFF\n",                                     // key before any section
        "[Dialog\nbackground-top = #FFFFFF\n",                            // unclosed header
        "[]\n",                                                           // empty name
        "[  ]\n",                                                         // blank name
        "[Dia]log]\n",                                                    // bracket inside the name
        "[Dialog]\nbackground-top #FFFFFF\n",                             // no '='
        "[Dialog]\n= #FFFFFF\n",                                          // no key
        "[Dialog]\nbackground top = #FFFFFF\n",                           // blank inside the key
        "[Dialog]\nbackground-top = FFFFFF\n",                            // colour without '#'
        "[Dialog]\nbackground-top = #FFFFFF ; white\n",                   // trailing comment is no colour
        "[Dialog]\nbackground-top =\n",                                   // empty colour
        "[Dialog]\nframe = #12345\n",                                     // short colour
        "[Dialog]\nbackground-top = #FFFFFF\nbackground-top = #000000\n", // key twice
        "[Dialog]\n[dialog]\n",                                           // section twice, any case
        "[Dialog]\nbackground-top = #FF\0FFFF\n",                         // cut short by the NUL: short colour
        "[Dialog]\nstray words\n",                                        // neither header nor key
    };
    for (const char* text : rows) {
        EXPECT_FALSE(skin::ParseSkinFile(text).has_value()) << text;
    }
}

TEST(SkinFile, RejectsBinaryAndOversizedInput) {
    std::string withNul = "[Dialog]\nbackground-top = #FFFFFF\n";
    withNul.insert(3, 1, '\0');
    EXPECT_FALSE(skin::ParseSkinFile(withNul).has_value());
    EXPECT_FALSE(skin::ParseSkinFile("[Dialog]\x01\n").has_value());

    std::string large = "[Dialog]\nbackground-top = #FFFFFF\n";
    large.append(skin::kMaxSkinFileSize - large.size(), '\n');
    EXPECT_TRUE(skin::ParseSkinFile(large).has_value());
    large.push_back('\n');
    EXPECT_FALSE(skin::ParseSkinFile(large).has_value());
}

TEST(SkinFile, UnknownKeysAreSkippedButMustStillBeKeys) {
    EXPECT_TRUE(skin::ParseSkinFile("[Dialog]\nfuture.key_2 = anything at all\n").has_value());
    EXPECT_FALSE(skin::ParseSkinFile("[Dialog]\nfuture key = 1\n").has_value());
}

TEST(DialogSkin, FoundByNameWithDefaults) {
    const auto file = skin::ParseSkinFile("[Other]\nbackground-top = #010101\n"
                                          "[DIALOG]\nbackground-top = #102030\n"
                                          "[Bare]\ntext = #000000\n");
    ASSERT_TRUE(file.has_value());

    const auto dialog = skin::FindDialogSkin(*file, "Dialog");
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ(dialog->backgroundTop, (Colour{0x10, 0x20, 0x30}));
    EXPECT_EQ(dialog->backgroundBottom, dialog->backgroundTop);
    EXPECT_FALSE(dialog->text.has_value());
    EXPECT_FALSE(dialog->frame.has_value());

    EXPECT_FALSE(skin::FindDialogSkin(*file, "Missing").has_value());
    EXPECT_FALSE(skin::FindDialogSkin(*file, "Bare").has_value()) << "no background-top, no skin";
    EXPECT_FALSE(skin::FindDialogSkin(*file, "").has_value());
}

TEST(GradientRow, RunsFromTopToBottomColour) {
    const Colour top{0, 100, 255};
    const Colour bottom{255, 0, 5};
    EXPECT_EQ(skin::GradientRow(top, bottom, 0, 11), top);
    EXPECT_EQ(skin::GradientRow(top, bottom, 10, 11), bottom);
    EXPECT_EQ(skin::GradientRow(top, bottom, 5, 11), (Colour{128, 50, 130}));
    EXPECT_EQ(skin::GradientRow(top, bottom, -3, 11), top);
    EXPECT_EQ(skin::GradientRow(top, bottom, 40, 11), bottom);
    EXPECT_EQ(skin::GradientRow(top, bottom, 0, 1), top);
    EXPECT_EQ(skin::GradientRow(top, bottom, 0, 0), top);

    // Monotonic in every channel over a tall window.
    Colour previous = top;
    for (int row = 1; row < 2000; ++row) {
        const Colour c = skin::GradientRow(top, bottom, row, 2000);
        EXPECT_GE(c.red, previous.red);
        EXPECT_LE(c.green, previous.green);
        EXPECT_LE(c.blue, previous.blue);
        previous = c;
    }
    EXPECT_EQ(previous, bottom);
}

TEST(DefaultSkin, ShippedFileHasADialogSkin) {
    std::ifstream in(BRISKLANE_SKIN_FILE, std::ios::binary);
    ASSERT_TRUE(in) << BRISKLANE_SKIN_FILE;
    std::ostringstream text;
    text << in.rdbuf();
    const auto file = skin::ParseSkinFile(text.str());
    ASSERT_TRUE(file.has_value());
    const auto dialog = skin::FindDialogSkin(*file, "Dialog");
    ASSERT_TRUE(dialog.has_value());
    EXPECT_NE(dialog->backgroundTop, dialog->backgroundBottom) << "the default skin is a gradient";
}

} // namespace
