// Byte-level pieces of the list files, comma-separated text and playlist lines.
#include <gtest/gtest.h>

#include "core/tags/component_stream.h"
#include "core/base/csv_text.h"
#include "core/tags/list_file_io.h"
#include "core/tags/playlist_text.h"

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

// The longest text a list file holds, and the integers either side of each form of
// the component stream, come back exactly and are written again byte for byte.
TEST(ListText, LimitsRoundTripByteForByte) {
    for (const std::string& text : {std::string(8192, 'x'), std::string(8190, 'y') + "\xC3\xA9"}) {
        TbyteWriter w;
        WriteText(w, text);
        EXPECT_EQ(w.Bytes().substr(0, 4), "\x00\x20\x00\x00"s);
        EXPECT_EQ(w.Bytes().size(), 4u + 8192u);
        std::string back, error;
        TbyteReader r(w.Bytes());
        ASSERT_TRUE(ReadText(r, back, &error)) << error;
        EXPECT_EQ(back, text);
        EXPECT_TRUE(r.AtEnd());
        TbyteWriter again;
        WriteText(again, back);
        EXPECT_EQ(again.Bytes(), w.Bytes());
    }

    const int64_t values[] = {127, 128, -128, -129, 32767, 32768, -32768, -32769, 2147483647, 2147483648LL};
    const char* forms[] = {"\x02\x7F", "\x03\x80\x00", "\x02\x80", "\x03\x7F\xFF", "\x03\xFF\x7F",
                           "\x04\x00\x80\x00\x00", "\x03\x00\x80", "\x04\xFF\x7F\xFF\xFF",
                           "\x04\xFF\xFF\xFF\x7F", "\x13\x00\x00\x00\x80\x00\x00\x00\x00"};
    const size_t sizes[] = {2, 3, 2, 3, 3, 5, 3, 5, 5, 9};
    TbyteWriter w;
    TcomponentWriter cw(w);
    cw.BeginComponent("Tthing", "");
    for (int64_t value : values) cw.WriteInteger("N", value);
    cw.WriteString("S", std::string(255, 's'));
    cw.WriteString("L", std::string(256, 'l'));
    cw.EndComponent();
    std::string expected = "TPF0\x06Tthing\x00"s;
    for (size_t i = 0; i < std::size(values); ++i) expected += "\x01N" + std::string(forms[i], sizes[i]);
    expected += "\x01S\x06\xFF" + std::string(255, 's') + "\x01L\x0C\x00\x01\x00\x00"s + std::string(256, 'l');
    expected += "\x00\x00"s;
    EXPECT_EQ(w.Bytes(), expected);

    TbyteReader r(w.Bytes());
    TcomponentReader cr(r);
    TbyteWriter again;
    TcomponentWriter cw2(again);
    std::string cls, name, error;
    ASSERT_TRUE(cr.BeginComponent(cls, name, &error)) << error;
    cw2.BeginComponent(cls, name);
    std::vector<int64_t> numbers;
    std::vector<size_t> lengths;
    for (;;) {
        std::string_view prop;
        bool atEnd = false;
        ASSERT_TRUE(cr.NextProperty(prop, atEnd, &error)) << error;
        if (atEnd) break;
        const std::string propName(prop);
        TcomponentValue value;
        ASSERT_TRUE(cr.ReadValue(value, &error)) << error;
        if (value.Kind == TcomponentValue::vkInteger) {
            numbers.push_back(value.Integer);
            cw2.WriteInteger(propName, value.Integer);
        } else {
            ASSERT_EQ(value.Kind, TcomponentValue::vkString);
            lengths.push_back(value.String.size());
            cw2.WriteString(propName, value.String);
        }
    }
    ASSERT_TRUE(cr.EndComponent(&error)) << error;
    cw2.EndComponent();
    EXPECT_EQ(numbers, std::vector<int64_t>(std::begin(values), std::end(values)));
    EXPECT_EQ(lengths, (std::vector<size_t>{255, 256}));
    EXPECT_EQ(again.Bytes(), w.Bytes());
}

