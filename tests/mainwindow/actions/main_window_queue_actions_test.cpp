// The running window's actions of the Queue menu, random play, the slots and the stacker,
// as cases of the action test.
#include <gtest/gtest.h>

#include "skin/touch_list_box.h"
#include "support/pump_events.h"
#include "tests/mainwindow/actions/main_window_actions_support.h"

namespace tunecrest::test::window_actions {

void AddQueueCases(std::vector<Tcase>& c) {
    // Queue.
    c.push_back({{"actnQueueAddSelected", "actnQueueAddAll"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.Row(0);
                     for (int i = 0; i < 4; ++i) r.form->Layout().TrackList->SetSelected(i, false);
                     r.form->Layout().TrackList->SetSelected(1, true);
                     r.form->Layout().TrackList->SetSelected(3, true);
                     ASSERT_TRUE(r.Run("actnQueueAddSelected"));
                     EXPECT_EQ(r.Queue().Count(), 2);
                     r.Queue().Clear();
                     ASSERT_TRUE(r.Run("actnQueueAddAll"));
                     EXPECT_EQ(r.Queue().Count(), 4);
                 }});
    c.push_back({{"actnQueueAddToTop"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.QueueFiles(1);
                     r.Row(0);
                     r.form->Layout().TrackList->SetItemIndex(2);
                     const std::string row = Name(r.Row(2));
                     ASSERT_TRUE(r.Run("actnQueueAddToTop"));
                     ASSERT_EQ(r.Queue().Count(), 2);
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), row);
                     EXPECT_EQ(r.form->Layout().TrackList->ItemIndex(), -1);
                     // Without a focused row nothing is added.
                     r.Run("actnQueueAddToTop");
                     EXPECT_EQ(r.Queue().Count(), 2);
                 }});
    c.push_back({{"actnQueueQueueAndPlay"}, [](Rig& r) {
                     r.Row(0);
                     r.form->Layout().TrackList->SetItemIndex(3);
                     r.form->Layout().TrackList->SetSelected(3, true);
                     const std::string row = Name(r.Row(3));
                     ASSERT_TRUE(r.Run("actnQueueQueueAndPlay"));
                     EXPECT_TRUE(Pump([&] { return Name(r.form->Controller().CurrentTrack()) == row; }, 15000));
                     EXPECT_FALSE(r.form->Layout().TrackList->Selected(3));
                 }});
    c.push_back({{"actnQueueAlbum"}, [](Rig& r) { ExpectWindow(r, "actnQueueAlbum", "frmChooseCD"); }});
    c.push_back({{"actnQueueClear", "actnQueueClearNoConfirm"}, [](Rig& r) {
                     r.QueueFiles(2);
                     r.prompt->Questions.clear();
                     ASSERT_TRUE(r.Run("actnQueueClear"));
                     EXPECT_EQ(r.Queue().Count(), 0);
                     EXPECT_EQ(r.prompt->Questions, std::vector<std::string>{"Are you sure you want to clear the queue?"});
                     r.QueueFiles(2);
                     ASSERT_TRUE(r.Run("actnQueueClearNoConfirm"));
                     EXPECT_EQ(r.Queue().Count(), 0);
                     EXPECT_EQ(r.prompt->Questions.size(), 1u);
                 }});
    c.push_back({{"actnQueueDelete", "actnQueueMoveTop", "actnQueueMoveUp", "actnQueueMoveDown"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.QueueFiles(4);
                     const std::string a = Name(r.Row(0)), b = Name(r.Row(1)), c3 = Name(r.Row(2)), d = Name(r.Row(3));
                     TtouchListBox& queue = *r.form->Layout().QueueList;
                     queue.SetItemIndex(2);
                     ASSERT_TRUE(r.Run("actnQueueMoveUp"));
                     EXPECT_EQ(Name(r.Queue().GetTag(1)), c3);
                     EXPECT_EQ(queue.ItemIndex(), 1) << "the moved track keeps the focus";
                     ASSERT_TRUE(r.Run("actnQueueMoveDown"));
                     EXPECT_EQ(Name(r.Queue().GetTag(2)), c3);
                     queue.SetItemIndex(3);
                     ASSERT_TRUE(r.Run("actnQueueMoveTop"));
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), d);
                     queue.SetItemIndex(1);
                     ASSERT_TRUE(r.Run("actnQueueDelete"));
                     ASSERT_EQ(r.Queue().Count(), 3);
                     EXPECT_EQ(Name(r.Queue().GetTag(1)), b);
                 }});
    c.push_back({{"actnQueuePlayNow"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.QueueFiles(3);
                     const std::string third = Name(r.Queue().GetTag(2));
                     r.form->Layout().QueueList->SetItemIndex(2);
                     ASSERT_TRUE(r.Run("actnQueuePlayNow"));
                     EXPECT_TRUE(Pump([&] { return Name(r.form->Controller().CurrentTrack()) == third; }, 15000));
                 }});
    c.push_back({{"actnQueuePreviousTrack", "actnQueuepreviousTrackAtTop"}, [](Rig& r) {
                     auto& history = r.Library().Jukebox()->History();
                     history.Clear();
                     history.Add(r.Row(0));
                     history.Add(r.Row(1));
                     r.Queue().Clear();
                     r.QueueFiles(1);
                     ASSERT_TRUE(r.Run("actnQueuePreviousTrack"));
                     ASSERT_EQ(r.Queue().Count(), 2);
                     EXPECT_EQ(Name(r.Queue().GetTag(1)), Name(r.Row(0)));
                     ASSERT_TRUE(r.Run("actnQueuepreviousTrackAtTop"));
                     ASSERT_EQ(r.Queue().Count(), 3);
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), Name(r.Row(0)));
                 }});
    c.push_back({{"actnQueueRandomize"}, [](Rig& r) {
                     r.Queue().Clear();
                     for (int i = 0; i < 3; ++i) r.QueueFiles(4);
                     auto order = [&] {
                         std::vector<const TaudioTag*> o;
                         for (int i = 0; i < r.Queue().Count(); ++i) o.push_back(r.Queue().GetTag(i).get());
                         return o;
                     };
                     const auto before = order();
                     bool changed = false;
                     for (int i = 0; i < 5 && !changed; ++i) {
                         ASSERT_TRUE(r.Run("actnQueueRandomize"));
                         changed = order() != before;
                     }
                     EXPECT_TRUE(changed);
                     auto sorted = order(), original = before;
                     std::sort(sorted.begin(), sorted.end());
                     std::sort(original.begin(), original.end());
                     EXPECT_EQ(sorted, original);
                 }});
    c.push_back({{"actnQueueLoop"}, [](Rig& r) {
                     ExpectToggle(r, "actnQueueLoop", [&] { return r.Library().Jukebox()->LoopQueue(); });
                     r.form->WndProc(WM_USER, 311, 0);
                     EXPECT_TRUE(r.Checked("actnQueueLoop"));
                     r.form->WndProc(WM_USER, 311, 0);
                 }});
    c.push_back({{"actnQueueNoDuplicates"}, [](Rig& r) {
                     ExpectToggle(r, "actnQueueNoDuplicates", [&] { return r.Queue().NoDuplicates(); });
                     r.Run("actnQueueNoDuplicates");
                     r.Queue().Clear();
                     r.QueueFiles(1);
                     r.QueueFiles(1);
                     EXPECT_EQ(r.Queue().Count(), 1);
                     EXPECT_TRUE(r.form->Settings().NoQueueDuplications);
                     r.Run("actnQueueNoDuplicates");
                 }});
    c.push_back({{"actnQueueKeepTrackCount"}, [](Rig& r) {
                     ExpectToggle(r, "actnQueueKeepTrackCount", [&] { return r.form->Settings().KeepQueueTrackCount; });
                     r.Run("actnQueueKeepTrackCount");
                     EXPECT_TRUE(r.form->Layout().Lists().KeepTrackCount);
                     r.Run("actnQueueKeepTrackCount");
                     EXPECT_FALSE(r.form->Layout().Lists().KeepTrackCount);
                 }});
    c.push_back({{"actnQueueMakePlaylist"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.QueueFiles(3);
                     r.prompt->Text = "Party Mix";
                     ASSERT_TRUE(r.Run("actnQueueMakePlaylist"));
                     auto made = r.Library().Playlists().FindList("Party Mix");
                     ASSERT_TRUE(made);
                     EXPECT_EQ(made->Count(), 3);
                     EXPECT_EQ(Name(made->GetTag(2)), Name(r.Queue().GetTag(2)));
                     EXPECT_FALSE(made->Active()) << "a playlist made from the queue is not played from";
                     EXPECT_NE(r.Library().Jukebox()->ActivatedPlaylist(), made.get());
                     // Cancelled or without a name: no playlist.
                     const int count = r.Library().Playlists().Count();
                     r.prompt->Text = std::nullopt;
                     r.Run("actnQueueMakePlaylist");
                     r.prompt->Text = "";
                     r.Run("actnQueueMakePlaylist");
                     EXPECT_EQ(r.Library().Playlists().Count(), count);
                 }});
    c.push_back({{"actnQueueDCNone", "actnQueueDCMoveToTop", "actnQueueDCPlayNow"}, [](Rig& r) {
                     r.Queue().Clear();
                     r.QueueFiles(3);
                     TtouchListBox& queue = *r.form->Layout().QueueList;
                     auto doubleClick = [&](int row) {
                         queue.SetItemIndex(row);
                         QTest::mouseDClick(&queue, Qt::LeftButton, {},
                                            QPoint(20, row * queue.ItemHeight() + queue.ItemHeight() / 2));
                     };
                     ASSERT_TRUE(r.Run("actnQueueDCMoveToTop"));
                     EXPECT_EQ(r.form->Settings().QueueDoubleClick, 1);
                     EXPECT_TRUE(r.Checked("actnQueueDCMoveToTop"));
                     EXPECT_FALSE(r.Checked("actnQueueDCNone"));
                     const std::string third = Name(r.Queue().GetTag(2));
                     doubleClick(2);
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), third);
                     ASSERT_TRUE(r.Run("actnQueueDCNone"));
                     EXPECT_EQ(r.form->Settings().QueueDoubleClick, 0);
                     const std::string now = Name(r.Queue().GetTag(0)), second = Name(r.Queue().GetTag(1));
                     doubleClick(1);
                     EXPECT_EQ(Name(r.Queue().GetTag(0)), now);
                     ASSERT_TRUE(r.Run("actnQueueDCPlayNow"));
                     EXPECT_TRUE(r.Checked("actnQueueDCPlayNow"));
                     EXPECT_FALSE(r.Checked("actnQueueDCMoveToTop"));
                     doubleClick(1);
                     EXPECT_TRUE(Pump([&] { return Name(r.form->Controller().CurrentTrack()) == second; }, 15000));
                 }});
}

