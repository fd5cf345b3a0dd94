#include "core/tags/tagger_loader.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "core/base/ini_file.h"
#include "core/tags/tagger_tag_source.h"
#include "support/fake_tagger.h"
#include "support/special_files.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

using test::FakeReadCount;
using test::InstallFakeTagger;
using test::WriteTextFile;

class TaggerLoaderTest : public ::testing::Test {
protected:
    test::TempDir Fdir;
    std::filesystem::path Fplugins = Fdir.Path() / "TagPlugins";
    void SetUp() override { std::filesystem::create_directory(Fplugins); }
    std::string File(const std::string& name, const std::string& text) {
        WriteTextFile(Fdir.Path() / name, text);
        return Fdir.File(name);
    }
    std::vector<std::string> Descriptions(const TtaggerLoader& loader) {
        std::vector<std::string> out;
        for (int i = 0; i < loader.PluginCount(); ++i) out.push_back(loader.GetPlugin(i)->Description());
        return out;
    }
};

// The record's slots keep the order of the published 32-bit layout, one pointer-sized
// slot for every 4 bytes there: a plug-in built against the layout finds each entry
// point where the host looks for it.
TEST(TaggerRecordLayout, SlotsFollowTheByteOffsetsOfTheRecord) {
    constexpr size_t slot = sizeof(void*);
    const auto at = [](size_t offset32) { return offset32 / 4 * sizeof(void*); };
    EXPECT_EQ(offsetof(TtaggerRecord, Description), at(0));
    EXPECT_EQ(offsetof(TtaggerRecord, SupportedFileTypes), at(4));
    EXPECT_EQ(offsetof(TtaggerRecord, Version), at(8));
    EXPECT_EQ(offsetof(TtaggerRecord, SupportFlags), at(12));
    EXPECT_EQ(offsetof(TtaggerRecord, MediaFlags), at(16));
    EXPECT_EQ(offsetof(TtaggerRecord, Artist), at(28));
    EXPECT_EQ(offsetof(TtaggerRecord, Title), at(32));
    EXPECT_EQ(offsetof(TtaggerRecord, Album), at(36));
    EXPECT_EQ(offsetof(TtaggerRecord, Comment), at(40));
    EXPECT_EQ(offsetof(TtaggerRecord, TrackNo), at(44));
    EXPECT_EQ(offsetof(TtaggerRecord, Date), at(48));
    EXPECT_EQ(offsetof(TtaggerRecord, GenreID), at(52));
    EXPECT_EQ(offsetof(TtaggerRecord, GenreString), at(56));
    EXPECT_EQ(offsetof(TtaggerRecord, ExtraFieldCount), at(60));
    EXPECT_EQ(offsetof(TtaggerRecord, GetExtraField), at(64));
    EXPECT_EQ(offsetof(TtaggerRecord, BitRate), at(72));
    EXPECT_EQ(offsetof(TtaggerRecord, Duration), at(76));
    EXPECT_EQ(offsetof(TtaggerRecord, SampleRate), at(80));
    EXPECT_EQ(offsetof(TtaggerRecord, Channels), at(84));
    EXPECT_EQ(offsetof(TtaggerRecord, TagType), at(92));
    EXPECT_EQ(offsetof(TtaggerRecord, MediaType), at(96));
    EXPECT_EQ(offsetof(TtaggerRecord, Configure), at(108));
    EXPECT_EQ(offsetof(TtaggerRecord, Init), at(112));
    EXPECT_EQ(offsetof(TtaggerRecord, ReadFile), at(116));
    EXPECT_EQ(offsetof(TtaggerRecord, Finalise), at(124));
    EXPECT_EQ(offsetof(TtaggerRecord, LoadSettings), at(128));
    EXPECT_EQ(offsetof(TtaggerRecord, SaveSettings), at(132));
    EXPECT_EQ(offsetof(TtaggerRecord, ExtensionCount), at(136));
    EXPECT_EQ(offsetof(TtaggerRecord, GetExtension), at(140));
    EXPECT_EQ(sizeof(TtaggerRecord), 36 * slot);
    EXPECT_EQ(TAGGER_VERSION(1, 2), 0x0102);
}

