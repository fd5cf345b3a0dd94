#include "core/database/query_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/tags/tag_list_rules.h"
#include "core/base/text_utils.h"
#include "support/temp_dir.h"

using namespace tunecrest;

TEST(QueryRules, IniLinesInFileOrderGapsAndNonNumericKeys) {
    TiniFile ini;
    ini.SetText(
        "[Oldies]\n"
        "RuleName=Oldies\n"
        "Enabled=1\n"
        "Rule5=Year(ModDate) < 1980\n"
        "Rule1=Artist = 'x'\n"
        "RuleX=ignored\n"
        "Rule=ignored too\n"
        "Note12=counted, its tail is a number\n");
    TdbRules rule;
    rule.LoadFromIni(ini, "Oldies");
    EXPECT_EQ(rule.RuleName, "Oldies");
    EXPECT_TRUE(rule.Enabled);
    EXPECT_EQ(rule.ToVector(), (std::vector<std::string>{"Year(ModDate) < 1980", "Artist = 'x'",
                                                          "counted, its tail is a number"}));

    // Saving renumbers from 0 and replaces the section.
    rule.SaveToIni(ini);
    EXPECT_EQ(ini.ReadSection("Oldies"), (std::vector<std::string>{"RuleName", "Enabled", "Rule0", "Rule1", "Rule2"}));
    EXPECT_EQ(ini.ReadString("Oldies", "Rule1", ""), "Artist = 'x'");
    EXPECT_EQ(ini.ReadString("Oldies", "Enabled", ""), "1");

    TdbRules copy;
    copy.Enabled = false;
    copy.Assign(&rule);
    EXPECT_EQ(copy.RuleName, "Oldies");
    EXPECT_EQ(copy.Count(), 3);
    EXPECT_FALSE(copy.Enabled);  // not carried without CopyEnabled
    copy.CopyEnabled = true;
    copy.Assign(&rule);
    EXPECT_TRUE(copy.Enabled);
    copy.Assign(nullptr);
    EXPECT_EQ(copy.RuleName, "");
    EXPECT_EQ(copy.Count(), 0);
}

TEST(QueryRules, ListFileRoundTripSortedByName) {
    test::TempDir dir;
    const std::string file = dir.File("dbrules.dat");
    TdbRulesList list;
    list.Add("zeta")->Add("Artist = 'z'");
    auto alpha = list.Add("Alpha");
    alpha->Add("Title Like 'a%'");
    alpha->Add("Album = \"A, B\"");
    alpha->Enabled = true;
    EXPECT_EQ(list.Add("ALPHA"), alpha);
    EXPECT_TRUE(list.Exists("alpha"));
    EXPECT_EQ(list.RuleByName("none"), nullptr);
    ASSERT_TRUE(list.SaveToFile(file));

    TdbRulesList loaded;
    loaded.Add("stale");
    loaded.LoadFromFile(file);
    EXPECT_EQ(loaded.ToVector(), (std::vector<std::string>{"Alpha", "zeta"}));
    EXPECT_EQ(loaded.RuleByName("Alpha")->ToVector(), alpha->ToVector());
    EXPECT_TRUE(loaded.RuleByName("Alpha")->Enabled);
    EXPECT_FALSE(loaded.RuleByName("zeta")->Enabled);

    loaded.LoadFromFile(dir.File("missing.dat"));
    EXPECT_EQ(loaded.Count(), 0);
}

TEST(QueryRules, AHundredThousandSectionsLoadSortedWithTheirLines) {
    test::TempDir dir;
    const std::string file = dir.File("dbrules.dat");
    {
        std::ofstream out(file, std::ios::binary);
        // In reverse order, the worst case for filing one by one; a name twice (the
        // second time in other letters) keeps the first section's rule.
        for (int i = 99999; i >= 0; --i)
            out << "[Rule " << i << "]\r\nRuleName=Rule " << i << "\r\nEnabled=" << (i % 2)
                << "\r\nRule0=Artist = '" << i << "'\r\n";
        out << "[RULE 7]\r\nRule0=Other\r\n";
    }
    TdbRulesList list;
    int notices = 0;
    list.OnChange = [&](TObject*) { ++notices; };
    list.LoadFromFile(file);
    ASSERT_EQ(list.Count(), 100000);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(list.Strings(0), "Rule 0");
    EXPECT_EQ(list.Strings(1), "Rule 1");
    EXPECT_EQ(list.Strings(2), "Rule 10");
    for (int i = 1; i < list.Count(); ++i) ASSERT_LT(CompareText(list.Strings(i - 1), list.Strings(i)), 0);
    const auto seven = list.RuleByName("rule 7");
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven->ToVector(), (std::vector<std::string>{"Artist = '7'"}));
    EXPECT_TRUE(seven->Enabled);
    EXPECT_EQ(list.RuleByName("Rule 99999")->ToVector(), (std::vector<std::string>{"Artist = '99999'"}));
}

