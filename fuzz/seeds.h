#pragma once
// Valid inputs for each fuzz target, built with the system's own writers.
#include <map>
#include <string>
#include <vector>

#include "core/base/csv_text.h"
#include "core/display/font_store.h"
#include "core/library/genre_year_groupings.h"
#include "core/tags/list_file_io.h"
#include "core/tags/playlist_text.h"
#include "core/display/skin_file.h"
#include "core/tags/tag_list_files.h"
#include "platform/window_message_wire.h"
#include "playback/cdg_decoder.h"
#include "tests/support/foreign_records.h"
#include "tests/support/pictures.h"

namespace tunecrest::fuzz {

inline TaudioTagListPtr SeedList(const std::string& title, int tags) {
    auto list = std::make_shared<TaudioTagList>();
    list->SetTitle(title);
    list->SetFilename("/data/" + title + ".dat");
    for (int i = 0; i < tags; ++i) {
        auto tag = std::make_shared<TaudioTag>();
        tag->SetFilename("/media/u/DISC/" + std::to_string(i) + ".mp3");
        tag->SetArtist("Artist " + std::to_string(i));
        tag->SetTitle(std::string(i == 1 ? 300 : 5, 't'));
        tag->SetDuration(uint32_t(100 + i));
        tag->SetSampleRate(44100);
        tag->SetModDate(40000.25 + i);
        if (i % 2) tag->ExtraFields().Add("Mood=Calm");
        tag->SetStoredPosition(i);
        list->Add(tag);
    }
    return list;
}

inline std::string SynchSafe(uint32_t v) {
    return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F), char(v & 0x7F)};
}

// An ID3 version 2 tag of one picture frame, then a few audio bytes. The first byte is the
// fuzz target's file-size choice (odd: the file ends with these bytes).
inline std::string Id3Seed(int major, const std::string& frameBody, uint8_t frameFlags = 0) {
    std::string frame;
    const auto size = uint32_t(frameBody.size());
    if (major == 2)
        frame = "PIC" + std::string{char(size >> 16), char(size >> 8), char(size)};
    else if (major == 3)
        frame = "APIC" + std::string{char(size >> 24), char(size >> 16), char(size >> 8), char(size), 0, 0};
    else
        frame = "APIC" + SynchSafe(size) + std::string{0, char(frameFlags)};
    frame += frameBody;
    return "\x01ID3" + std::string{char(major), 0, 0} + SynchSafe(uint32_t(frame.size() + 8)) + frame +
           std::string(8, '\0') + "audio";
}

// A BMP of 4 x 2 pixels with a 40-byte information header: 1, 8 or 16 bits per pixel
// (16 with bit masks).
inline std::string BmpSeed(int bits) {
    const int width = 4, height = 2;
    const int stride = ((width * bits + 31) / 32) * 4;
    const int colours = bits <= 8 ? (1 << bits) : 0;
    const int masks = bits == 16 ? 3 : 0;
    const uint32_t offset = uint32_t(54 + colours * 4 + masks * 4);
    TbyteWriter w;
    w.WriteBytes("BM");
    w.WriteU32(offset + uint32_t(stride * height));
    w.WriteU32(0);
    w.WriteU32(offset);
    w.WriteU32(40);
    w.WriteI32(width);
    w.WriteI32(-height);  // top-down
    w.WriteI16(1);
    w.WriteI16(int16_t(bits));
    w.WriteU32(bits == 16 ? 3 : 0);
    for (int i = 0; i < 5; ++i) w.WriteU32(0);
    for (int i = 0; i < colours; ++i) w.WriteU32(uint32_t(i * 0x010203));
    if (masks) {
        w.WriteU32(0xF800);
        w.WriteU32(0x07E0);
        w.WriteU32(0x001F);
    }
    for (int i = 0; i < stride * height; ++i) w.WriteU8(uint8_t(i * 37));
    return w.Bytes();
}

// A run-length compressed BMP of 6 x 3 pixels (8 or 4 bits a pixel): runs, pixels as
// they are, a move, ends of rows and the end marker.
inline std::string RleBmpSeed(int bits) {
    const std::string runs = bits == 8 ? std::string{3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 1, 1, 2, 5, 0, 1}
                                       : std::string{6, 0x12, 0, 0, 0, 4, 0x34, 0x56, 0, 2, 2, 1, 1, 0x77, 0, 1};
    const uint32_t offset = 54 + 16 * 4;
    TbyteWriter w;
    w.WriteBytes("BM");
    w.WriteU32(offset + uint32_t(runs.size()));
    w.WriteU32(0);
    w.WriteU32(offset);
    w.WriteU32(40);
    w.WriteI32(6);
    w.WriteI32(3);
    w.WriteI16(1);
    w.WriteI16(int16_t(bits));
    w.WriteU32(bits == 8 ? 1 : 2);
    w.WriteU32(uint32_t(runs.size()));
    w.WriteU32(0);
    w.WriteU32(0);
    w.WriteU32(16);
    w.WriteU32(0);
    for (int i = 0; i < 16; ++i) w.WriteU32(uint32_t(i * 0x0F0E0D));
    w.WriteBytes(runs);
    return w.Bytes();
}