TEST_F(TaggerLoaderTest, KeepsOnlyPluginsWhoseFlagsMatchAndSkipsBrokenOnes) {
    InstallFakeTagger(Fplugins, "zaudio", "Description=zulu audio\nMediaFlags=1\nExtensions=mp3\n");
    InstallFakeTagger(Fplugins, "video", "Description=Video\nMediaFlags=2\nExtensions=mkv\n");
    InstallFakeTagger(Fplugins, "level", "Description=Other level\nSupportFlags=2\nExtensions=xx\n");
    InstallFakeTagger(Fplugins, "null", "Description=Null\nNullRecord=1\n");
    InstallFakeTagger(Fplugins, "noreader", "Description=No reader\nNoReader=1\n");
    InstallFakeTagger(Fplugins, "both", "Description=Alpha both\nMediaFlags=3\nExtensions=ogg\n");
    WriteTextFile(Fplugins / "TAG_garbage.so", "not a shared library");
    std::filesystem::copy_file(std::filesystem::path(TUNECREST_LIB_DIR) / "fake_tagger.so", Fplugins / "other.so");

    TtaggerLoader loader;
    int updates = 0;
    loader.PluginsUpdated = [&](TObject* sender) {
        EXPECT_EQ(sender, &loader);
        ++updates;
    };
    loader.SetSupportLevel(1);
    EXPECT_EQ(loader.PluginCount(), 0) << "no folder, nothing loaded";
    loader.SetMediaSupportLevel(1);
    loader.SetPluginFolder(Fplugins.string());
    // Sorted by description without regard to case; video-only, other-level, nil-record,
    // reader-less and unloadable libraries are left out.
    EXPECT_EQ(Descriptions(loader), (std::vector<std::string>{"Alpha both", "zulu audio"}));
    EXPECT_EQ(updates, 3);

    loader.SetMediaSupportLevel(2);
    EXPECT_EQ(Descriptions(loader), (std::vector<std::string>{"Alpha both", "Video"}));
    loader.SetSupportLevel(3);
    EXPECT_EQ(Descriptions(loader), (std::vector<std::string>{"Alpha both", "Other level", "Video"}));
}

TEST_F(TaggerLoaderTest, ExtensionConflictGoesToTheDescriptionThatSortsFirst) {
    // File names sort the other way round from the descriptions.
    InstallFakeTagger(Fplugins, "a", "Description=beta\nTypes=Beta Files\nExtensions=mp3,ogg\n");
    InstallFakeTagger(Fplugins, "b", "Description=Alpha\nTypes=Alpha Files\nExtensions=MP3,.wav\n");
    InstallFakeTagger(Fplugins, "c", "Description=alpha\nExtensions=xyz\n");  // same name as "Alpha"
    TtaggerLoader loader;
    loader.SetPluginFolder(Fplugins.string());
    ASSERT_EQ(Descriptions(loader), (std::vector<std::string>{"Alpha", "beta"}));
    TtaggerPlugin* alpha = loader.GetPlugin(0);
    TtaggerPlugin* beta = loader.GetPlugin(1);

    EXPECT_EQ(loader.FindPluginRecord("/music/song.mp3"), alpha->Record);
    EXPECT_EQ(loader.FindPluginRecord("/music/Song.Mp3"), alpha->Record);
    EXPECT_EQ(loader.FindPluginRecord("/music/song.ogg"), beta->Record);
    EXPECT_EQ(loader.FindPluginRecord("/music/song.wav"), alpha->Record);
    EXPECT_EQ(loader.FindPluginRecord("/music/song.xyz"), nullptr);

    std::vector<std::string> extensions;
    loader.GetExtensions(extensions);
    EXPECT_EQ(extensions, (std::vector<std::string>{"MP3", "wav", "mp3", "ogg"}));
    std::string text;
    loader.GetSupportedExtensions(beta, text);
    EXPECT_EQ(text, "mp3,ogg");
    std::string filter;
    loader.GetFileFilter(filter);
    EXPECT_EQ(filter,
              "All Supported Files|*.MP3;*.wav;*.mp3;*.ogg|Alpha Files (*.MP3;*.wav)|*.MP3;*.wav"
              "|Beta Files (*.mp3;*.ogg)|*.mp3;*.ogg");
    EXPECT_EQ(loader.GetPluginInformation(1),
              "Description          : beta\nSupported File Types : Beta Files\n"
              "Supported Extensions : mp3,ogg\nVersion              : 1.2");
    // FindPluginRecord does not read; nothing was read so far.
    EXPECT_EQ(FakeReadCount(alpha), 0);
}

TEST_F(TaggerLoaderTest, ReadsFilesAndRefusesFailuresFilesWithoutExtensionAndThrows) {
    InstallFakeTagger(Fplugins, "a", "Description=Alpha\nExtensions=fake\n");
    TtaggerLoader loader;
    loader.SetPluginFolder(Fplugins.string());
    TtaggerPlugin* plugin = loader.GetPlugin(0);
    ASSERT_NE(plugin, nullptr);

    TtaggerRecord* record = loader.FindPluginForFile(File("good.fake", "Artist=Band\nTitle=Song\nTrackNo=7\n"));
    ASSERT_EQ(record, plugin->Record);
    EXPECT_STREQ(record->Artist(0), "Band");
    EXPECT_EQ(record->TrackNo, 7);
    EXPECT_EQ(loader.FindPluginForFile(File("bad.fake", "FAIL\n")), nullptr);
    EXPECT_EQ(loader.FindPluginForFile(File("throws.fake", "THROW\n")), nullptr);
    EXPECT_EQ(FakeReadCount(plugin), 3);

    // Names without an extension never reach a plug-in.
    EXPECT_EQ(loader.FindPluginForFile(File("fake", "Title=x\n")), nullptr);
    EXPECT_EQ(loader.FindPluginForFile(File(".fake", "Title=x\n")), nullptr);
    EXPECT_EQ(loader.FindPluginForFile(File("trailing.", "Title=x\n")), nullptr);
    std::filesystem::create_directory(Fdir.Path() / "dir.fake");
    EXPECT_EQ(loader.FindPluginForFile((Fdir.Path() / "dir.fake" / "plain").string()), nullptr);
    EXPECT_EQ(FakeReadCount(plugin), 3);

    // Nor do a FIFO, a folder or a missing file of a claimed extension: a plug-in would
    // block on the FIFO for good.
    const std::string fifo = test::MakeFifo((Fdir.Path() / "pipe.fake").string());
    EXPECT_EQ(loader.FindPluginForFile(fifo), nullptr);
    EXPECT_EQ(loader.FindPluginForFile((Fdir.Path() / "dir.fake").string()), nullptr);
    EXPECT_EQ(loader.FindPluginForFile((Fdir.Path() / "missing.fake").string()), nullptr);
    EXPECT_EQ(FakeReadCount(plugin), 3);
}

