// Text folded for searching: ASCII letters without regard to case, Latin letters with
// their accents left aside (also in the two- and three-byte forms of UTF-8 and the letters
// spelled with two), everything else byte for byte, including broken UTF-8; the block form
// folds many names at once exactly as one by one.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/base/search_folding.h"

namespace tunecrest {
namespace {

TEST(SearchFolding, AccentsAndCaseAreLeftAside) {
    EXPECT_EQ(SearchFolded("Bulles gel\xC3\xA9" "es"), "BULLES GELEES");
    EXPECT_EQ(SearchFolded("GEL\xC3\x89" "ES"), "GELEES");
    EXPECT_EQ(SearchFolded("\xC3\x85ngstr\xC3\xB6m"), "ANGSTROM");             // Ångström
    EXPECT_EQ(SearchFolded("Ni\xC3\xB1o Fa\xC3\xA7" "ade"), "NINO FACADE");   // Niño Façade
    EXPECT_EQ(SearchFolded("Stra\xC3\x9F" "e"), "STRASSE");                    // Straße
    EXPECT_EQ(SearchFolded("\xC5\x92uvre \xC3\x86on"), "OEUVRE AEON");         // Œuvre Æon
    EXPECT_EQ(SearchFolded("\xC3\x98ye \xC5\x81\xC3\xB3" "d\xC5\xBA"), "OYE LODZ");  // Øye Łódź
    EXPECT_EQ(SearchFolded("\xC4\x90\xE1\xBB\x93ng Vi\xE1\xBB\x87t"), "DONG VIET");  // Đồng Việt (three-byte letters)
    EXPECT_EQ(SearchFolded("\xC8\x98tefan"), "STEFAN");                          // Ștefan (Latin Extended-B)
    EXPECT_EQ(SearchFolded("\xE1\xBA\x9E"), "SS");                               // capital sharp s
}

TEST(SearchFolding, EverythingElseStaysByteForByte) {
    EXPECT_EQ(SearchFolded("abc 123 [x] ~"), "ABC 123 [X] ~");
    EXPECT_EQ(SearchFolded("\xC3\x97\xC3\xB7"), "\xC3\x97\xC3\xB7");  // the signs × and ÷ are no letters
    EXPECT_EQ(SearchFolded("\xCE\xB1\xCE\xB2"), "\xCE\xB1\xCE\xB2");  // Greek keeps its letters
    EXPECT_EQ(SearchFolded("\xE9\x9D\x99\xE3\x81\x8B"), "\xE9\x9D\x99\xE3\x81\x8B");  // 静か
    EXPECT_EQ(SearchFolded("\xF0\x9F\x8E\xB5 x"), "\xF0\x9F\x8E\xB5 X");  // a note sign
    // Broken UTF-8: a lone lead byte, a lone continuation, a lead byte at the end, a
    // two-byte lead before a zero byte.
    EXPECT_EQ(SearchFolded("a\xC3" "b"), "A\xC3" "B");
    EXPECT_EQ(SearchFolded("\xA9x"), "\xA9X");
    EXPECT_EQ(SearchFolded("x\xC3"), "X\xC3");
    EXPECT_EQ(SearchFolded(std::string("\xC3\0e", 3)), std::string("\xC3\0E", 3));
    EXPECT_EQ(SearchFolded("\xE1\xBB"), "\xE1\xBB");  // a three-byte letter cut short
    EXPECT_EQ(SearchFolded(""), "");
}

TEST(SearchFolding, ContainsFoldsTheTextAsTheSearchTextWasFolded) {
    EXPECT_TRUE(ContainsSearchFolded("Bulles gel\xC3\xA9" "es", SearchFolded("gelees")));
    EXPECT_TRUE(ContainsSearchFolded("Bulles gel\xC3\xA9" "es", SearchFolded("GEL\xC3\x89")));
    EXPECT_TRUE(ContainsSearchFolded("Crab Walk", "AB W"));
    EXPECT_FALSE(ContainsSearchFolded("Crab Walk", "ABW"));
    EXPECT_TRUE(ContainsSearchFolded("anything", ""));
    EXPECT_FALSE(ContainsSearchFolded("ab", "ABC"));
}

// Random names of ASCII, accented letters, other characters and broken bytes, folded as a
// block with zero bytes between them: each name exactly as folded on its own, at its start.
TEST(SearchFolding, ABlockOfNamesFoldsAsEachNameAlone) {
    const std::vector<std::string> pieces = {"a", "Z", "q ", "longer plain words ", "\xC3\xA9", "\xC3\x89",
                                             "\xC3\x9F", "\xC5\x92", "\xE1\xBB\x87", "\xCE\xB1", "\xC3",
                                             "\xA9", "\xE9\x9D\x99", "12345678", "\xC3\x97"};
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::string> names(size_t(random() % 40));
        for (auto& name : names)
            for (int k = int(random() % 12); k > 0; --k) name += pieces[random() % pieces.size()];
        std::string block;
        std::vector<uint32_t> starts;
        for (const auto& name : names) {
            starts.push_back(uint32_t(block.size()));
            block += name;
            block.push_back('\0');
        }
        starts.push_back(uint32_t(block.size()));
        const size_t size = FoldNamesForSearch(block.data(), block.size(), starts.data(), names.size());
        ASSERT_EQ(starts.back(), size);
        for (size_t i = 0; i < names.size(); ++i) {
            ASSERT_EQ(block.substr(starts[i], starts[i + 1] - starts[i]), SearchFolded(names[i]) + '\0')
                << "round " << round << " name " << i;
        }
    }
}

}  // namespace
}  // namespace tunecrest
