// The language table: every row of both blocks, the end markers, the empty rows after them,
// the shape of the description and license texts, and the blocks no language fills.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "settings/language.h"
#include "settings/settings.h"

namespace {

constexpr int French = 0, English = 1;

class LanguageTableTest : public ::testing::Test {
protected:
    void SetUp() override { LoadLanguageTable(); }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) lines.push_back(line);
    if (!text.empty() && text.back() == '\n') lines.push_back(std::string());
    return lines;
}

// The compiler that builds this test builds the program too: the credit must name it, its
// version and its site as the compiler's own macros tell them, not as the build says.
struct Compiler {
    std::string name, version, site;
    std::vector<std::string> othersNames; // words that belong to the other compilers' credits
};

std::string Version(int major, int minor, int patch) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

Compiler ThisCompiler() {
#if defined(__clang__)
    return {"Clang", Version(__clang_major__, __clang_minor__, __clang_patchlevel__), "https://clang.llvm.org/",
            {"GCC", "GNU", "gcc", "MinGW"}};
#elif defined(__MINGW32__)
    return {"MinGW-w64 GCC", Version(__GNUC__, __GNUC_MINOR__, __GNUC_PATCHLEVEL__), "https://www.mingw-w64.org/",
            {"Clang", "llvm", "GNU C++"}};
#else
    return {"GCC", Version(__GNUC__, __GNUC_MINOR__, __GNUC_PATCHLEVEL__), "https://gcc.gnu.org/",
            {"Clang", "llvm", "MinGW", "GNU C++"}};
#endif
}

struct FixedRow {
    int row;
    const char* french; // Windows-1252 bytes
    const char* english;
};

const FixedRow fixedRows[] = {
    {0, "Rapide, mais peu d'objets affich\xe9s...", "Fast, but not many objects..."},
    {1, "Qualit\xe9 inf\xe9rieure", "Low quality"},
    {2, "Bon compromis entre rapidit\xe9 et qualit\xe9", "Medium speed and quality"},
    {3, "Qualit\xe9 sup\xe9rieure", "High quality"},
    {4, "Wow! Votre PC est si rapide que \xe7" "a!?", "Wow! Your PC is that fast !?"},
    {5, "OK", "OK"},
    {6, "Annuler", "Cancel"},
    {7, "R\xe9solution:", "Resolution:"},
    {8, "Afficher le nombre d'images par seconde", "Display number of frames per second"},
    {9, "Afficher l'heure", "Display time"},
    {10, "D\xe9" "finit le nombre d'objets \xe0 l'\xe9" "cran", "Set number of objects on screen"},
    {11, "Nb. objets:", "Nb. objects:"},
    {12, "Visitez le site Morvane...", "Take a look at Morvane..."},
    {13, "Trouvez d'autres \xe9" "conomiseurs d'\xe9" "cran, des programmes, et plus encore...",
     "Find other screensavers, programs, and more..."},
    {14, "D\xe9tails >>", "Details >>"},
    {15, "Licence >>", "License >>"},
    {19, "Si vous appr\xe9" "ciez ce produit...", "If you like this product..."},
    {20, "...pensez \xe0 donner un petit coup de pouce \xe0 Morvane.",
     "... please consider giving a little help to Morvane."},
    {22, "Forme:", "Shape:"},
    {26, "#####", "#####"},
};

TEST_F(LanguageTableTest, FixedRowsHoldTheirExactTexts) {
    for (const FixedRow& fixed : fixedRows) {
        SCOPED_TRACE(fixed.row);
        EXPECT_EQ(LanguageTableCell(French, fixed.row), fixed.french);
        EXPECT_EQ(LanguageTableCell(English, fixed.row), fixed.english);
    }
}

