#include "windows/editors/slot_editors.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "core/base/ini_file.h"
#include "core/jukebox/jukebox.h"
#include "core/jukebox/jukebox_slots.h"
#include "core/base/services.h"
#include "core/tags/tag_list_rules.h"
#include "support/browse_library.h"
#include "support/recording_prompt.h"
#include "support/scripted_modal_runner.h"
#include "support/test_application.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

using test::TscriptedModalRunner;

void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
TfrmEditJukeboxSlot& SlotForm(QDialog& d) { return dynamic_cast<TfrmEditJukeboxSlot&>(d); }
TfrmEditJukeboxSlots& ListForm(QDialog& d) { return dynamic_cast<TfrmEditJukeboxSlots&>(d); }

QStringList Items(QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

std::string Saved(const TjukeboxSlotList& list)
{
    TiniFile ini;
    list.SaveToIni(ini, "Slots");
    return ini.GetText();
}

struct SlotEditors : ::testing::Test {
    void SetUp() override
    {
        test::App();
        auto rules = std::make_unique<TtagListRules>();
        rules->Name = "Eighties";
        library.lib->RuleSets().Add(std::move(rules));
        jukebox = library.lib->Jukebox();
    }
    test::BrowseLibrary library;
    TcustomJukebox* jukebox = nullptr;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TEST_F(SlotEditors, ChoicesOfEverySlotType)
{
    EXPECT_TRUE(SlotChoices(jukebox, saUnassigned).empty());
    EXPECT_EQ(SlotChoices(jukebox, saPlaylist),
              (std::vector<std::string>{"[Deactivate]", "Disc in the drive", "Party"}));
    EXPECT_EQ(SlotChoices(jukebox, saActivatePlaylist), SlotChoices(jukebox, saPlaylist));
    EXPECT_EQ(SlotChoices(jukebox, saRandomPlayFilter), (std::vector<std::string>{"[Deactivate]", "Eighties"}));
    EXPECT_EQ(SlotChoices(jukebox, saPlayURL), (std::vector<std::string>{"Station"}));
    EXPECT_TRUE(SlotChoices(nullptr, saPlaylist).empty());
}

TEST_F(SlotEditors, EverySlotTypeThroughTheEditor)
{
    struct Tcase {
        int Type;
        const char* Choice;
    };
    const Tcase cases[] = {{saPlaylist, "Party"},
                           {saActivatePlaylist, "Disc in the drive"},
                           {saRandomPlayFilter, "Eighties"},
                           {saPlayURL, "Station"},
                           {saUnassigned, ""}};
    for (const Tcase& c : cases) {
        TjukeboxSlot slot;
        slot.SetActionType(saPlaylist);
        slot.Parameter = "Party";
        runner->Push([&](QDialog& d) {
            auto& f = SlotForm(d);
            EXPECT_EQ(f.windowTitle(), "Edit Slot");
            EXPECT_EQ(f.cboActivates->currentText(), "Party");
            f.cboSlotType->setCurrentIndex(c.Type);
            if (c.Type == saUnassigned) {
                EXPECT_EQ(f.cboActivates->count(), 0);
            }
            f.cboActivates->setCurrentIndex(f.cboActivates->findText(c.Choice));
            Click(f.btnOK);
        });
        ASSERT_TRUE(EditJukeboxSlot(slot, jukebox, false)) << c.Type;
        EXPECT_EQ(slot.ActionType(), c.Type);
        EXPECT_EQ(slot.Parameter, c.Choice);
    }
}

TEST_F(SlotEditors, CancelLeavesTheSlotAndButtonWording)
{
    TjukeboxSlot slot;
    slot.SetActionType(saPlayURL);
    slot.Parameter = "Station";
    runner->Push([](QDialog& d) {
        auto& f = SlotForm(d);
        EXPECT_EQ(f.windowTitle(), "Edit Button");
        EXPECT_EQ(f.gbDetails->title(), "Button Details");
        EXPECT_EQ(f.lblSlotType->text(), "Action Type");
        f.cboSlotType->setCurrentIndex(saUnassigned);
        Click(f.btnCancel);
    });
    EXPECT_FALSE(EditJukeboxSlot(slot, jukebox, true));
    EXPECT_EQ(slot.AsText(), "Play URL:Station");
}

// A playlist that is not (or not yet) in the library stays the slot's parameter as long
// as the type is not changed; OK must not store it as empty.
TEST_F(SlotEditors, StoredParameterMissingFromTheChoicesIsKept)
{
    TjukeboxSlot slot;
    slot.SetActionType(saActivatePlaylist);
    slot.Parameter = "Gone Playlist";
    runner->Push([](QDialog& d) {
        auto& f = SlotForm(d);
        EXPECT_EQ(f.cboActivates->currentText(), "Gone Playlist");
        EXPECT_EQ(Items(f.cboActivates),
                  (QStringList{"[Deactivate]", "Disc in the drive", "Party", "Gone Playlist"}));
        // Another type drops it; back on the slot's own type it returns.
        f.cboSlotType->setCurrentIndex(saPlayURL);
        EXPECT_EQ(Items(f.cboActivates), QStringList{"Station"});
        f.cboSlotType->setCurrentIndex(saActivatePlaylist);
        EXPECT_EQ(f.cboActivates->currentText(), "Gone Playlist");
        Click(f.btnOK);
    });
    EXPECT_TRUE(EditJukeboxSlot(slot, jukebox, false));
    EXPECT_EQ(slot.AsText(), "Activate Playlist:Gone Playlist");

    // Without a library at all (nothing loaded) the same holds.
    runner->Push([](QDialog& d) { Click(SlotForm(d).btnOK); });
    EXPECT_TRUE(EditJukeboxSlot(slot, nullptr, false));
    EXPECT_EQ(slot.AsText(), "Activate Playlist:Gone Playlist");
}

TEST_F(SlotEditors, ListEditorAddEditMoveDeleteClear)
{
    auto prompt = std::make_shared<test::TrecordingPrompt>();
    auto previous = SetPrompt(prompt);
    TjukeboxSlotList& list = jukebox->Slots();
    list.Clear();
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    // Add (the new slot's editor answers), then cancel a second add.
    runner->Push([](QDialog& d) {
        auto& f = ListForm(d);
        EXPECT_EQ(f.windowTitle(), "Slot Allocations");
        EXPECT_FALSE(f.btnAdd->isHidden());
        EXPECT_EQ(f.btnDelete->text(), "&Delete");
        Click(f.btnAdd);
        Click(f.btnAdd);
        Click(f.btnAdd);
        ASSERT_EQ(f.lvMain->topLevelItemCount(), 2);
        EXPECT_EQ(f.lvMain->topLevelItem(1)->text(0), "2");
        EXPECT_EQ(f.lvMain->topLevelItem(1)->text(1), "Play URL");
        EXPECT_EQ(f.lvMain->topLevelItem(1)->text(2), "Station");
        // Move the station up, then edit it.
        f.lvMain->setCurrentItem(f.lvMain->topLevelItem(1));
        Click(f.btnMoveUp);
        EXPECT_EQ(f.lvMain->indexOfTopLevelItem(f.lvMain->currentItem()), 0);
        Click(f.btnEdit);
        EXPECT_EQ(f.lvMain->topLevelItem(0)->text(1), "Random Play Filter");
        // Delete the other one.
        f.lvMain->setCurrentItem(f.lvMain->topLevelItem(1));
        Click(f.btnDelete);
        EXPECT_EQ(f.lvMain->topLevelItemCount(), 1);
        Click(f.btnClose);
    });
    runner->Push([](QDialog& d) {
        auto& f = SlotForm(d);
        f.cboSlotType->setCurrentIndex(saPlaylist);
        f.cboActivates->setCurrentIndex(1);
        Click(f.btnOK);
    });
    runner->Push([](QDialog& d) {
        auto& f = SlotForm(d);
        f.cboSlotType->setCurrentIndex(saPlayURL);
        f.cboActivates->setCurrentIndex(0);
        Click(f.btnOK);
    });
    runner->Push([](QDialog& d) { Click(SlotForm(d).btnCancel); });
    runner->Push([](QDialog& d) {
        auto& f = SlotForm(d);
        f.cboSlotType->setCurrentIndex(saRandomPlayFilter);
        f.cboActivates->setCurrentIndex(1);
        Click(f.btnOK);
    });
    EXPECT_TRUE(EditJukeboxSlots(list));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0)->AsText(), "Random Play Filter:Eighties");
    EXPECT_GE(changes, 5) << "add, add, move, edit and delete are each reported, so the list is stored";

    // Clear asks first; No keeps the slots.
    prompt->Answer = false;
    runner->Push([](QDialog& d) {
        auto& f = ListForm(d);
        Click(f.btnClear);
        EXPECT_EQ(f.lvMain->topLevelItemCount(), 1);
        Click(f.btnClose);
    });
    EXPECT_TRUE(EditJukeboxSlots(list));
    ASSERT_EQ(prompt->Questions.size(), 1u);
    EXPECT_EQ(prompt->Questions[0], "Are you sure you want to clear all slots?");
    EXPECT_EQ(list.Count(), 1);
    list.OnChange = nullptr;
    SetPrompt(previous);
}

