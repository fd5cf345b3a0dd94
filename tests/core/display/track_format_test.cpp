#include "core/display/track_format.h"

#include <gtest/gtest.h>

#include "core/tags/audio_tag.h"
#include "core/jukebox/global_prefs.h"
#include "core/base/ini_file.h"
#include "core/display/markup_text.h"

using namespace tunecrest;

namespace {

// A font store whose fonts are named after their codes, so that expected lines stay short.
TfontContainer MakeFonts(std::initializer_list<const char*> codes) {
    TfontContainer store;
    for (const char* code : codes) {
        TfontItem& item = store.Items().Add();
        item.Mask = code;
        item.NiceName = code;
        item.FontRef().Name = code;
    }
    return store;
}

std::string F(const std::string& name) {
    return "<font name=\"" + name + "\" color=#000000 size=8></b></u>";
}

TaudioTag& Track(TaudioTag& tag, const std::string& artist, const std::string& title, uint32_t trackNo,
                 uint32_t seconds) {
    tag.SetArtist(artist);
    tag.SetTitle(title);
    tag.SetTrackNo(trackNo);
    tag.SetDuration(seconds);
    return tag;
}

}  // namespace

TEST(LegacyFormat, PercentCodesBecomeTags) {
    EXPECT_EQ(ConvertLegacyFormat("%1 - %2"), "<FAR><AR><FCH> - <FTI><TI><FCH>");
    EXPECT_EQ(ConvertLegacyFormat("%3%4%5%6%9%t"),
              "<FAL><AL><FCH><FYR><YR><FCH><FGE><GE><FCH><FTN><TN><FCH><FCOM><CO><FCH><FDU><DU><FCH>");
    EXPECT_EQ(ConvertLegacyFormat("%T %7 100% %%2 %"), "%T %7 100% %<FTI><TI><FCH> %");
    EXPECT_EQ(ConvertLegacyFormat("%1%1"), "<FAR><AR><FCH><FAR><AR><FCH>");
}

