#include "core/display/tag_list_display_settings.h"

#include <gtest/gtest.h>

#include "core/base/ini_file.h"

using namespace tunecrest;

TEST(TagListDisplaySettings, LoadsDefaultsOnceAndRoundTrips) {
    TtagListDisplaySettings settings;
    int changes = 0;
    settings.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &settings);
        ++changes;
    };
    settings.LoadFromSettings(TiniFile(), "TrackLists");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(settings.DisplayTrackNumbers());
    EXPECT_FALSE(settings.DisplayTrackDetails());
    EXPECT_EQ(settings.UnknownArtistString(), "");
    EXPECT_EQ(settings.SortNoTrackNumbers(), tstTrackTitle);

    settings.SetDisplayTrackNumbers(false);
    settings.SetDisplayTrackDetails(true);
    settings.SetUnknownArtistString("Unknown Artist");
    settings.SetSortNoTrackNumbers(tstDuration);
    EXPECT_EQ(changes, 5);
    TiniFile ini;
    settings.SaveToSettings(ini, "TrackLists");
    EXPECT_EQ(ini.GetText(),
              "[TrackLists]\r\nDisplayTrackDetails=1\r\nDisplayTrackNumbers=0\r\n"
              "UnknownArtistString=Unknown Artist\r\nSortNoTrackNumbers=7\r\n");
    TtagListDisplaySettings back;
    back.LoadFromSettings(ini, "TrackLists");
    EXPECT_FALSE(back.DisplayTrackNumbers());
    EXPECT_TRUE(back.DisplayTrackDetails());
    EXPECT_EQ(back.UnknownArtistString(), "Unknown Artist");
    EXPECT_EQ(back.SortNoTrackNumbers(), tstDuration);

    // A sort ordinal out of range reads as the default.
    TiniFile bad;
    bad.SetText("[TrackLists]\r\nSortNoTrackNumbers=99\r\n");
    back.LoadFromSettings(bad, "TrackLists");
    EXPECT_EQ(back.SortNoTrackNumbers(), tstTrackTitle);
    bad.SetText("[TrackLists]\r\nSortNoTrackNumbers=-1\r\n");
    back.LoadFromSettings(bad, "TrackLists");
    EXPECT_EQ(back.SortNoTrackNumbers(), tstTrackTitle);
}

TEST(TagListDisplaySettings, UpdateBracketsHoldTheNotice) {
    TtagListDisplaySettings settings;
    int changes = 0;
    settings.OnChange = [&](TObject*) { ++changes; };
    settings.BeginUpdate();
    settings.BeginUpdate();
    settings.SetDisplayTrackDetails(true);
    settings.SetUnknownArtistString("?");
    settings.EndUpdate();
    EXPECT_EQ(changes, 0);
    settings.EndUpdate();
    EXPECT_EQ(changes, 1);
    // An empty bracket tells nothing; surplus EndUpdate calls do not go below zero.
    settings.BeginUpdate();
    settings.EndUpdate();
    settings.EndUpdate();
    EXPECT_EQ(changes, 1);
    settings.SetDisplayTrackDetails(false);
    EXPECT_EQ(changes, 2);
}