// A short text (class, component and property names) holds at most 255 bytes behind its
// length byte: a longer one is cut to 255, never written with a length that wrapped.
TEST(ComponentStream, ShortTextsOverTheirLimitAreCutWithTheRightLength) {
    for (size_t n : {255u, 256u, 257u, 300u}) {
        TbyteWriter w;
        TcomponentWriter cw(w);
        cw.BeginComponent("Tthing", std::string(n, 'n'));
        cw.WriteInteger(std::string(n, 'p'), 1);
        cw.EndComponent();
        const std::string expected = "TPF0\x06Tthing\xFF"s + std::string(255, 'n') +
                                     "\xFF" + std::string(255, 'p') + "\x02\x01\x00\x00"s;
        EXPECT_EQ(w.Bytes(), expected) << n;
        TbyteReader r(w.Bytes());
        TcomponentReader cr(r);
        std::string cls, name, error;
        ASSERT_TRUE(cr.BeginComponent(cls, name, &error)) << error;
        EXPECT_EQ(cls, "Tthing");
        EXPECT_EQ(name, std::string(255, 'n'));
        std::string_view prop;
        bool atEnd = true;
        ASSERT_TRUE(cr.NextProperty(prop, atEnd, &error)) << error;
        EXPECT_EQ(prop, std::string(255, 'p'));
    }
    // The cut never splits a character: the length byte counts the whole ones kept.
    TbyteWriter w;
    TcomponentWriter cw(w);
    cw.BeginComponent("Tthing", std::string(254, 'a') + "\xC3\xA9" + "zz");
    EXPECT_EQ(w.Bytes(), "TPF0\x06Tthing\xFE"s + std::string(254, 'a'));
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

// Read in place, a text that is UTF-8 already is viewed where it lies in the data; one in
// the legacy code page or as UTF-16 is converted, and any other value reads as ReadValue
// reads it.
TEST(ComponentStream, TextsReadInPlaceOrConverted) {
    // Ascii, then "Café" in the legacy code page, then "Zoë" as UTF-16, then an integer.
    const std::string data = "\x06\x05Hello"
                             "\x06\x04" "Caf\xE9"
                             "\x12\x03\x00\x00\x00Z\x00o\x00\xEB\x00"
                             "\x02\x07"s;
    TbyteReader r(data);
    TcomponentReader cr(r);
    TcomponentValue value;
    std::string error;
    ASSERT_TRUE(cr.ReadValueInPlace(value, &error)) << error;
    EXPECT_EQ(value.Kind, TcomponentValue::vkString);
    EXPECT_EQ(value.Text, "Hello");
    EXPECT_EQ(value.Text.data(), data.data() + 2) << "not copied";
    EXPECT_TRUE(value.String.empty());
    ASSERT_TRUE(cr.ReadValueInPlace(value, &error)) << error;
    EXPECT_EQ(value.Text, "Caf\xC3\xA9");
    EXPECT_EQ(value.Text.data(), value.String.data());
    ASSERT_TRUE(cr.ReadValueInPlace(value, &error)) << error;
    EXPECT_EQ(value.Text, "Zo\xC3\xAB");
    ASSERT_TRUE(cr.ReadValueInPlace(value, &error)) << error;
    EXPECT_EQ(value.Kind, TcomponentValue::vkInteger);
    EXPECT_EQ(value.Integer, 7);
    EXPECT_TRUE(r.AtEnd());
    // Cut short: refused, as ReadValue refuses it.
    const std::string cut = "\x06\x05Hel"s;
    TbyteReader cr2r(cut);
    TcomponentReader cr2(cr2r);
    EXPECT_FALSE(cr2.ReadValueInPlace(value, &error));
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

// Field ends are searched several bytes at a time: a comma, CR or LF is found at every
// place within a run, also beside letters of other scripts, and a row read into a row
// that held longer or more fields comes back exactly.
TEST(Csv, RowsEndAtEveryOffsetAndReuseTheRow) {
    std::vector<std::string> row = {"left over", "from", "a", "longer", "row"};
    for (size_t length = 0; length < 24; ++length) {
        for (const char* end : {",", "\n", "\r\n", "\r"}) {
            const std::string field = std::string(length, 'a') + "\xC3\xA9";
            const std::string text = field + end + "z\"\"q,\" x \"\"y\"\" \"\nnext";
            size_t pos = 0;
            const bool ended = ReadCSVRow(text, pos, row);
            if (std::string(end) == ",") {
                EXPECT_TRUE(ended) << length;
                EXPECT_EQ(row, (std::vector<std::string>{field, "z\"q", " x \"y\" "})) << length;
            } else {
                EXPECT_TRUE(ended) << length << " " << int(end[0]);
                EXPECT_EQ(row, std::vector<std::string>{field}) << length;
                EXPECT_EQ(text.substr(pos, 3), "z\"\"") << length;
            }
        }
    }
    // A CR as the very last byte may still be followed by its LF: the row is not known
    // to have ended.
    size_t pos = 0;
    EXPECT_FALSE(ReadCSVRow("abcdefghijkl,m\r", pos, row));
    EXPECT_EQ(row, (std::vector<std::string>{"abcdefghijkl", "m"}));
    // A quote left open takes in the rest, line breaks and commas included.
    pos = 0;
    EXPECT_FALSE(ReadCSVRow("a,\"open, and\nmore lines\n", pos, row));
    EXPECT_EQ(row, (std::vector<std::string>{"a", "open, and\nmore lines\n"}));
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
