// The folded names the song search reads: every search gives what comparing each folded
// name with the folded text gives, in order, whether the names were made at once or a run
// at a time, in one part or several (a large list, searched on threads), narrowing a list
// or not, with media kinds left out, for one letter (answered by the masks alone) and for
// longer texts, bytes beyond ASCII, zero bytes and empty names.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "core/base/search_folding.h"
#include "windows/search/folded_names.h"

namespace tunecrest {
namespace {

using Clock = std::chrono::steady_clock;

struct Names {
    std::vector<std::string> Texts;
    std::vector<std::string> Folded;  // each text folded on its own
    std::vector<uint8_t> Kinds;
    TfoldedNames::TnameOf NameOf() const {
        return [this](size_t i) -> std::string_view { return Texts[i]; };
    }
};

// Names made to trip a search: short runs of a few pieces in both cases, accented letters,
// spaces, zero bytes, a byte that is no UTF-8 and empty names; every fifth a karaoke track.
Names MakeNames(size_t count, uint32_t seed) {
    const std::vector<std::string> pieces = {"a", "R", "r", "i", "ab", "Ab", "RI", "v", "e", " ",
                                             "\xC3\xA9", "\xC3\x84", std::string(1, '\0'), "\xFF", "9", "-"};
    Names names;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    for (size_t i = 0; i < count; ++i) {
        std::string text;
        const uint32_t length = next(9);
        for (uint32_t k = 0; k < length; ++k) text += pieces[next(uint32_t(pieces.size()))];
        names.Texts.push_back(text);
        names.Folded.push_back(SearchFolded(text));
        names.Kinds.push_back(next(5) == 0 ? 8 : 1);
    }
    return names;
}

std::vector<uint32_t> Expected(const Names& names, const std::string& text, TfoldedNames::Twanted wanted,
                               const std::vector<uint32_t>* among = nullptr) {
    const std::string folded = SearchFolded(text);
    std::vector<uint32_t> out;
    const auto consider = [&](uint32_t i) {
        if (wanted(i) && names.Folded[i].find(folded) != std::string::npos) out.push_back(i);
    };
    if (among) {
        for (uint32_t i : *among) consider(i);
    } else {
        for (uint32_t i = 0; i < names.Texts.size(); ++i) consider(i);
    }
    return out;
}

std::vector<uint32_t> Found(const TfoldedNames& folded, const std::string& text, TfoldedNames::Twanted wanted,
                            const std::vector<uint32_t>* among = nullptr) {
    std::vector<uint32_t> out = {7, 7, 7};  // what was there before goes
    folded.Find(SearchFolded(text), wanted, among, out);
    return out;
}

const std::vector<std::string> kTexts = {"r",  "R",   "9",  "a", " ", "-", "\xC3\xA9", "e", std::string(1, '\0'),
                                         "ri", "RIV", "ab", "é", "zz", "\xFF", std::string("a\0b", 3), "e r"};

void ExpectEveryTextFound(const Names& names, const TfoldedNames& folded) {
    const uint8_t* kinds = names.Kinds.data();
    for (const TfoldedNames::Twanted wanted :
         {TfoldedNames::Twanted{}, TfoldedNames::Twanted{kinds, 0xFFFFFFFFu}, TfoldedNames::Twanted{kinds, 8u}}) {
        for (const std::string& text : kTexts) {
            SCOPED_TRACE("text \"" + text + "\" kinds mask " + std::to_string(wanted.Mask));
            const std::vector<uint32_t> all = Found(folded, text, wanted);
            EXPECT_EQ(all, Expected(names, text, wanted));
            // Narrowing the results of a shorter text gives what a whole search gives.
            const std::vector<uint32_t> shorter = Found(folded, text.substr(0, 1), wanted);
            EXPECT_EQ(Found(folded, text, wanted, &shorter), Expected(names, text, wanted, &shorter));
            for (uint32_t i : {0u, 1u, uint32_t(names.Texts.size() - 1)})
                EXPECT_EQ(folded.Holds(i, SearchFolded(text)),
                          names.Folded[i].find(SearchFolded(text)) != std::string::npos);
        }
    }
}

TEST(FoldedNames, ASmallListFindsWhatEachNameHolds) {
    const Names names = MakeNames(3000, 1);
    TfoldedNames folded;
    folded.Fill(names.Texts.size(), names.NameOf());
    EXPECT_EQ(folded.Total, 3000u);
    ExpectEveryTextFound(names, folded);
}

TEST(FoldedNames, ALargeListInPartsOnThreadsFindsTheSameInOrder) {
    const Names names = MakeNames(120000, 2);
    TfoldedNames folded;
    folded.Fill(names.Texts.size(), names.NameOf());
    ExpectEveryTextFound(names, folded);
}

TEST(FoldedNames, NamesMadeARunAtATimeAreTheSameAsMadeAtOnce) {
    const Names names = MakeNames(70000, 3);
    TfoldedNames folded;
    folded.Begin(names.Texts.size());
    int calls = 0;
    // A deadline gone by: each call makes one run and says whether all are made.
    while (!folded.MakeSome(names.NameOf(), Clock::now() - std::chrono::seconds(1))) {
        ++calls;
        EXPECT_LT(folded.Made(), names.Texts.size());
        ASSERT_LT(calls, 1000);
    }
    EXPECT_GT(calls, 5) << "a run is a small part of a large list";
    EXPECT_TRUE(folded.Complete());
    ExpectEveryTextFound(names, folded);
}

TEST(FoldedNames, EmptyListsAndEmptyNames) {
    TfoldedNames none;
    none.Begin(0);
    EXPECT_TRUE(none.MakeSome([](size_t) { return std::string_view(); }, Clock::now()));
    EXPECT_TRUE(Found(none, "a", {}).empty());
    Names blanks;
    blanks.Texts = {"", "", "A", ""};
    blanks.Folded = blanks.Texts;
    blanks.Kinds = {1, 1, 1, 1};
    TfoldedNames folded;
    folded.Fill(blanks.Texts.size(), blanks.NameOf());
    EXPECT_EQ(Found(folded, "a", {}), (std::vector<uint32_t>{2}));
    EXPECT_EQ(Found(folded, " ", {}), (std::vector<uint32_t>{}));
}

}  // namespace
}  // namespace tunecrest
