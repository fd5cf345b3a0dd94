#pragma once
// A small library for the browse-tree tests, with the cases a tree has to place:
// lower-case and non-ASCII first letters, a leading digit and a bracket, "The ...", a
// compilation, an untagged file, genres and years (one without either), a CD in the
// drive (a fake drive set), playlists (one of the CD), a video and a radio station.
#include <gtest/gtest.h>

#include <memory>

#include "core/library/jukebox_list.h"
#include "core/base/system_services.h"
#include "core/tags/tag_list_files.h"
#include "tests/support/tags.h"
#include "tests/support/temp_dir.h"

namespace tunecrest::test {

struct FakeDrives : TsystemServices {
    std::vector<std::string> ListCDDrives() override { return {"/media/cd/"}; }
    bool GetVolumeSerial(const std::string&, uint32_t& serial) override {
        serial = 0xCD01;
        return true;
    }
};

struct BrowseLibrary {
    TempDir dir;
    std::shared_ptr<TsystemServices> previous;
    std::unique_ptr<TlocalJukeboxList> lib;

    BrowseLibrary() {
        previous = SetSystemServices(std::make_shared<FakeDrives>());
        TaudioTagList own;
        own.Add(MakeLibraryTag("/m/Abba/Gold/1.mp3", "Abba", "Dancing Queen", "Gold", "Pop", "1992", 1));
        own.Add(MakeLibraryTag("/m/Abba/Gold/2.mp3", "Abba", "Waterloo", "Gold", "Pop", "1992", 2));
        own.Add(MakeLibraryTag("/m/abc/Lexicon/1.mp3", "abc", "Poison Arrow", "Lexicon", "Pop", "1982"));
        own.Add(
            MakeLibraryTag("/m/The Band/Pink/1.mp3", "The Band", "The Weight", "Big Pink", "Rock", "1968"));
        own.Add(
            MakeLibraryTag("/m/Beatles/Abbey/1.mp3", "Beatles", "Something", "Abbey Road", "Rock", "1969"));
        own.Add(
            MakeLibraryTag("/m/10cc/Sheet/1.mp3", "10cc", "Wall Street Shuffle", "Sheet Music", "", "1974"));
        own.Add(MakeLibraryTag("/m/Elan/Soleil/1.mp3", "\xC3\x89lan", "\xC3\x89t\xC3\xA9", "Soleil",
                               "\xC3\x89lectro", ""));
        own.Add(MakeLibraryTag("/m/Hed/Broke/1.mp3", "(Hed) P.E.", "Bartender", "Broke", "Metal", "2000"));
        own.Add(MakeLibraryTag("/m/Hits/1.mp3", "Zed", "Zero", "Hits", "Pop", "1985"));
        own.Add(MakeLibraryTag("/m/Hits/2.mp3", "Yello", "Oh Yeah", "Hits", "Pop", "1987"));
        own.Add(MakeLibraryTag("/m/loose/untagged.mp3", "", "", ""));
        EXPECT_TRUE(SaveTagListToFile(own, dir.File("jukebox.dat"), false));
        TaudioTagList cd;
        cd.Add(MakeLibraryTag("/media/old/1.cda", "Cure", "Lullaby", "Disintegration", "Rock", "1989"));
        EXPECT_TRUE(SaveTagListToFile(cd, dir.File("0000CD01.dat"), false));

        lib = std::make_unique<TlocalJukeboxList>();
        lib->SetDataFolder(dir.Path().string());
        lib->LoadCDs = true;
        lib->LoadIndexes();
        auto party = std::make_shared<TaudioTagList>();
        party->SetTitle("Party");
        party->Add(lib->GlobalList().GetTag(0));
        TaudioTagPtr cdTrack;
        for (const auto& tag : lib->GlobalList().Items())
            if (tag->Title() == "Lullaby") cdTrack = tag;
        EXPECT_TRUE(lib->IsCdListTrack(cdTrack.get()));
        lib->Playlists().AddList(party);
        auto disc = std::make_shared<TaudioTagList>();
        disc->SetTitle("Disc in the drive");
        disc->Add(cdTrack);
        lib->Playlists().AddList(disc);
        lib->SetInternetRadioURL("Station", "http://127.0.0.1/s");
        lib->SetVideoSupport(true);
        lib->VideoList().BeginUpdate();
        auto clip = MakeLibraryTag("/v/clip.mp4", "Abba", "Clip", "", "Pop", "1992");
        clip->SetMediaType(mkVideo);
        lib->VideoList().Add(clip);
        lib->VideoList().EndUpdate();
    }
    ~BrowseLibrary() {
        lib.reset();
        SetSystemServices(previous);
    }
};

}  // namespace tunecrest::test