TEST_F(SlotEditors, FixedButtonsOnlyUnassign)
{
    TjukeboxSlotList list;
    list.FixedCount = 2;
    for (const char* text : {"Playlist:Party", "Play URL:Station"}) list.Add(TjukeboxSlot::CreateFromText(text));
    const std::string before = Saved(list);
    runner->Push([](QDialog& d) {
        auto& f = ListForm(d);
        EXPECT_EQ(f.windowTitle(), "Button Allocations");
        EXPECT_TRUE(f.btnAdd->isHidden());
        EXPECT_EQ(f.btnDelete->text(), "&Unassign");
        EXPECT_EQ(f.lvMain->headerItem()->text(0), "Button #");
        EXPECT_EQ(f.lvMain->headerItem()->text(1), "Action Type");
        f.lvMain->setCurrentItem(f.lvMain->topLevelItem(0));
        Click(f.btnDelete);
        EXPECT_EQ(f.lvMain->topLevelItemCount(), 2);
        EXPECT_EQ(f.lvMain->topLevelItem(0)->text(1), "Unassigned");
        // Editing a button uses the button wording.
        f.lvMain->setCurrentItem(f.lvMain->topLevelItem(1));
        Click(f.btnEdit);
        Click(f.btnClose);
    });
    runner->Push([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Edit Button");
        Click(SlotForm(d).btnCancel);
    });
    EXPECT_TRUE(EditJukeboxSlots(list));
    EXPECT_NE(Saved(list), before);
    EXPECT_EQ(list.Items(0)->AsText(), "Unassigned:");
    EXPECT_EQ(list.Items(1)->AsText(), "Play URL:Station");
}

TEST_F(SlotEditors, SkinnedPromptOpensTheEditors)
{
    TskinnedPrompt prompt;
    SetSlotEditorJukebox([this]() -> const TcustomJukebox* { return jukebox; });
    TjukeboxSlot slot;
    runner->Push([](QDialog& d) {
        auto& f = SlotForm(d);
        f.cboSlotType->setCurrentIndex(saRandomPlayFilter);
        EXPECT_EQ(Items(f.cboActivates), (QStringList{"[Deactivate]", "Eighties"}));
        f.cboActivates->setCurrentIndex(1);
        Click(f.btnOK);
    });
    EXPECT_TRUE(prompt.EditSlot(slot, true));
    EXPECT_EQ(slot.AsText(), "Random Play Filter:Eighties");
    SetSlotEditorJukebox({});
    TjukeboxSlotList list;
    runner->Push([](QDialog& d) { Click(ListForm(d).btnClose); });
    EXPECT_TRUE(prompt.EditSlotList(list));
    TonOffTimerAlarmList alarms;
    runner->Push([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Alarm Clock Settings");
        d.done(mrCancel);
    });
    EXPECT_FALSE(prompt.EditAlarms(alarms));
}

}  // namespace
}  // namespace tunecrest