// One CD+G graphics packet: instruction and 16 data bytes.
inline std::string CdgPacket(uint8_t instruction, std::initializer_list<uint8_t> data) {
    std::string packet(size_t(TcdgDecoder::kPacketSize), '\0');
    packet[0] = char(TcdgDecoder::kCommandGraphics);
    packet[1] = char(instruction);
    size_t i = 4;
    for (const uint8_t b : data) packet[i++] = char(b);
    return packet;
}

inline std::vector<std::string> CdgSeeds() {
    using D = TcdgDecoder;
    const std::string colours = CdgPacket(D::ciLoadColoursLow, {0x3F, 0x00, 0x00, 0x3F, 0x15, 0x2A, 0x30, 0x0F});
    const std::string tiles = CdgPacket(D::ciTileBlock, {1, 2, 3, 4, 0x3F, 0, 0x21, 0x12, 0x0C, 0x3F, 1, 2, 4, 8, 16, 32}) +
                              CdgPacket(D::ciTileBlockXor, {3, 5, 17, 49, 0x2A, 0x15, 0x2A, 0x15, 0x2A, 0x15,
                                                            0x2A, 0x15, 0x2A, 0x15, 0x2A, 0x15});
    return {CdgPacket(D::ciMemoryPreset, {2}) + CdgPacket(D::ciBorderPreset, {5}) + colours + tiles +
                CdgPacket(D::ciLoadColoursHigh, {0x01, 0x02}),
            tiles + CdgPacket(D::ciScrollCopy, {0, 0x13, 0x2B}) + CdgPacket(D::ciScrollPreset, {7, 0x25, 0x1C}) +
                std::string(10, 'x')};
}

inline std::string WindowMessageSeed(char selector, const std::string& frame) {
    return selector + (selector > 4 ? frame : frame.substr(wire::kLengthPrefix));
}