TEST(FormatFields, TableOfTracks) {
    TaudioTag full;
    Track(full, "Ann & Co", "Song", 7, 245);
    full.SetAlbum("First");
    full.SetGenreString("Pop");
    full.SetComment("Live");
    TaudioTag noArtist;
    Track(noArtist, "", "Lonely", 0, 59);
    TaudioTag utf8;
    Track(utf8, "Bj\xC3\xB6rk", "J\xC3\xB3ga \xE2\x99\xAB", 12, 3600);
    TaudioTag longFields;
    Track(longFields, std::string(5000, 'a'), std::string(10000, 'b'), 123456, 100000);

    const std::string every = "<TN,. ><AR, - ><TI>|<DU>|<AL>|<GE>|<CO>";
    struct Row {
        TaudioTag* Tag;
        int Width;
        std::string Expected;
    } rows[] = {
        {&full, 2, "07. Ann &amp; Co - Song|4:05|First|Pop|Live"},
        {&full, 1, "7. Ann &amp; Co - Song|4:05|First|Pop|Live"},
        {&noArtist, 2, "00. [Unknown] - Lonely|0:59|||"},
        {&utf8, 3, "012. Bj\xC3\xB6rk - J\xC3\xB3ga \xE2\x99\xAB|60:00|||"},
        {&longFields, 0,
         "123456. " + std::string(5000, 'a') + " - " + std::string(10000, 'b') + "|1666:40|||"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FormatTagFields(*row.Tag, every, row.Width, "[Unknown]"), row.Expected)
            << row.Expected.substr(0, 20);
    // An absurd width is bounded.
    EXPECT_EQ(FormatTagFields(full, "<TN>", 1000000, "").size(), 20u);
    EXPECT_EQ(FormatTagFields(full, "<TN>", -5, ""), "7");
}

TEST(FormatFields, TagMatchingRules) {
    TaudioTag tag;
    Track(tag, "Ann", "Song", 3, 61);
    // First occurrence only; any letter case; the name is a prefix with one character skipped.
    EXPECT_EQ(FormatTagFields(tag, "<TI> - <TI>", 2, ""), "Song - <TI>");
    EXPECT_EQ(FormatTagFields(tag, "<ti>", 2, ""), "Song");
    EXPECT_EQ(FormatTagFields(tag, "<TITLE>", 2, ""), "SongLE");
    EXPECT_EQ(FormatTagFields(tag, "<TI, >", 2, ""), "Song ");
    // Unknown and font tags stay in the field pass; a tag without ">" is left as it is.
    EXPECT_EQ(FormatTagFields(tag, "<FAR><AR><FCH> <YR>", 2, ""), "<FAR>Ann<FCH> <YR>");
    EXPECT_EQ(FormatTagFields(tag, "<TI", 2, ""), "<TI");
    EXPECT_EQ(FormatTagFields(tag, "a < b <AR>", 2, ""), "a < b Ann");
    EXPECT_EQ(FormatTagFields(tag, "", 2, ""), "");
    // Extra fields: the value stays inside "<X:" ">", one "<FCH>" per field at the end.
    tag.ExtraFields().Add("Mood=calm");
    tag.ExtraFields().Add("Key=<A>");
    EXPECT_EQ(FormatTagFields(tag, "<X:Mood> <TI>", 2, ""), "<X:calm> Song<FCH>");
    EXPECT_EQ(FormatTagFields(tag, "<X:Key>/<X:None>/<TI>", 2, ""), "<X:&lt;A&gt;>/<X:>/Song<FCH><FCH>");
}

TEST(FormatFields, TagValuesAreNeverReadAsMarkup) {
    TaudioTag tag;
    Track(tag, "<TI>", "<AR>", 1, 1);
    tag.SetAlbum("<FONT size=500>Big");
    // Filling one field never fills a tag that another field's value brought in.
    const std::string line = FormatTagFields(tag, "<AR>|<TI>|<AL>", 2, "");
    EXPECT_EQ(line, "&lt;TI&gt;|&lt;AR&gt;|&lt;FONT size=500&gt;Big");
    EXPECT_EQ(StripHTMLTags(line), "<TI>|<AR>|<FONT size=500>Big");
    // The same through the font pass: the markup shows the values literally in one font.
    TglobalPrefs prefs;
    TfontContainer fonts = MakeFonts({"FCH"});
    prefs.SetFontContainer(&fonts);
    std::string shown;
    TmarkupParser parser;
    parser.Parse(FormatTagFonts(tag, "<FTI><AL>", prefs, 2, ""), TFont{},
                 [&](std::string_view text, const TFont& font) {
                     shown += text;
                     EXPECT_EQ(font.Size, 8);
                 });
    EXPECT_EQ(shown, "<FONT size=500>Big");
    // Unknown-artist text is a value too.
    Track(tag, "", "t", 1, 1);
    EXPECT_EQ(FormatTagFields(tag, "<AR>", 2, "<none>"), "&lt;none&gt;");
    // So are the genre and the comment, with the font pass too.
    tag.SetGenreString("<b>Rock & Roll");
    tag.SetComment("<font color=#FF0000>red</font> <TI>");
    EXPECT_EQ(FormatTagFields(tag, "<GE>|<CO>", 2, ""),
              "&lt;b&gt;Rock &amp; Roll|&lt;font color=#FF0000&gt;red&lt;/font&gt; &lt;TI&gt;");
    shown.clear();
    parser.Parse(FormatTagFonts(tag, "<FTI><GE>/<CO>", prefs, 2, ""), TFont{},
                 [&](std::string_view text, const TFont& font) {
                     shown += text;
                     EXPECT_EQ(font.Size, 8);
                     EXPECT_FALSE(font.Bold) << "no value turns a style on";
                     EXPECT_EQ(font.Color, TColor(0)) << "nor a colour";
                 });
    EXPECT_EQ(shown, "<b>Rock & Roll/<font color=#FF0000>red</font> <TI>");
}

TEST(FormatFonts, FontTagsResolveThroughTheStore) {
    TaudioTag tag;
    Track(tag, "Ann", "Song", 4, 200);
    TglobalPrefs prefs;
    TfontContainer fonts = MakeFonts({"FCH", "FTI", "FAR", "FDU", "FTN", "FAL", "FGE", "FCO", "FXT"});
    prefs.SetFontContainer(&fonts);
    EXPECT_EQ(FormatTagFonts(tag, "<FTN><TN>. <FAR><AR><FCH> - <FTI><TI> <fdu>(<DU>)<FCH>", prefs, 2, ""),
              F("FTN") + "04. " + F("FAR") + "Ann" + F("FCH") + " - " + F("FTI") + "Song " + F("FDU") +
                  "(3:20)" + F("FCH"));
    // Every occurrence of a font tag; FCOM is FCO; unknown tags stay.
    EXPECT_EQ(FormatTagFonts(tag, "<FCOM><CO><FAL><FAL><FGE><FYR><YR>", prefs, 2, ""),
              F("FCO") + F("FAL") + F("FAL") + F("FGE") + "<FYR><YR>");
    // Extra fields show in the FXT font, with one FCH at the very end of the line.
    tag.ExtraFields().Add("Mood=calm");
    EXPECT_EQ(FormatTagFonts(tag, "<X:Mood> <TI>", prefs, 2, ""), F("FXT") + "calm Song" + F("FCH"));
    // A code the store lacks takes the store's first font.
    TfontContainer few = MakeFonts({"FCH", "FTI"});
    prefs.SetFontContainer(&few);
    EXPECT_EQ(FormatTagFonts(tag, "<FAR><AR><FCH>", prefs, 2, ""), F("FCH") + "Ann" + F("FCH"));
    // A code matches the store without regard to case.
    few.Items().Items(1)->Mask = "fti";
    EXPECT_EQ(FormatTagFonts(tag, "<FTI><TI>", prefs, 2, ""), F("FTI") + "Song");
    // The same format again after the store changed: the new fonts are used.
    few.Items().Items(1)->FontRef().Name = "Other";
    EXPECT_EQ(FormatTagFonts(tag, "<FTI><TI>", prefs, 2, ""), F("Other") + "Song");
    few.Items().Items(1)->Mask = "FXX";
    EXPECT_EQ(FormatTagFonts(tag, "<FTI><TI>", prefs, 2, ""), F("FCH") + "Song");
    EXPECT_EQ(FormatTagFields(tag, "<FTI><TI>", 2, ""), "<FTI>Song");
}

TEST(FormatFonts, AnEmptyOrMissingStoreInsertsNoFontTag) {
    TaudioTag tag;
    Track(tag, "Ann", "Song", 4, 200);
    tag.ExtraFields().Add("Mood=calm");
    TglobalPrefs prefs;
    const std::string format = "<FAR><AR><FCH> - <FTI><TI> <X:Mood>";
    EXPECT_EQ(FormatTagFonts(tag, format, prefs, 2, ""), "Ann - Song calm");
    TfontContainer empty;
    prefs.SetFontContainer(&empty);
    EXPECT_EQ(FormatTagFonts(tag, format, prefs, 2, ""), "Ann - Song calm");
    EXPECT_EQ(FontTagForCode(nullptr, "FTI"), "");
    EXPECT_EQ(ArtistAlbumsCaption(&empty.Items(), "A", 2, true, ""), "A (2 Albums)");
    EXPECT_EQ(TrackListCaption(&empty.Items(), "L", 1, 0, false, 3), "L (1 Track)");

    // The cached display texts.
    SetTagDisplayText(tag, format, prefs, 2, "");
    EXPECT_EQ(tag.Caption(), "Ann - Song calm");
    SetTagPlainText(tag, "<AR>/<FTI>", 2, "");
    EXPECT_EQ(tag.Caption(), "Ann/<FTI>");
}

TEST(GroupCaptions, CountsWordsAndFonts) {
    TfontContainer fonts = MakeFonts({"Item0", "Item1", "FDU", "FAR", "FAL"});
    const TfontCollection* f = &fonts.Items();
    EXPECT_EQ(ArtistAlbumsCaption(f, "Ann & Bo", 1, false, "*"),
              F("Item0") + "Ann &amp; Bo " + F("FDU") + "(1 Album*)");
    EXPECT_EQ(ArtistAlbumsCaption(f, "A", 3, true, ""), F("Item1") + "A " + F("FDU") + "(3 Albums)");
    EXPECT_EQ(ArtistAlbumsTracksCaption(f, "A", 2, 1, false, ""),
              F("Item0") + "A " + F("FDU") + "(2 Albums, 1 Track)");
    EXPECT_EQ(ArtistAlbumsTracksCaption(f, "A", 0, 5, false, ""),
              F("Item0") + "A " + F("FDU") + "(5 Tracks)");
    EXPECT_EQ(ArtistOwnFontCaption(f, "A", 1, 9, true, " x"),
              F("FAR") + "A " + F("FDU") + "(1 Album, 9 Tracks x)");
    EXPECT_EQ(ArtistOwnFontCaption(f, "A", 1, 9, false, ""), F("FAR") + "A " + F("FDU") + "(9 Tracks)");
    EXPECT_EQ(AlbumCaption(f, "Al", 12, 3725, " CD"), F("FAL") + "Al " + F("FDU") + "(12 Tracks [62:05 CD])");
    EXPECT_EQ(TrackListCaption(f, "Party", 2, 3725, true, -1),
              F("FAR") + "Party " + F("FDU") + "(2 Tracks [1:02:05])");
    EXPECT_EQ(TrackListCaption(f, "Party", 1, 0, false, 99), F("FAL") + "Party " + F("FDU") + "(1 Track)");
    EXPECT_EQ(GroupCaption(f, "1990s", "", false), F("Item0") + "1990s ");
    EXPECT_EQ(GroupCaption(f, "1990s", "(4)", true), F("Item1") + "1990s " + F("FDU") + "(4)");
}

TEST(FormatStringStore, SettingsKeysAndDefaults) {
    TformatStringContainer store;
    store.Items().Add("Queue (wide)", "<FAR><AR><FCH> - <TI>");
    store.Items().Add("Track List 2", "<TN> <TI>");
    TiniFile ini;
    store.SaveToSettings(ini, kFormatStringsSection);
    EXPECT_EQ(ini.GetText(),
              "[FormatStrings]\r\nQueuewide=<FAR><AR><FCH> - <TI>\r\nTrackList2=<TN> <TI>\r\n");

    TiniFile edited;
    edited.SetText("[FormatStrings]\r\ntracklist2=%6 %2\r\n");
    TformatStringContainer back;
    back.SetItems(store.Items());
    back.LoadFromSettings(edited, kFormatStringsSection);
    EXPECT_EQ(back.Items().Items(0)->formatString, "<FAR><AR><FCH> - <TI>");
    EXPECT_EQ(back.Items().Items(1)->formatString, "%6 %2");
    EXPECT_EQ(store.Items().Items(1)->formatString, "<TN> <TI>");  // the copy was deep
    EXPECT_EQ(back.Items().Items(2), nullptr);

    int resets = 0;
    back.OnResetDefaults = [&](TObject* sender) {
        EXPECT_EQ(sender, &back);
        ++resets;
    };
    back.ResetDefaults();
    EXPECT_EQ(resets, 1);
}
