#include "core/library/url_list.h"

#include <gtest/gtest.h>

#include "core/base/safe_file.h"
#include "support/temp_dir.h"

using namespace tunecrest;

TEST(UrlList, SortsByNameThenUrlWithoutCaseAndNotifies) {
    TurlList list;
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    list.Add("radio B", "http://b");
    list.Add("Radio a", "http://z");
    list.Add("RADIO A", "http://Y");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"RADIO A=http://Y", "Radio a=http://z", "radio B=http://b"}));
    EXPECT_EQ(list.GetValue("radio b"), "http://b");
    EXPECT_EQ(list.NameOfURL("HTTP://B"), "radio B");
    EXPECT_EQ(list.GetURL(7), "");
    list.SetURL("radio b", "http://c");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetValue("RADIO B"), "http://c");
    list.DeleteName("nobody");
    EXPECT_EQ(list.Count(), 3);
}

TEST(UrlList, FileRoundTripKeepsUrlsWithEqualsSignsAndCommas) {
    test::TempDir dir;
    TurlList list;
    list.Add("Jazz, Blues & More", "http://host/stream?a=1&b=2");
    list.Add("Talk Radio", "http://talk:8000/");
    ASSERT_TRUE(list.SaveToFile(dir.File("internetradio.dat")));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(dir.File("internetradio.dat"), bytes));
    EXPECT_EQ(bytes, "Jazz, Blues & More=http://host/stream?a=1&b=2\r\nTalk Radio=http://talk:8000/\r\n");
    TurlList back;
    back.LoadFromFile(dir.File("internetradio.dat"));
    EXPECT_EQ(back.Lines(), list.Lines());
    EXPECT_EQ(back.GetName(0), "Jazz, Blues & More");
    EXPECT_EQ(back.GetURL(0), "http://host/stream?a=1&b=2");
    back.LoadFromFile(dir.File("missing.dat"));
    EXPECT_EQ(back.Count(), 0);
}

TEST(UrlList, ImportKeepsTheUrlsOfKnownStations) {
    test::TempDir dir;
    ASSERT_TRUE(SafeWriteFile(dir.File("more.txt"), "talk radio=http://other\nNew One=http://new\nno equals\n"));
    TurlList list;
    list.Add("Talk Radio", "http://talk");
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    list.ImportFile(dir.File("more.txt"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetValue("Talk Radio"), "http://talk");
    EXPECT_EQ(list.GetValue("new one"), "http://new");
}