inline std::map<std::string, std::vector<std::string>> Seeds() {
    std::map<std::string, std::vector<std::string>> seeds;
    std::string header, row;
    GetCSVHeader(header);
    JoinCSV({"/m/a,b.mp3", "say \"hi\"", "two\r\nlines", " lead", "", "42"}, row);
    seeds["csv"] = {header + "\r\n" + row + "\r\n", "a,b,c\nd,\"e\nf\",g\n"};
    seeds["m3u"] = {std::string(kExtM3UHeader) + "\n" + ExtInfLine(215, "Band - Song") + "\nsong.mp3\n" +
                        ExtInfLine(0, "Dummy Entry") + "\nDoesNotExist\n",
                    "sub\\dir\\x.mp3\r\n../y.mp3\r\n/abs/z.mp3\r\nhttp://radio.example/s\r\n"};

    const auto list = SeedList("Mix", 3);
    TbyteWriter plain;
    const int64_t length = list->SaveToStream(plain);
    TbyteWriter zipped;
    zipped.WriteBytes("ZATL");
    zipped.WriteBytes(ZlibCompressFast(plain.Bytes()));
    zipped.WriteI64(length);
    // A record of another class between two tags, with values of every kind and child
    // records: the reader steps over it.
    const std::string foreign =
        test::ListWithForeignRecord("Mixed", {SeedList("x", 1)->GetTag(0)}, {SeedList("y", 2)->GetTag(1)});
    seeds["tag_list"] = {plain.Bytes(), zipped.Bytes(), foreign};

    TbyteWriter lists;
    SaveTagListsToStream({SeedList("A", 0), SeedList("B", 2)}, lists);
    seeds["tag_list_list"] = {lists.Bytes(), "ZALL" + ZlibCompressFast(lists.Bytes())};

    TbyteWriter index;
    list->SaveIndexToStream(index);
    seeds["track_index"] = {index.Bytes()};

    // Grouping index files: the first byte picks albums (0), artists (1), genres (2) or
    // years (3); the tags of SeedList stand at positions 0 .. 2.
    TaudioTagGenreList genres;
    TaudioTagAlbumList albums;
    for (const auto& tag : list->Items()) {
        tag->SetAlbum("Album");
        genres.AddTag(tag);
        albums.AddTag(tag);
    }
    TbyteWriter albumIndex, genreIndex;
    albums.SaveToStream(albumIndex);
    genres.SaveToStream(genreIndex);
    seeds["grouping_index"] = {'\0' + albumIndex.Bytes(), '\2' + genreIndex.Bytes()};

    // The record finders: the finder (list file, albums, artists, genres and years), the
    // count the library expects (two bytes), the file.
    auto finderSeed = [](char finder, int records, const std::string& file) {
        return std::string{finder, char(records & 0xFF), char(records >> 8)} + file;
    };
    TaudioTagArtistList artists;
    for (const auto& tag : list->Items()) artists.AddTag(tag);
    TbyteWriter artistIndex;
    artists.SaveToStream(artistIndex);
    seeds["list_file_records"] = {finderSeed(0, list->Count(), plain.Bytes()),
                                  finderSeed(1, albums.Count(), albumIndex.Bytes()),
                                  finderSeed(2, artists.Count(), artistIndex.Bytes()),
                                  finderSeed(3, genres.Count(), genreIndex.Bytes()),
                                  finderSeed(0, 1, foreign)};

    // A hand-over: the parameter count (eight bytes), then the block as a second start
    // sends it.
    auto handOver = [](uint64_t count, const std::string& block) {
        std::string seed(8, '\0');
        for (int i = 0; i < 8; ++i) seed[size_t(i)] = char(count >> (8 * i));
        return seed + block + '\0';
    };
    seeds["hand_over"] = {handOver(2, "/music/a b.mp3\r\nMessage=304:0\r\n"), handOver(1, "RunScan"),
                          handOver(0, ""), handOver(3, "ActivateSlot=2\r\n\r\nx\r\n")};

    // The chooser's rules: the rule, then two texts split at a zero byte.
    auto chooser = [](char rule, const std::string& a, const std::string& b) {
        return rule + a + '\0' + b;
    };
    seeds["chooser_names"] = {
        chooser(0, "All Supported Files|*.mp3;*.ogg|MPEG Audio (*.mp3)|*.mp3", ""),
        chooser(0, "M3U Playlist (*.m3u);;Text (*.txt *.text)", ""),
        chooser(1, "track?.*", "Track1.MP3"), chooser(1, "a*b*c", "aXbYc"),
        chooser(2, "Caf\xe9 \xc3\xa9 \xf0\x9f\x8e\xb5 \xed\xa0\x80", ""),
        chooser(3, "CSV Files (*.csv)|*.csv", " Party "), chooser(3, "Lists|*.m3u", "../up")};

    const std::string jpegHead = std::string("\xFF\xD8\xFF\xE0", 4) + "JFIF-body" + std::string("\xFF\xD9", 2);
    seeds["id3_picture"] = {Id3Seed(3, std::string("\0image/jpeg\0\x03" "Front\0", 19) + jpegHead),
                            Id3Seed(3, std::string("\x01image/jpg\0\x03\xFF\xFE" "F\0\0\0", 17) + jpegHead),
                            Id3Seed(2, std::string("\0JPG\x03\0", 6) + jpegHead),
                            Id3Seed(4, std::string("\0image/jpeg\0\x03\0\xFF\xD8\xFF\0\xE0", 18), 0x02)};

    seeds["ini"] = {"; settings\r\n[Options]\r\nVolume=80\r\nSkin=Classic\r\n\r\n[Slot]\r\nName = A=B\r\n"
                    "# note\r\n[Slot]\r\nName=\r\nnot a pair\r\n",
                    "lead=1\n[ spaced ]\n  key  =  value \r\n[]\n=empty key\n[[x]]\nk=v\r\r\n",
                    // A section name, a key and a value holding line breaks.
                    std::string("Rock\r\nSet\0Rule0\0Artist = 'x'\n[Evil]\r\nEnabled=1", 46)};

    wire::Trequest send;
    send.kind = wire::Tkind::Send;
    send.msg = 0x8001;
    send.wParam = -2;
    send.lParam = 7;
    wire::Trequest copy;
    copy.kind = wire::Tkind::CopyData;
    copy.wParam = 12345;
    copy.data = 3;
    copy.bytes = std::string("list\0file.m3u", 13);
    wire::Treply described;
    described.status = wire::Tstatus::Ok;
    described.className = "TjukeboxForm";
    described.title = "Jukebox";
    wire::Treply answered;
    answered.status = wire::Tstatus::Ok;
    answered.result = -1;
    seeds["window_message"] = {
        WindowMessageSeed(0, wire::EncodeRequest(send)), WindowMessageSeed(0, wire::EncodeRequest(copy)),
        WindowMessageSeed(0, wire::EncodeRequest({})),
        WindowMessageSeed(char(wire::Tkind::Describe), wire::EncodeReply(wire::Tkind::Describe, described)),
        WindowMessageSeed(char(wire::Tkind::Send), wire::EncodeReply(wire::Tkind::Send, answered)),
        WindowMessageSeed(char(wire::Tkind::Post), wire::EncodeReply(wire::Tkind::Post, {})),
        WindowMessageSeed(5, wire::EncodeRequest(copy))};

    Tbitmap photo(8, 6);
    for (int y = 0; y < photo.Height(); ++y)
        for (int x = 0; x < photo.Width(); ++x) photo.SetPixel(x, y, {uint8_t(x * 30), uint8_t(y * 40), 90});
    seeds["picture"] = {'\1' + test::EncodeJpeg(photo, 50), '\0' + test::EncodeBmp24(photo),
                        '\0' + BmpSeed(1), '\0' + BmpSeed(8), '\0' + BmpSeed(16), '\0' + RleBmpSeed(8),
                        '\0' + RleBmpSeed(4)};

    seeds["cdg"] = CdgSeeds();

    seeds["color_text"] = {"clNavy", "$00A86D4A", "$FF00000F", "-16777201", "0x754939"};
    seeds["jet_sql"] = {"Artist Like \"*Beat[a-c]?\" And Year >= 1970 Order By Artist, Title",
                        "(Genre = 'Rock' Or Genre = \"Pop\") And DateAdded > #12/31/99 11:30 PM#",
                        "Left(Title, 3) & Nz(Album) = 'Abc' And Duration Mod 60 = 0 -- end",
                        "Mid(Title, 2, 3) <> 'x' And Added < #2001-02-03# /* c */",
                        std::string("[!a-c]%_x\0Zebra", 15),
                        // Argument picks for the function calls, then their text.
                        "\x01\x02\x03\x04" "12/31/9999", "\x08\x0F\x16\x1D" "yyyy", "\x09\x10\x17\x1E" "9e999"};

    TFont font;
    font.Name = "Courier New";
    font.Color = RGBColor(0x12, 0x34, 0x56);
    font.Size = 14;
    font.Bold = true;
    seeds["markup"] = {"a<B>b</B>c<I>d</I><U>e</U>", FontToHTMLTag(font) + "Title &lt;x&gt; &amp; more",
                       "<font name=\"Arial\" color=#FF0000 size=14>y<xyz>", "<font size=0>a<font size=100000>b",
                       "open <B and > stray <font color=nope name=\"q>x"};
    seeds["track_format"] = {
        std::string("<FTN><TN,. ><FAR><AR><FCH> - <FTI><TI> <X:Mood><FDU>(<DU>)\0Song <b>\nBand & Co\nAlbum\n"
                    "Rock\nLive\nMood=calm", 103),
        std::string("%1 - %2 %3%4%5%6%9%t\0T\n\nA", 25),
        std::string("<ti><TITLE><X:a><X:b><FCOM><CO><fal><AL>\0<AR>\n<TI>\n<FONT size=500>\n\n\na=<b>", 74)};
    TskinFile skin;
    skin.SetInfo({"Night", "Dark", "Staff"});
    skin.SetButtonColor(0x00A86D4A);
    skin.SetPanelColor(clNavy);
    skin.SetFontShadows(true);
    skin.SetKeyImage("KeyboardKey_Image.bmp");
    skin.SetImage("btnPlay", "btnPlay_Image.bmp");
    skin.SetImage("sbQueue", "sbQueue_image.bmp");
    skin.SetStretchDraw("sbQueue", true);
    skin.SetImage("lstQueue", "lstQueue_BackImage.jpg", "BackImage");
    skin.SetIcon(0, {"icons0_image.bmp", clFuchsia});
    seeds["skin_file"] = {skin.GetText() + "[Lists]\r\nArtistName=Arial\r\nArtistColor=#FFFFFF\r\nArtistSize=14\r\n"
                                           "ArtistBold=1\r\nArtistBack=#102030\r\ncolorBackground=#000000\r\n",
                          "[Colors]\nButtonColor=nonsense\n[BTNPLAY]\nImage=../../etc/passwd\n[Icon0]\nFilename=\n"};
    return seeds;
}

}  // namespace tunecrest::fuzz