TEST_F(LanguageTableTest, WebAddressesAreSecureAddressesOfTheirKind) {
    struct Address {
        int row;
        const char* site; // where the address must lead
    };
    const std::string toolSite = ThisCompiler().site;
    for (Address address : {Address{18, "https://www.morvane.fr/"}, Address{21, "https://www.morvane.fr/"},
                            Address{25, toolSite.c_str()}}) {
        for (int block : {French, English}) {
            SCOPED_TRACE(std::to_string(block) + "/" + std::to_string(address.row));
            const std::string& text = LanguageTableCell(block, address.row);
            EXPECT_EQ(text.rfind(address.site, 0), 0u) << text;
            EXPECT_EQ(text.find_first_of(" \n"), std::string::npos);
        }
    }
    // The maker's pages come in each language; the two links of a block lead to different pages.
    EXPECT_NE(LanguageTableCell(French, 18), LanguageTableCell(English, 18));
    EXPECT_NE(LanguageTableCell(French, 21), LanguageTableCell(English, 21));
    EXPECT_NE(LanguageTableCell(English, 18), LanguageTableCell(English, 21));
}

TEST_F(LanguageTableTest, ToolCreditNamesTheCompilerThatBuiltTheProgramWithItsSite) {
    const Compiler compiler = ThisCompiler();
    struct CreditRow {
        int block;
        int row;
        std::string text;
        bool whole; // the whole text, or how it begins
    };
    const CreditRow rows[] = {
        {French, 23, "Compil\xe9 avec " + compiler.name + " " + compiler.version, true},
        {English, 23, "Built with " + compiler.name + " " + compiler.version, true},
        {French, 24, compiler.name + " : ", false},
        {English, 24, compiler.name + ": ", false},
        {French, 25, compiler.site, true},
        {English, 25, compiler.site, true},
    };
    for (const CreditRow& expected : rows) {
        SCOPED_TRACE(std::to_string(expected.block) + "/" + std::to_string(expected.row));
        const std::string& text = LanguageTableCell(expected.block, expected.row);
        if (expected.whole) EXPECT_EQ(text, expected.text);
        else EXPECT_EQ(text.rfind(expected.text, 0), 0u) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos);
        for (const std::string& other : compiler.othersNames) EXPECT_EQ(text.find(other), std::string::npos) << other;
    }
    EXPECT_NE(LanguageTableCell(French, 24), LanguageTableCell(English, 24));
}

TEST_F(LanguageTableTest, RowsAfterTheEndMarkerAndBlockTwoAreEmpty) {
    for (int row = 27; row < languageRows; ++row) {
        EXPECT_EQ(LanguageTableCell(French, row), "") << row;
        EXPECT_EQ(LanguageTableCell(English, row), "") << row;
    }
    for (int row = 0; row < languageRows; ++row) EXPECT_EQ(LanguageTableCell(2, row), "") << row;
    for (int row = 0; row <= 25; ++row) {
        EXPECT_NE(LanguageTableCell(French, row), "") << row;
        EXPECT_NE(LanguageTableCell(French, row), EndMarker) << row;
        EXPECT_NE(LanguageTableCell(English, row), EndMarker) << row;
    }
}

TEST_F(LanguageTableTest, LoadingAgainGivesTheSameTable) {
    std::string before = LanguageTableCell(English, 17);
    LoadLanguageTable();
    EXPECT_EQ(LanguageTableCell(English, 17), before);
    EXPECT_EQ(LanguageTableCell(English, 26), "#####");
    EXPECT_EQ(LanguageTableCell(English, 27), "");
}

struct LongText {
    int block;
    int row;
    size_t characters;
    size_t lines;
};

TEST_F(LanguageTableTest, DescriptionAndLicenseHaveTheirLengthsAndLineCounts) {
    for (LongText text : {LongText{French, 16, 307, 13}, LongText{English, 16, 288, 13},
                          LongText{French, 17, 1380, 28}, LongText{English, 17, 822, 18}}) {
        SCOPED_TRACE(std::to_string(text.block) + "/" + std::to_string(text.row));
        const std::string& cell = LanguageTableCell(text.block, text.row);
        EXPECT_EQ(cell.size(), text.characters);
        std::vector<std::string> lines = Lines(cell);
        EXPECT_EQ(lines.size(), text.lines);
        EXPECT_EQ(cell.find('\r'), std::string::npos); // line breaks are a single LF
        for (const std::string& line : lines) EXPECT_LE(line.size(), 79u) << line;
    }
}