void AddRandomPlayCases(std::vector<Tcase>& c) {
    // Random play.
    c.push_back({{"actnRandomPlayEnabled"}, [](Rig& r) {
                     ExpectToggle(r, "actnRandomPlayEnabled", [&] { return r.Library().Jukebox()->RandomPlayActive(); });
                 }});
    c.push_back({{"actnRandomPlayFilters"}, [](Rig& r) { ExpectWindow(r, "actnRandomPlayFilters", "frmTagListRules"); }});
    c.push_back({{"actnRandomPlayClearFilters"}, [](Rig& r) {
                     ASSERT_TRUE(r.Run("actnRandomPlayClearFilters"));
                     EXPECT_EQ(r.Status(), "Filters Cleared");
                     EXPECT_TRUE(std::filesystem::exists(r.root + "Data/rules.dat"));
                 }});
}

void AddSlotCases(std::vector<Tcase>& c) {
    // Slots: none is set up, and the status says so.
    c.push_back({{"actnActivateSlot", "actnSlotActivate1", "actnSlotActivate2", "actnSlotActivate3",
                  "actnSlotActivate4", "actnSlotActivate5", "actnSlotActivate6", "actnSlotActivate7",
                  "actnSlotActivate8", "actnSlotActivate9", "actnSlotActivate10", "actnSlotActivate11",
                  "actnSlotActivate12"},
                 [](Rig& r) {
                     for (int i = 1; i <= 12; ++i) {
                         ASSERT_TRUE(r.Run("actnSlotActivate" + std::to_string(i)));
                         EXPECT_EQ(r.Status(), "Couldn't Activate Slot " + std::to_string(i));
                     }
                     r.form->WndProc(WM_USER, 500, 7);
                     EXPECT_EQ(r.Status(), "Couldn't Activate Slot 7");
                 }});
    c.push_back({{"actnViewShowActionButtonPad"}, [](Rig& r) {
                     ExpectWindow(r, "actnViewShowActionButtonPad", "frmActionButtonPad");
                 }});
}

