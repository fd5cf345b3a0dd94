#include "windows/dialogs/view_settings.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include "core/display/tag_list_display_settings.h"
#include "dialog_test_support.h"

namespace tunecrest {
namespace {

using test::As;
using test::Rows;

struct ViewSettings : test::DialogTest {
    ViewSettings()
    {
        formats.Items().Add("Track List", "<TI>");
        formats.Items().Add("Queue List", "<AR> - <TI>");
        // The owner's reset gives the store it is handed its defaults.
        formats.OnResetDefaults = [this](TObject* sender) {
            ++resets;
            auto* store = dynamic_cast<TformatStringContainer*>(sender);
            store->Items().Clear();
            store->Items().Add("Track List", "<FTI><TI>");
            store->Items().Add("Queue List", "<FAR><AR><FCH> - <FTI><TI>");
        };
        trackList.SetUnknownArtistString("Unknown");
        queueList.SetUnknownArtistString("Various");
        trackList.OnChange = [this](TObject*) { ++trackChanges; };
    }
    bool Edit() { return EditViewSettings(&modes, &trackList, &queueList, yearMode, true, false, &formats, &matrix); }

    TtreeViewDisplayMode modes =
        DisplayModes({dmArtists, dmAlbums, dmGenres, dmGenreArtists, dmGenreAlbums, dmNumbers, dmYears});
    TtagListDisplaySettings trackList, queueList;
    int yearMode = 0;
    TformatStringContainer formats;
    TcoverMatrixSize matrix{5, 4};
    int resets = 0, trackChanges = 0;
};

TEST_F(ViewSettings, FillsFromTheArgumentsAndCommitsOnOk)
{
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmViewSettings>(d);
        EXPECT_EQ(w.windowTitle(), "Jukebox List View Settings");
        EXPECT_EQ(w.ModeBox(dmArtists)->property("tag").toInt(), 10);
        EXPECT_EQ(w.ModeBox(dmNoLetters)->property("tag").toInt(), 26);
        EXPECT_TRUE(w.ModeBox(dmGenreAlbums)->isChecked());
        EXPECT_FALSE(w.ModeBox(dmVideo)->isVisibleTo(&w));  // no video
        EXPECT_TRUE(w.ModeBox(dmRadioStations)->isVisibleTo(&w));
        EXPECT_TRUE(w.ModeBox(dmYearArtists)->isEnabled());
        EXPECT_TRUE(w.rbYears->isChecked());
        EXPECT_EQ(w.edTrackUnknownArtist->text(), "Unknown");
        EXPECT_FALSE(w.cbSortByFilename->isChecked());
        EXPECT_EQ(w.edQueueUnknownArtist->text(), "Various");
        EXPECT_EQ(Rows(w.lbFormats), (std::vector<std::string>{"Track List", "Queue List"}));
        EXPECT_EQ(w.edFormatString->text(), "");
        EXPECT_EQ(w.seHorizontal->value(), 5);
        EXPECT_EQ(w.seVertical->value(), 4);

        w.ModeBox(dmTitles)->click();
        w.ModeBox(dmYearArtists)->click();
        w.rbDecades->click();
        w.edTrackUnknownArtist->setText("No Artist");
        w.cbSortByFilename->click();
        w.edQueueUnknownArtist->setText("?");
        w.pcPages->setCurrentWidget(w.tsDisplayFormats);
        test::TouchRow(w.lbFormats, 1);
        EXPECT_EQ(w.edFormatString->text(), "<AR> - <TI>");
        w.edFormatString->setText("<TI> by <AR>");
        PressButton(*w.btnUpdate);
        w.seHorizontal->setValue(8);
        w.seVertical->setValue(60);  // beyond the range: 50
        PressButton(*w.btnOK);
    });
    EXPECT_TRUE(Edit());
    EXPECT_EQ(modes, DisplayModes({dmArtists, dmTitles, dmAlbums, dmGenres, dmGenreArtists, dmGenreAlbums, dmNumbers,
                                   dmYears, dmYearArtists}));
    EXPECT_EQ(yearMode, 1);
    EXPECT_EQ(trackList.UnknownArtistString(), "No Artist");
    EXPECT_EQ(trackList.SortNoTrackNumbers(), tstTrackFilename);
    EXPECT_EQ(trackChanges, 1);  // one notice for both, inside the update bracket
    EXPECT_EQ(queueList.UnknownArtistString(), "?");
    EXPECT_EQ(formats.Items().Items(1)->formatString, "<TI> by <AR>");
    EXPECT_EQ(matrix.XCount, 8);
    EXPECT_EQ(matrix.YCount, 50);
}