TEST_F(LanguageTableTest, DescriptionTemplateHasThreeNumberedSections) {
    struct Template {
        int block;
        const char* headings[3];
    };
    const size_t dashes[3] = {25, 36, 27};
    for (Template t : {Template{French, {"I) Description:", "II) Configuration requise:", "III) Bugs connus:"}},
                       Template{English, {"I) Description:", "II) Configuration:", "III) Known bugs:"}}}) {
        SCOPED_TRACE(t.block);
        std::vector<std::string> lines = Lines(LanguageTableCell(t.block, 16));
        ASSERT_EQ(lines.size(), 13u);
        const size_t headingAt[3] = {0, 6, 10}; // two filler lines follow the first placeholder
        for (int s = 0; s < 3; ++s) {
            size_t at = headingAt[s];
            EXPECT_EQ(lines[at], t.headings[s]);
            EXPECT_EQ(lines[at + 1], std::string(dashes[s], '-'));
            EXPECT_EQ(lines[at + 2].front(), '[');
            EXPECT_EQ(lines[at + 2].back(), ']');
            if (at > 0) {
                EXPECT_EQ(lines[at - 1], "");
            }
        }
        EXPECT_FALSE(lines[3].empty());
        EXPECT_FALSE(lines[4].empty());
    }
}

TEST_F(LanguageTableTest, LicenseTextOpensWithPlaceholderHeadingAndTitle) {
    struct License {
        int block;
        const char* placeholder;
        size_t dashes;
        const char* title;
    };
    for (License l : {License{French, "[Ins\xe9rez ici le prix du produit, son mode de distribution, sa licence, etc..]", 18,
                              "DISCLAIMER And AGREEMENT"},
                      License{English, "[Insert here the price, its distribution mode, its license, etc..]", 19,
                              "DISCLAIMER AND AGREEMENT"}}) {
        SCOPED_TRACE(l.block);
        std::vector<std::string> lines = Lines(LanguageTableCell(l.block, 17));
        ASSERT_GE(lines.size(), 8u);
        EXPECT_EQ(lines[0], l.placeholder);
        EXPECT_EQ(lines[1], "");
        EXPECT_EQ(lines[2], "License:");
        EXPECT_EQ(lines[3], std::string(l.dashes, '-'));
        EXPECT_EQ(lines[4], l.title);
        EXPECT_EQ(lines[5], "");
        // hard-wrapped: some words are split with a hyphen at a line's end
        int splitWords = 0;
        for (size_t i = 6; i + 1 < lines.size(); ++i)
            if (lines[i].size() > 1 && lines[i].back() == '-' && lines[i][lines[i].size() - 2] != '-') ++splitWords;
        EXPECT_GT(splitWords, 0);
    }
    EXPECT_NE(LanguageTableCell(English, 17).find("laws of France"), std::string::npos);
}

struct LanguageCase {
    int32_t language;
    const char* cancelText; // row 6 as UiText reads it
};

TEST_F(LanguageTableTest, UiTextReadsTheBlockOfTheSettingsLanguage) {
    const LanguageCase cases[] = {{0, "Annuler"}, {1, "Cancel"}, {2, ""}, {-1, ""}, {3, ""}, {1000, ""}};
    for (const LanguageCase& c : cases) {
        Settings.Language = c.language;
        SCOPED_TRACE(c.language);
        EXPECT_EQ(UiText(6), c.cancelText);
        if (c.language < 0 || c.language > 1) {
            for (int row = 0; row < languageRows; ++row) EXPECT_EQ(UiText(row), "") << row;
        }
    }
    Settings.Language = 1;
    EXPECT_EQ(UiText(-1), "");
    EXPECT_EQ(UiText(languageRows), "");
}

} // namespace
