// XML form of tags and lists: element names, "id", "val", "kind", both directions.
#include <gtest/gtest.h>

#include "core/tags/tag_xml.h"

using namespace tunecrest;

TEST(XmlPersistence, TagRoundTripWithExtraFields) {
    TaudioTag tag;
    tag.SetFilename("/m/a & b.mp3");
    tag.SetArtist("Bj\xC3\xB6rk");
    tag.SetTrackNo(4);
    tag.SetGenreID(17);
    tag.SetModDate(EncodeDate(2020, 2, 29) + EncodeTime(13, 14, 15, 16));
    tag.SetTrackIndex(-3);
    tag.ExtraFields().Add("Mood=Calm");
    tag.ExtraFields().Add("x=<y>");
    TaudioTagXML xmler(tag);
    const std::string text = SaveObjectToXMLText(xmler);
    EXPECT_NE(text.find("<TaudioTag>"), std::string::npos);
    EXPECT_NE(text.find("<Filename val=\"/m/a &amp; b.mp3\" />"), std::string::npos);
    EXPECT_NE(text.find("<ModDate val=\"20200229131415016\" />"), std::string::npos);
    EXPECT_NE(text.find("<TXMLerStringList kind=\"class\">"), std::string::npos);
    EXPECT_NE(text.find("<string val=\"Mood=Calm\" />"), std::string::npos);

    TaudioTag back;
    TaudioTagXML backXmler(back);
    std::string error;
    ASSERT_TRUE(LoadObjectFromXMLText(text, backXmler, &error)) << error;
    EXPECT_EQ(back.Filename(), tag.Filename());
    EXPECT_EQ(back.Artist(), tag.Artist());
    EXPECT_EQ(back.TrackNo(), 4u);
    EXPECT_EQ(back.Sequence(), 4u);
    EXPECT_EQ(back.GenreID(), 17u);
    EXPECT_NEAR(back.ModDate(), tag.ModDate(), 1e-9);
    EXPECT_EQ(back.TrackIndex(), -3);
    EXPECT_EQ(back.ExtraFields().ToVector(), tag.ExtraFields().ToVector());
}

TEST(XmlPersistence, BadValuesWrongElementsAndRenaming) {
    TaudioTag tag;
    TaudioTagXML xmler(tag);
    std::string error;
    ASSERT_TRUE(LoadObjectFromXMLText("<TaudioTag><GenreID val=\"x\"/><Duration val=\"abc\"/></TaudioTag>", xmler));
    EXPECT_EQ(tag.GenreID(), 255u);
    EXPECT_EQ(tag.Duration(), 0u);
    EXPECT_FALSE(LoadObjectFromXMLText("<Other><Title val=\"t\"/></Other>", xmler, &error));
    EXPECT_EQ(tag.Title(), "");
    EXPECT_FALSE(LoadObjectFromXMLText("<TaudioTag><Title val=\"t\"", xmler, &error));
    EXPECT_NE(error.find("XML error"), std::string::npos);

    // An "id" renames the persistence object; later saves use that name.
    ASSERT_TRUE(LoadObjectFromXMLText("<taudiotag id=\"Favourite\"><Title val=\"t\"/></taudiotag>", xmler));
    EXPECT_EQ(xmler.GetName(), "Favourite");
    EXPECT_EQ(tag.Title(), "t");
    EXPECT_NE(SaveObjectToXMLText(xmler).find("<Favourite id=\"Favourite\">"), std::string::npos);
}

TEST(XmlPersistence, ListFlagsAndTags) {
    TaudioTagList list;
    TaudioTagListXMLer xmler(list);
    const char* text =
        "<TaudioTagList><Title val=\"Party\"/><Active val=\"1\"/><RandomPlay val=\"1\"/><Loop val=\"0\"/>"
        "<ResetOnActivate val=\"0\"/>"
        "<TaudioTag kind=\"class\"><Filename val=\"/m/1.mp3\"/><TrackIndex val=\"0\"/></TaudioTag>"
        "<TaudioTag kind=\"class\"><Filename val=\"/m/2.mp3\"/>"
        "<TXMLerStringList kind=\"class\"><string val=\"a=1\"/><other val=\"skip\"/></TXMLerStringList>"
        "</TaudioTag></TaudioTagList>";
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    ASSERT_TRUE(LoadObjectFromXMLText(text, xmler));
    EXPECT_EQ(list.Title(), "Party");
    EXPECT_TRUE(list.Active());
    EXPECT_EQ(list.PlayMode(), ModeSet(lmRandom));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetTag(1)->Filename(), "/m/2.mp3");
    EXPECT_EQ(list.GetTag(1)->TrackIndex(), 2);  // numbered by Add
    EXPECT_EQ(list.GetTag(1)->ExtraFields().ToVector(), std::vector<std::string>{"a=1"});
    EXPECT_EQ(changes, 1);  // one bracket around the whole load

    const std::string saved = SaveObjectToXMLText(xmler);
    TaudioTagList back;
    TaudioTagListXMLer backXmler(back);
    ASSERT_TRUE(LoadObjectFromXMLText(saved, backXmler));
    EXPECT_EQ(back.PlayMode(), list.PlayMode());
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.GetTag(0)->Filename(), "/m/1.mp3");
}