TEST_F(ViewSettings, UncheckingAParentUnchecksAndDisablesItsChildren)
{
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmViewSettings>(d);
        w.ModeBox(dmGenres)->click();
        EXPECT_FALSE(w.ModeBox(dmGenreArtists)->isChecked());
        EXPECT_FALSE(w.ModeBox(dmGenreArtists)->isEnabled());
        EXPECT_FALSE(w.ModeBox(dmGenreAlbums)->isChecked());
        EXPECT_FALSE(w.ModeBox(dmGenreAlbums)->isEnabled());
        w.ModeBox(dmYears)->click();
        EXPECT_FALSE(w.rgYearMode->isEnabled());
        EXPECT_FALSE(w.ModeBox(dmYearArtists)->isEnabled());
        // Checking the parent again enables the first child only, unchecked.
        w.ModeBox(dmGenres)->click();
        EXPECT_TRUE(w.ModeBox(dmGenreArtists)->isEnabled());
        EXPECT_FALSE(w.ModeBox(dmGenreArtists)->isChecked());
        EXPECT_FALSE(w.ModeBox(dmGenreAlbums)->isEnabled());
        PressButton(*w.btnOK);
    });
    EXPECT_TRUE(Edit());
    EXPECT_EQ(modes, DisplayModes({dmArtists, dmAlbums, dmGenres, dmNumbers}));
}

TEST_F(ViewSettings, CancelUndoesEverythingIncludingSetDefaults)
{
    const TtreeViewDisplayMode before = modes;
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmViewSettings>(d);
        w.ModeBox(dmArtists)->click();
        w.edTrackUnknownArtist->setText("changed");
        w.pcPages->setCurrentWidget(w.tsDisplayFormats);
        test::TouchRow(w.lbFormats, 0);
        w.edFormatString->setText("<DU>");
        PressButton(*w.btnUpdate);
        PressButton(*w.btnSetDefaults);
        EXPECT_EQ(w.Formats().Items().Items(0)->formatString, "<FTI><TI>");
        EXPECT_EQ(w.edFormatString->text(), "<FTI><TI>");
        w.seHorizontal->setValue(9);
        PressButton(*w.btnCancel);
    });
    EXPECT_FALSE(Edit());
    EXPECT_EQ(resets, 1);  // the owner's reset ran, on the dialog's copy
    EXPECT_EQ(formats.Items().Items(0)->formatString, "<TI>");
    EXPECT_EQ(formats.Items().Items(1)->formatString, "<AR> - <TI>");
    EXPECT_EQ(modes, before);
    EXPECT_EQ(trackList.UnknownArtistString(), "Unknown");
    EXPECT_EQ(trackChanges, 0);
    EXPECT_EQ(matrix.XCount, 5);

    // The same defaults kept with OK.
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmViewSettings>(d);
        PressButton(*w.btnSetDefaults);
        PressButton(*w.btnOK);
    });
    EXPECT_TRUE(Edit());
    EXPECT_EQ(formats.Items().Items(1)->formatString, "<FAR><AR><FCH> - <FTI><TI>");
}

TEST_F(ViewSettings, WithoutModesOrMatrixTheirPagesHideAndOkLeavesThemAlone)
{
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmViewSettings>(d);
        EXPECT_FALSE(w.pcPages->isTabVisible(w.pcPages->indexOf(w.tsJukeboxView)));
        EXPECT_FALSE(w.pcPages->isTabVisible(w.pcPages->indexOf(w.tsCoverArt)));
        EXPECT_TRUE(w.pcPages->isTabVisible(w.pcPages->indexOf(w.tsTrackList)));
        PressButton(*w.btnOK);
    });
    int years = 1;
    EXPECT_TRUE(EditViewSettings(nullptr, &trackList, &queueList, years, false, false, &formats, nullptr));
    EXPECT_EQ(years, 1);
    EXPECT_EQ(matrix.XCount, 5);
}

}  // namespace
}  // namespace tunecrest
