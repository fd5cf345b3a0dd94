// Byte-level pieces of the list files, comma-separated text and playlist lines.
#include <gtest/gtest.h>

#include "core/component_stream.h"
#include "core/csv_text.h"
#include "core/list_file_io.h"
#include "core/playlist_text.h"

using namespace tunecrest;
using namespace std::string_literals;

TEST(ListText, TextIsLengthThenBytesAndReaderRefusesBadLengths) {
    TbyteWriter w;
    WriteText(w, "Ab\xC3\xA9");  // "Abé" in UTF-8
    EXPECT_EQ(w.Bytes(), "\x04\x00\x00\x00" "Ab\xC3\xA9"s);

    std::string text;
    TbyteReader ok(w.Bytes());
    ASSERT_TRUE(ReadText(ok, text));
    EXPECT_EQ(text, "Ab\xC3\xA9");

    // Legacy Windows-1252 bytes become UTF-8; the text stops at its first zero byte.
    const std::string legacy = "\x05\x00\x00\x00" "Caf\xE9\x00"s;
    TbyteReader lr(legacy);
    ASSERT_TRUE(ReadText(lr, text));
    EXPECT_EQ(text, "Caf\xC3\xA9");

    std::string error;
    const std::string negative = "\xFF\xFF\xFF\xFF"s;
    TbyteReader nr(negative);
    EXPECT_FALSE(ReadText(nr, text, &error));
    EXPECT_NE(error.find("negative"), std::string::npos);
    const std::string past = "\x10\x00\x00\x00" "abc"s;
    TbyteReader pr(past);
    EXPECT_FALSE(ReadText(pr, text, &error));
    const std::string huge = "\x01\x20\x00\x00"s + std::string(8193, 'x');
    TbyteReader hr(huge);
    EXPECT_FALSE(ReadText(hr, text, &error));
}

TEST(ListText, WriterCutsLongTextsAtACharacterBoundary) {
    std::string longText(8191, 'a');
    longText += "\xC3\xA9\xC3\xA9";  // the cut would fall inside the first é
    TbyteWriter w;
    WriteText(w, longText);
    TbyteReader r(w.Bytes());
    std::string back;
    ASSERT_TRUE(ReadText(r, back));
    EXPECT_EQ(back, std::string(8191, 'a'));
}

TEST(ListText, ZlibRoundTripAndDamage) {
    std::string data;
    for (int i = 0; i < 5000; ++i) data += "track " + std::to_string(i) + "\n";
    const std::string packed = ZlibCompressFast(data);
    ASSERT_GE(packed.size(), 2u);
    EXPECT_EQ(uint8_t(packed[0]), 0x78);  // zlib header
    EXPECT_EQ(uint8_t(packed[1]), 0x01);  // fastest level
    std::string out, error;
    size_t consumed = 0;
    ASSERT_TRUE(ZlibDecompress(packed + "trailer", out, kMaxInflatedListBytes, &error, 1u << 30, &consumed));
    EXPECT_EQ(out, data);
    EXPECT_EQ(consumed, packed.size());

    EXPECT_FALSE(ZlibDecompress(packed.substr(0, packed.size() / 2), out, kMaxInflatedListBytes, &error));
    std::string corrupt = packed;
    corrupt[packed.size() / 2] ^= 0x55;
    corrupt[packed.size() / 2 + 1] ^= 0x55;
    EXPECT_FALSE(ZlibDecompress(corrupt, out, kMaxInflatedListBytes, &error));
    EXPECT_FALSE(error.empty());
    // A cap below the real size refuses instead of allocating.
    EXPECT_FALSE(ZlibDecompress(packed, out, 1000, &error));
}

TEST(ComponentStream, IntegersTakeTheSmallestSignedForm) {
    TbyteWriter w;
    TcomponentWriter cw(w);
    cw.WriteInteger("A", 127);
    cw.WriteInteger("B", -128);
    cw.WriteInteger("C", 128);
    cw.WriteInteger("D", -32769);
    cw.WriteInteger("E", 0x100000000LL);
    EXPECT_EQ(w.Bytes(), "\x01" "A" "\x02\x7F"
                         "\x01" "B" "\x02\x80"
                         "\x01" "C" "\x03\x80\x00"
                         "\x01" "D" "\x04\xFF\x7F\xFF\xFF"
                         "\x01" "E" "\x13\x00\x00\x00\x00\x01\x00\x00\x00"s);
}

