#include "windows/dialogs/media_library_report.h"

#include <gtest/gtest.h>

#include "core/library/library_reports.h"
#include "core/tags/tag_list.h"
#include "dialog_test_support.h"
#include "support/tags.h"

namespace tunecrest {
namespace {

using test::As;
using test::Rows;

struct ColumnWindow : test::DialogTest {
    TmediaLibraryReport report;
    const std::vector<std::string> available = TmediaLibraryReport::AvailableFields(false);
};

void Choose(QListWidget* list, std::initializer_list<int> rows)
{
    for (int row : rows) test::TouchRow(list, row);
}

TEST_F(ColumnWindow, MovesFieldsBetweenTheListsAndOkHandsThemBack)
{
    prompt->TextAnswers = {std::string("MOOD"), std::string(""), std::string("BPM"), std::nullopt};
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmMediaLibraryReport>(d);
        EXPECT_EQ(w.windowTitle(), "Media Library Report");
        EXPECT_EQ(Rows(w.lbSelected), (std::vector<std::string>{"Artist", "Album", "Track Number", "Title", "Filename"}));
        EXPECT_EQ(Rows(w.lbAvailable), (std::vector<std::string>{"Comment", "Year", "Genre", "Bit Rate", "Duration",
                                                                 "Sample Rate", "Channel Mode", "Tag Type",
                                                                 "Last Modified", "Media Type"}));
        Choose(w.lbAvailable, {2, 1});  // Genre, Year: added in list order
        PressButton(*w.btnAdd);
        EXPECT_EQ(Rows(w.lbSelected).back(), "Genre");
        Choose(w.lbSelected, {0, 4});  // Artist, Filename
        PressButton(*w.btnRemove);
        EXPECT_EQ(Rows(w.lbSelected), (std::vector<std::string>{"Album", "Track Number", "Title", "Year", "Genre"}));
        EXPECT_EQ(Rows(w.lbAvailable).front(), "Filename");  // back in the available order
        w.lbSelected->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        PressButton(*w.btnSelectedUp);
        PressButton(*w.btnSelectedUp);
        PressButton(*w.btnSelectedUp);  // already first: stays
        EXPECT_EQ(Rows(w.lbSelected), (std::vector<std::string>{"Title", "Album", "Track Number", "Year", "Genre"}));
        PressButton(*w.btnAddExtra);  // MOOD
        PressButton(*w.btnAddExtra);  // empty answer: nothing
        PressButton(*w.btnAddExtra);  // BPM
        PressButton(*w.btnAddExtra);  // cancelled: nothing
        EXPECT_EQ(Rows(w.lbExtra), (std::vector<std::string>{"MOOD", "BPM"}));
        w.lbExtra->setCurrentRow(1);
        PressButton(*w.btnExtraUp);
        EXPECT_EQ(Rows(w.lbExtra), (std::vector<std::string>{"BPM", "MOOD"}));
        PressButton(*w.btnExtraDown);
        w.lbExtra->setCurrentRow(0);
        PressButton(*w.btnRemoveExtra);
        EXPECT_EQ(Rows(w.lbExtra), (std::vector<std::string>{"BPM"}));
        PressButton(*w.btnOK);
    });
    EXPECT_TRUE(EditMediaLibraryReport(report, available));
    EXPECT_EQ(report.SelectedFields, (std::vector<std::string>{"Title", "Album", "Track Number", "Year", "Genre"}));
    EXPECT_EQ(report.ExtraFields, (std::vector<std::string>{"BPM"}));
    EXPECT_EQ(prompt->TextQuestions.front(), "Add Field|Enter an Extra Field Tag");
}

TEST_F(ColumnWindow, AllNoneAndCancel)
{
    const std::vector<std::string> before = report.SelectedFields;
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmMediaLibraryReport>(d);
        PressButton(*w.btnRemoveAll);
        EXPECT_EQ(w.lbSelected->count(), 0);
        EXPECT_EQ(w.lbAvailable->count(), 15);
        PressButton(*w.btnAddAll);
        EXPECT_EQ(w.lbAvailable->count(), 0);
        EXPECT_EQ(Rows(w.lbSelected).front(), "Filename");
        PressButton(*w.btnCancel);
    });
    EXPECT_FALSE(EditMediaLibraryReport(report, available));
    EXPECT_EQ(report.SelectedFields, before);
}

TEST_F(ColumnWindow, ConfigureOpensTheInstalledWindowWithIndexWhenTracksCarryIt)
{
    TaudioTagList tracks;
    report.TrackList = &tracks;
    TmediaLibraryReport::SetColumnDialog([](TmediaLibraryReport& r, const std::vector<std::string>& fields) {
        EditMediaLibraryReport(r, fields);
    });
    runner->Push([](QDialog& d) {
        EXPECT_FALSE(Rows(As<TfrmMediaLibraryReport>(d).lbAvailable).back() == "Index");
        PressButton(*As<TfrmMediaLibraryReport>(d).btnCancel);
    });
    report.Configure();
    tracks.Add(test::MakeTag("Abba", "SOS", 1, "/m/sos.mp3"));  // the list numbers its tracks
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmMediaLibraryReport>(d);
        EXPECT_EQ(Rows(w.lbAvailable).back(), "Index");
        test::TouchRow(w.lbAvailable, w.lbAvailable->count() - 1);
        PressButton(*w.btnAdd);
        PressButton(*w.btnOK);
    });
    report.Configure();
    TmediaLibraryReport::SetColumnDialog(nullptr);
    EXPECT_EQ(report.SelectedFields.back(), "Index");
    report.Configure();  // without a window: nothing happens
    EXPECT_EQ(runner->Titles.size(), 2u);
}

}  // namespace
}  // namespace tunecrest