TEST(QueryRules, XmlRoundTripOfARuleAndOfTheList) {
    TdbRules rule;
    rule.RuleName = "Rock & \"Roll\"";
    rule.Enabled = true;
    rule.Add("Genre = 'Rock' And TrackNo < 3");
    rule.Add("Artist Like '[a-c]%'");
    const std::string plain = SaveObjectToXMLText(rule.XMLer());
    EXPECT_NE(plain.find("<TrandomPlayRulesXML>"), std::string::npos) << plain;
    EXPECT_NE(plain.find("<RuleName val=\"Rock &amp; &quot;Roll&quot;\""), std::string::npos) << plain;
    EXPECT_EQ(plain.find("Enabled"), std::string::npos);  // carried only with CopyEnabled
    EXPECT_LT(plain.find("RuleName"), plain.find("<string"));

    TdbRules back;
    back.CopyEnabled = true;
    back.Add("stale line");
    ASSERT_TRUE(LoadObjectFromXMLText(plain, back.XMLer()));
    EXPECT_EQ(back.RuleName, rule.RuleName);
    EXPECT_EQ(back.ToVector(), rule.ToVector());
    EXPECT_FALSE(back.Enabled);
    rule.CopyEnabled = true;
    ASSERT_TRUE(LoadObjectFromXMLText(SaveObjectToXMLText(rule.XMLer()), back.XMLer()));
    EXPECT_TRUE(back.Enabled);
    EXPECT_FALSE(LoadObjectFromXMLText("<TdbRulesListXML/>", back.XMLer()));

    TdbRulesList list;
    list.Add("zeta")->Add("Artist = 'z'");
    list.Add("Alpha")->Add("Album = \"A, B\"");
    const std::string text = SaveObjectToXMLText(list.XMLer());
    TdbRulesList loaded;
    loaded.Add("stale");
    int changes = 0;
    loaded.OnChange = [&](TObject*) { ++changes; };
    ASSERT_TRUE(LoadObjectFromXMLText(text, loaded.XMLer()));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(loaded.ToVector(), (std::vector<std::string>{"Alpha", "zeta"}));
    EXPECT_EQ(loaded.RuleByName("alpha")->ToVector(), std::vector<std::string>{"Album = \"A, B\""});
    EXPECT_EQ(loaded.RuleByName("zeta")->RuleName, "zeta");
}

TEST(QueryRules, RuleFilesThatCannotBeReadAreNotOverwrittenAndNamesStayOneLine) {
    test::TempDir dir;
    // Above the settings size limit (sparse): it exists and cannot be read.
    const std::string file = dir.File("dbrules.dat");
    ASSERT_TRUE(SafeWriteFile(file, "[Keep]\r\nRuleName=Keep\r\n"));
    std::filesystem::resize_file(file, (uint64_t(64) << 20) + 1);
    TdbRulesList list;
    list.LoadFromFile(file);
    EXPECT_EQ(list.Count(), 0);
    list.Add("New")->Add("Artist = 'x'");
    std::string error;
    EXPECT_FALSE(list.SaveToFile(file, &error));
    EXPECT_NE(error.find("could not be read"), std::string::npos) << error;
    EXPECT_EQ(std::filesystem::file_size(file), (uint64_t(64) << 20) + 1);
    TtagListRulesCollection filters;
    filters.LoadFromFile(file);
    auto filter = std::make_unique<TtagListRules>();
    filter->Name = "Mine";
    filters.Add(std::move(filter));
    EXPECT_FALSE(filters.SaveToFile(file, &error));
    EXPECT_EQ(std::filesystem::file_size(file), (uint64_t(64) << 20) + 1);

    // Elsewhere they are written; a rule named with a line break comes back as one rule.
    const std::string other = dir.File("other.dat");
    list.Add("Two\nLines")->Add("Title = 'a'\r\nRule1=Title = 'b'");
    ASSERT_TRUE(list.SaveToFile(other));
    TdbRulesList back;
    back.LoadFromFile(other);
    EXPECT_EQ(back.ToVector(), (std::vector<std::string>{"New", "Two Lines"}));
    EXPECT_EQ(back.RuleByName("Two Lines")->ToVector(), std::vector<std::string>{"Title = 'a'  Rule1=Title = 'b'"});
    ASSERT_TRUE(filters.SaveToFile(other));
    // Once readable again, the file is written as usual.
    std::filesystem::resize_file(file, 23);
    list.LoadFromFile(file);
    EXPECT_EQ(list.ToVector(), std::vector<std::string>{"Keep"});
    EXPECT_TRUE(list.SaveToFile(file));
}
