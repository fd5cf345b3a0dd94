#include "core/tags/tag_list_rules.h"

#include <gtest/gtest.h>

#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/shared_utils.h"
#include "support/temp_dir.h"

using namespace tunecrest;

TEST(TagListRules, NoRulesPassEverything) {
    TtagListRules r;
    EXPECT_FALSE(r.HasRules());
    EXPECT_TRUE(r.PassesGenre("") && r.PassesYear("junk") && r.PassesArtist("x") && r.PassesPath("/a"));
}

TEST(TagListRules, YearsAreTheFirstFourDigitNumberOfTheDate) {
    EXPECT_EQ(YearOfDateText("1987-03-01"), 1987);
    EXPECT_EQ(YearOfDateText("May 1987"), 1987);
    EXPECT_EQ(YearOfDateText("19870301"), 1987);
    EXPECT_EQ(YearOfDateText("3/5/87"), 0);
    EXPECT_EQ(YearOfDateText(""), 0);
    TtagListRules r;
    r.UseYear = true;
    r.FromYear = 1980;
    r.ToYear = 1989;
    EXPECT_TRUE(r.PassesYear("1980"));
    EXPECT_TRUE(r.PassesYear("May 1989"));
    EXPECT_FALSE(r.PassesYear("1990-01-01"));
    EXPECT_FALSE(r.PassesYear(""));  // undated is year 0, below FromYear
    r.FromYear = 0;
    EXPECT_TRUE(r.PassesYear(""));  // kept while FromYear is 0
    r.NotYear = true;
    EXPECT_FALSE(r.PassesYear("1985"));
    EXPECT_TRUE(r.PassesYear("1995"));
}

TEST(TagListRules, NegationAndPrefixPaths) {
    TtagListRules r;
    r.UseGenres = true;
    r.NotGenres = true;
    r.Genres.Add("Rock");
    EXPECT_FALSE(r.PassesGenre("rock"));
    EXPECT_TRUE(r.PassesGenre("Jazz"));
    EXPECT_TRUE(r.PassesGenre(""));  // no genre is "not Rock"
    r.UseArtists = true;
    r.Artists.Add("ABBA");
    EXPECT_TRUE(r.PassesArtist("abba"));
    EXPECT_FALSE(r.PassesArtist("Queen"));
    r.UsePaths = true;
    r.Paths.Add("/Music/Jazz");
    EXPECT_TRUE(r.PassesPath("/MUSIC/JAZZ/x.mp3"));
    EXPECT_TRUE(r.PassesPath("/Music/Jazzrock/y.mp3"));  // a prefix test
    EXPECT_FALSE(r.PassesPath("/Music/Rock/z.mp3"));
    r.NotPaths = true;
    EXPECT_TRUE(r.PassesPath("/Music/Rock/z.mp3"));
}

TEST(TagListRules, IniFormKeyOrderAndAwkwardNames) {
    TtagListRules r;
    r.Artists.Add("Earth, Wind & Fire");
    r.Artists.Add("Simon \"Paul\" Garfunkel");
    r.Artists.Add("");
    r.Artists.Add("ABBA");
    r.UseArtists = true;
    r.Paths.Add("/srv/My Music/");
    r.UseYear = true;
    r.FromYear = 1970;
    r.NotPaths = true;
    TiniFile ini;
    r.SaveToIni(ini, "Seventies, mostly");
    EXPECT_EQ(ini.GetText(),
              "[Seventies, mostly]\r\n"
              "Artists=\"\",ABBA,\"Earth, Wind & Fire\",\"Simon \"\"Paul\"\" Garfunkel\"\r\n"
              "UseArtists=1\r\nGenres=\r\nUseGenres=0\r\nPaths=\"/srv/My Music/\"\r\nUsePaths=0\r\n"
              "UseYear=1\r\nFromYear=1970\r\nToYear=9999\r\nNotArtist=0\r\nNotGenres=0\r\nNotYear=0\r\n"
              "NotPaths=1\r\n");
    TtagListRules back;
    back.LoadFromIni(ini, "seventies, MOSTLY");
    EXPECT_EQ(back.Artists.Items(), r.Artists.Items());
    EXPECT_EQ(back.Paths.Items(), r.Paths.Items());
    EXPECT_TRUE(back.UseArtists && back.UseYear && back.NotPaths && !back.UsePaths);
    EXPECT_EQ(back.FromYear, 1970);
    EXPECT_EQ(back.ToYear, 9999);
    TsortedTextList plain(false);
    plain.SetCommaText("Rock Pop, Jazz");  // unquoted blanks separate items
    EXPECT_EQ(plain.Items(), (std::vector<std::string>{"Jazz", "Pop", "Rock"}));
}

TEST(TagListRules, TwoFiltersOfOneNameBothSurviveASave) {
    test::TempDir dir;
    TtagListRulesCollection rules;
    int changes = 0;
    rules.OnChange = [&](TObject*) { ++changes; };
    for (int i = 0; i < 3; ++i) {
        auto r = std::make_unique<TtagListRules>();
        r->Name = i == 1 ? "Other" : "Party";
        r->UseYear = true;
        r->FromYear = 1960 + 10 * i;
        rules.Add(std::move(r));
    }
    EXPECT_EQ(changes, 3);
    ASSERT_TRUE(rules.SaveToFile(dir.File("rules.dat")));
    TtagListRulesCollection back;
    back.OnChange = [&](TObject*) { ++changes; };
    changes = 0;
    back.LoadFromFile(dir.File("rules.dat"));
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.GetRules(0)->FromYear, 1960);
    EXPECT_EQ(back.GetRules(2)->FromYear, 1980);
    EXPECT_EQ(back.FindByName("PARTY"), back.GetRules(2));  // the later one
    EXPECT_EQ(back.GetNames()[1].first, "Other");
    back.Delete(back.GetRules(1));
    TtagListRules stranger;
    back.Delete(&stranger);  // not present: no notice
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(back.GetRules(5), nullptr);
}