void AddStackerCases(std::vector<Tcase>& c) {
    // Stacker: the window, and the switch by action, key and message.
    c.push_back({{"actnStackerConfigure"}, [](Rig& r) { ExpectWindow(r, "actnStackerConfigure", "frmStackerList"); }});
    c.push_back({{"actnStackerEnabled"}, [](Rig& r) {
                     ExpectToggle(r, "actnStackerEnabled", [&] { return r.Library().Jukebox()->Stacker().Active(); });
                     // The key pressed while the queue list has the focus
                     // (needs the touch list to pass on keys it does not use; its ListKey once kept
                     // every key).
                     r.form->show();
                     test::TapRow(*r.form->Layout().QueueList, 0);
                     test::PressKey(*r.form, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
                     EXPECT_TRUE(r.Library().Jukebox()->Stacker().Active());
                     r.form->WndProc(WM_USER, 202, 0);
                     EXPECT_FALSE(r.Library().Jukebox()->Stacker().Active());
                     EXPECT_FALSE(r.Checked("actnStackerEnabled"));
                 }});
    c.push_back({{"actnStackerLoadCartridge", "actnStackerAddCartridge", "actnStackerSaveCartridge"}, [](Rig& r) {
                     auto cartridge = std::make_shared<TaudioTagList>();
                     cartridge->SetOwnsObjects(true);
                     cartridge->SetTitle("Crate");
                     cartridge->AddCopy(r.Row(0));
                     r.Library().AddToStacker(cartridge.get());
                     const std::string file = r.root + "Cartridges/crate.ctg";
                     r.prompt->SaveFile = file;
                     ASSERT_TRUE(r.Run("actnStackerSaveCartridge"));
                     ASSERT_TRUE(std::filesystem::exists(file));
                     const int before = r.Library().Jukebox()->Stacker().Count();
                     r.prompt->OpenFile = file;
                     ASSERT_TRUE(r.Run("actnStackerAddCartridge"));
                     EXPECT_EQ(r.Library().Jukebox()->Stacker().Count(), before + 1);
                     ASSERT_TRUE(r.Run("actnStackerLoadCartridge"));
                     EXPECT_EQ(r.Library().Jukebox()->Stacker().Count(), 1);
                 }});
}

}  // namespace tunecrest::test::window_actions