TEST_F(TaggerLoaderTest, DisablingDropsExtensionsAtOnceAndIsRemembered) {
    InstallFakeTagger(Fplugins, "a", "Description=Alpha\nExtensions=fake\n");
    InstallFakeTagger(Fplugins, "b", "Description=Beta\nExtensions=fake,other\n");
    const std::string song = File("song.fake", "Title=Song\n");
    {
        TtaggerLoader loader;
        loader.SetPluginFolder(Fplugins.string());
        EXPECT_EQ(test::FakeSettingsFile(loader.GetPlugin(0)), (Fplugins / "TAG_Settings.ini").string());
        int updates = 0;
        loader.PluginsUpdated = [&](TObject*) { ++updates; };
        loader.SetPluginEnabled(0, false);
        EXPECT_EQ(updates, 1);
        EXPECT_EQ(loader.FindPluginForFile(song), loader.GetPlugin(1)->Record);
        loader.SetPluginEnabled(1, false);
        EXPECT_EQ(loader.FindPluginForFile(song), nullptr);
        EXPECT_EQ(FakeReadCount(loader.GetPlugin(0)), 0);
        std::vector<std::string> extensions;
        loader.GetExtensions(extensions);
        EXPECT_TRUE(extensions.empty());
        loader.SetPluginEnabled(1, true);
    }  // unloading writes the settings
    TiniFile ini((Fplugins / "TAG_Settings.ini").string());
    EXPECT_EQ(ini.ReadString("Alpha", "Enabled", "?"), "0");
    EXPECT_EQ(ini.ReadString("Beta", "Enabled", "?"), "1");

    TtaggerLoader again;
    again.SetPluginFolder(Fplugins.string());
    EXPECT_FALSE(again.GetPlugin(0)->Enabled);
    EXPECT_TRUE(again.GetPlugin(1)->Enabled);
    EXPECT_EQ(again.FindPluginRecord(song), again.GetPlugin(1)->Record);
}

TEST_F(TaggerLoaderTest, TagFillsItselfFromThePluginRecord) {
    InstallFakeTagger(Fplugins, "a", "Description=Alpha\nExtensions=fake\n");
    TtaggerLoader loader;
    loader.SetPluginFolder(Fplugins.string());
    const std::string long_value(5000, 'v');  // longer than the host's buffer
    TtaggerRecord* record = loader.FindPluginForFile(
        File("song.fake", "Artist=Band\nTitle=Song\nAlbum=LP\nComment=c\nTrackNo=4\nDate=2001\nGenreID=17\n"
                          "Genre=Rock\nBitRate=192\nDuration=241\nSampleRate=44100\nChannels=2\nMediaType=2\n"
                          "TagType=ID3v2\nMood=calm\nLong=" + long_value + "\n"));
    ASSERT_NE(record, nullptr);
    TaudioTag tag;
    TtaggerRecordSource source(record);
    tag.ReadFromPlugin(source);
    EXPECT_EQ(tag.Artist(), "Band");
    EXPECT_EQ(tag.Title(), "Song");
    EXPECT_EQ(tag.Album(), "LP");
    EXPECT_EQ(tag.Comment(), "c");
    EXPECT_EQ(tag.TrackNo(), 4u);
    EXPECT_EQ(tag.Date(), "2001");
    EXPECT_EQ(tag.GenreID(), 17u);
    EXPECT_EQ(tag.GenreString(), "Rock");
    EXPECT_EQ(tag.BitRate(), 192u);
    EXPECT_EQ(tag.Duration(), 241u);
    EXPECT_EQ(tag.SampleRate(), 44100u);
    EXPECT_EQ(tag.Channels(), 2u);
    EXPECT_EQ(tag.MediaType(), 2u);
    EXPECT_EQ(tag.TagType(), "ID3v2");
    ASSERT_EQ(tag.ExtraFields().Count(), 2);
    EXPECT_EQ(tag.ExtraFields().Strings(0), "Mood=calm");
    EXPECT_EQ(tag.ExtraFields().Strings(1), "Long=" + long_value.substr(0, TAGGER_EXTRA_FIELD_BUFFER - 1));
}

}  // namespace
}  // namespace tunecrest