TEST(ComponentStream, LongTextsAndListsReadBack) {
    TbyteWriter w;
    TcomponentWriter cw(w);
    cw.BeginComponent("Tthing", "");
    const std::string longText(300, 'z');
    cw.WriteString("Long", longText);
    cw.WriteStringList("Lines.Strings", {"a=1", ""});
    cw.EndComponent();
    // The long form: value type 12 and a 32-bit length.
    EXPECT_NE(w.Bytes().find("\x04Long\x0C\x2C\x01\x00\x00"s), std::string::npos);
    EXPECT_NE(w.Bytes().find("\x0DLines.Strings\x01\x06\x03" "a=1\x06\x00\x00"s), std::string::npos);

    TbyteReader r(w.Bytes());
    TcomponentReader cr(r);
    std::string cls, name, error;
    std::string_view prop;
    bool atEnd = false;
    TcomponentValue value;
    ASSERT_TRUE(cr.BeginComponent(cls, name, &error));
    EXPECT_EQ(cls, "Tthing");
    ASSERT_TRUE(cr.NextProperty(prop, atEnd, &error));
    ASSERT_TRUE(cr.ReadValue(value, &error));
    EXPECT_EQ(value.String, longText);
    ASSERT_TRUE(cr.NextProperty(prop, atEnd, &error));
    ASSERT_TRUE(cr.ReadValue(value, &error));
    EXPECT_EQ(value.Lines, (std::vector<std::string>{"a=1", ""}));
    ASSERT_TRUE(cr.NextProperty(prop, atEnd, &error));
    EXPECT_TRUE(atEnd);
    EXPECT_TRUE(cr.EndComponent(&error));
    EXPECT_TRUE(r.AtEnd());

    // A long-text length past the data is refused without allocating it.
    const std::string bad = "\x0C\xFF\xFF\xFF\x7F" "abc"s;
    TbyteReader br(bad);
    TcomponentReader bcr(br);
    EXPECT_FALSE(bcr.ReadValue(value, &error));
}

TEST(Csv, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(QuoteCSVField("plain"), "plain");
    EXPECT_EQ(QuoteCSVField("a,b"), "\"a,b\"");
    EXPECT_EQ(QuoteCSVField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(QuoteCSVField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(QuoteCSVField("cr\rhere"), "\"cr\rhere\"");
    EXPECT_EQ(QuoteCSVField(" padded "), "\" padded \"");
    EXPECT_EQ(QuoteCSVField(""), "");
}

TEST(Csv, SplitAndRowsHonourQuotes) {
    std::vector<std::string> fields;
    SplitCSV("a, \" b \" ,\"c,\"\"d\"\"\",", fields);
    EXPECT_EQ(fields, (std::vector<std::string>{"a", " b ", "c,\"d\"", ""}));
    // An older export doubled quotes without enclosing them.
    SplitCSV("x\"\"y,z", fields);
    EXPECT_EQ(fields, (std::vector<std::string>{"x\"y", "z"}));

    const std::vector<std::string> awkward = {"a,b", "q\"q", "line1\r\nline2", " lead", "trail ", ""};
    std::string row;
    JoinCSV(awkward, row);
    const auto rows = ReadCSVRows(row + "\r\nnext,row\n\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], awkward);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"next", "row"}));
    // An unterminated quote runs to the end without reading past it.
    EXPECT_EQ(ReadCSVRows("\"open,field").size(), 1u);
}

TEST(Playlist, EntriesResolveAgainstThePlaylistFolder) {
    const std::string text =
        "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:10,A - B\r\nsong.mp3\r\n\r\nsub\\dir\\x.mp3\n../up/y.mp3\n/abs/z.mp3\n"
        "http://radio.example/stream\nCaf\xE9.mp3";
    const auto names = ParsePlaylistEntries(text, "/music/lists");
    EXPECT_EQ(names, (std::vector<std::string>{"/music/lists/song.mp3", "/music/lists/sub/dir/x.mp3",
                                               "/music/up/y.mp3", "/abs/z.mp3", "http://radio.example/stream",
                                               "/music/lists/Caf\xC3\xA9.mp3"}));
    EXPECT_EQ(ExtInfLine(215, "Band - Song"), "#EXTINF:215,Band - Song");
    EXPECT_EQ(M3UEntryName("", "Song"), "Song");
    EXPECT_EQ(M3UEntryName("Band", ""), "Band");
    EXPECT_EQ(M3UEntryName("Band", "Song"), "Band - Song");
}
