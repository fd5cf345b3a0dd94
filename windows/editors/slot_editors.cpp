#include "windows/editors/slot_editors.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "core/jukebox/jukebox.h"
#include "core/library/jukebox_list.h"
#include "core/jukebox/jukebox_slots.h"
#include "core/base/services.h"
#include "core/library/tag_list_list.h"
#include "core/tags/tag_list_rules.h"
#include "core/library/url_list.h"
#include "skin/modal_runner.h"
#include "windows/editors/editor_form.h"

namespace tunecrest {

namespace {
constexpr const char* kDeactivate = "[Deactivate]";

std::function<const TcustomJukebox*()>& JukeboxSource()
{
    static std::function<const TcustomJukebox*()> source;
    return source;
}
}  // namespace

void SetSlotEditorJukebox(std::function<const TcustomJukebox*()> jukebox) { JukeboxSource() = std::move(jukebox); }

const TcustomJukebox* SlotEditorJukebox() { return JukeboxSource() ? JukeboxSource()() : nullptr; }

std::vector<std::string> SlotChoices(const TcustomJukebox* jukebox, int action)
{
    std::vector<std::string> choices;
    if (!jukebox) return choices;
    TcustomJukeboxList* library = jukebox->Owner();
    switch (action) {
        case saPlaylist:
        case saActivatePlaylist:
            choices.push_back(kDeactivate);
            if (library)
                for (int i = 0; i < library->Playlists().Count(); ++i)
                    if (auto list = library->Playlists().GetList(i)) choices.push_back(list->Title());
            break;
        case saRandomPlayFilter:
            choices.push_back(kDeactivate);
            if (library)
                for (int i = 0; i < library->RuleSets().Count(); ++i)
                    choices.push_back(library->RuleSets().GetRules(i)->Name);
            break;
        case saPlayURL:
            if (const TurlList* stations = jukebox->StationList()) choices = stations->GetNames();
            break;
        default:
            break;
    }
    return choices;
}

TfrmEditJukeboxSlot::TfrmEditJukeboxSlot(const TjukeboxSlot& slot, const TcustomJukebox* jukebox,
                                         bool buttonWording, QWidget* parent)
    : QDialog(parent), Fjukebox(jukebox), ForiginalType(slot.ActionType()), ForiginalParameter(slot.Parameter)
{
    setObjectName("frmEditJukeboxSlot");
    setWindowTitle(buttonWording ? "Edit Button" : "Edit Slot");
    StyleEditorDialog(*this);
    auto* layout = new QVBoxLayout(this);
    gbDetails = new QGroupBox(buttonWording ? "Button Details" : "Slot Details", this);
    auto* grid = new QGridLayout(gbDetails);
    lblSlotType = new QLabel(buttonWording ? "Action Type" : "Slot Type:", gbDetails);
    cboSlotType = new QComboBox(gbDetails);
    cboSlotType->setObjectName("cboSlotType");
    cboActivates = new QComboBox(gbDetails);
    cboActivates->setObjectName("cboActivates");
    for (QComboBox* c : {cboSlotType, cboActivates}) {
        c->setMinimumHeight(kTouchHeight);
        c->setMinimumWidth(320);
    }
    for (int a = saUnassigned; a <= saPlayURL; ++a)
        cboSlotType->addItem(QString::fromStdString(SlotActionName(TjukeboxSlotAction(a))));
    // Button wording moves the boxes a little to the right of the longer label.
    grid->setHorizontalSpacing(buttonWording ? 12 : 6);
    grid->addWidget(lblSlotType, 0, 0);
    grid->addWidget(cboSlotType, 0, 1);
    grid->addWidget(new QLabel("Activates:", gbDetails), 1, 0);
    grid->addWidget(cboActivates, 1, 1);
    layout->addWidget(gbDetails);
    AddOkCancelRow(*this, *layout, &btnOK, &btnCancel);

    cboSlotType->setCurrentIndex(std::clamp(ForiginalType, 0, int(saPlayURL)));
    RefillChoices();
    const int index = cboActivates->findText(QString::fromStdString(slot.Parameter));
    cboActivates->setCurrentIndex(index);
    connect(cboSlotType, &QComboBox::currentIndexChanged, this, [this] { RefillChoices(); });
}

void TfrmEditJukeboxSlot::RefillChoices()
{
    const int type = cboSlotType->currentIndex();
    cboActivates->clear();
    for (const std::string& choice : SlotChoices(Fjukebox, type)) cboActivates->addItem(QString::fromStdString(choice));
    // A playlist or station that is gone (or a library that is not loaded yet) must not
    // turn the slot's setting into nothing just because the dialog was opened.
    if (type == ForiginalType && type != saUnassigned && !ForiginalParameter.empty() &&
        cboActivates->findText(QString::fromStdString(ForiginalParameter)) < 0)
        cboActivates->addItem(QString::fromStdString(ForiginalParameter));
    if (type == ForiginalType) cboActivates->setCurrentIndex(cboActivates->findText(QString::fromStdString(ForiginalParameter)));
}

bool EditJukeboxSlot(TjukeboxSlot& slot, const TcustomJukebox* jukebox, bool buttonWording)
{
    TfrmEditJukeboxSlot form(slot, jukebox, buttonWording);
    if (!IsOk(RunModal(form))) return false;
    slot.SetActionType(TjukeboxSlotAction(std::max(0, form.cboSlotType->currentIndex())));
    slot.Parameter = form.cboActivates->currentText().toStdString();
    return true;
}

TfrmEditJukeboxSlots::TfrmEditJukeboxSlots(TjukeboxSlotList& slotList, QWidget* parent) : QDialog(parent), Fslots(slotList)
{
    setObjectName("frmEditJukeboxSlots");
    const bool fixed = slotList.FixedCount > 0;
    setWindowTitle(fixed ? "Button Allocations" : "Slot Allocations");
    StyleEditorDialog(*this);
    auto* layout = new QHBoxLayout(this);
    lvMain = new QTreeWidget(this);
    lvMain->setObjectName("lvMain");
    lvMain->setRootIsDecorated(false);
    lvMain->setHeaderLabels({ButtonMode() ? "Button #" : "Slot #", ButtonMode() ? "Action Type" : "Type", "Activates"});
    lvMain->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    lvMain->header()->resizeSection(0, 100);
    lvMain->header()->resizeSection(1, 210);
    lvMain->setMinimumSize(520, 320);
    layout->addWidget(lvMain, 1);
    auto* buttons = new QVBoxLayout();
    btnEdit = TouchButton(this, "btnEdit", "&Edit");
    btnAdd = TouchButton(this, "btnAdd", "&Add");
    btnDelete = TouchButton(this, "btnDelete", fixed ? "&Unassign" : "&Delete");
    btnClear = TouchButton(this, "btnClear", "&Clear");
    btnMoveUp = TouchButton(this, "btnMoveUp", "Move Up");
    btnMoveDown = TouchButton(this, "btnMoveDown", "Move Down");
    btnTest = TouchButton(this, "btnTest", "&Test");
    btnClose = TouchButton(this, "btnClose", "&Close");
    for (QPushButton* b : {btnEdit, btnAdd, btnDelete, btnClear, btnMoveUp, btnMoveDown, btnTest})
        buttons->addWidget(b);
    btnAdd->setVisible(!fixed);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
    connect(btnEdit, &QPushButton::clicked, this, [this] { EditClicked(); });
    connect(btnAdd, &QPushButton::clicked, this, [this] { AddClicked(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { DeleteClicked(); });
    connect(btnClear, &QPushButton::clicked, this, [this] { ClearClicked(); });
    connect(btnMoveUp, &QPushButton::clicked, this, [this] { MoveClicked(true); });
    connect(btnMoveDown, &QPushButton::clicked, this, [this] { MoveClicked(false); });
    connect(btnTest, &QPushButton::clicked, this, [this] { TestClicked(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(lvMain, &QTreeWidget::itemDoubleClicked, this, [this] { EditClicked(); });
    RefreshView();
    resize(760, 480);
}

TfrmEditJukeboxSlots::~TfrmEditJukeboxSlots() = default;

bool TfrmEditJukeboxSlots::ButtonMode() const { return Fslots.FixedCount > 0; }

void TfrmEditJukeboxSlots::RefreshView()
{
    lvMain->clear();
    for (int i = 0; i < Fslots.Count(); ++i) {
        const TjukeboxSlot* slot = Fslots.Items(i);
        auto* item = new QTreeWidgetItem(lvMain);
        item->setText(0, QString::number(i + 1));
        item->setText(1, QString::fromStdString(SlotActionName(slot->ActionType())));
        item->setText(2, QString::fromStdString(slot->Parameter));
        item->setSizeHint(0, QSize(0, 40));
    }
}

TjukeboxSlot* TfrmEditJukeboxSlots::SelectedSlot() const
{
    QTreeWidgetItem* item = lvMain->currentItem();
    return item ? Fslots.Items(lvMain->indexOfTopLevelItem(item)) : nullptr;
}

void TfrmEditJukeboxSlots::Select(const TjukeboxSlot* slot)
{
    const int index = Fslots.IndexOf(slot);
    if (index >= 0) lvMain->setCurrentItem(lvMain->topLevelItem(index));
}

void TfrmEditJukeboxSlots::AddClicked()
{
    auto slot = std::make_unique<TjukeboxSlot>();
    if (!EditJukeboxSlot(*slot, dynamic_cast<TcustomJukebox*>(Fslots.Jukebox), false)) return;
    TjukeboxSlot* added = slot.get();
    Fslots.Add(std::move(slot));
    RefreshView();
    Select(added);
}

void TfrmEditJukeboxSlots::EditClicked()
{
    TjukeboxSlot* slot = SelectedSlot();
    if (!slot || !EditJukeboxSlot(*slot, dynamic_cast<TcustomJukebox*>(Fslots.Jukebox), ButtonMode())) return;
    // The list stores itself on its change notice; an edited slot is a change.
    Fslots.BeginUpdate();
    Fslots.EndUpdate();
    RefreshView();
    Select(slot);
}

void TfrmEditJukeboxSlots::DeleteClicked()
{
    TjukeboxSlot* slot = SelectedSlot();
    if (!slot) return;
    Fslots.Remove(slot);
    RefreshView();
    Select(slot);
}

void TfrmEditJukeboxSlots::MoveClicked(bool up)
{
    TjukeboxSlot* slot = SelectedSlot();
    if (!slot) return;
    // Inside an update bracket, so the new order is reported (and stored) like any change.
    Fslots.BeginUpdate();
    up ? Fslots.MoveUp(slot) : Fslots.MoveDown(slot);
    Fslots.EndUpdate();
    RefreshView();
    Select(slot);
}

void TfrmEditJukeboxSlots::ClearClicked()
{
    if (!Prompt().AskYesNo("Are you sure you want to clear all slots?", "Confirm?", false)) return;
    Fslots.Clear();
    RefreshView();
}

void TfrmEditJukeboxSlots::TestClicked()
{
    if (const TjukeboxSlot* slot = SelectedSlot()) slot->Execute(Fslots.Jukebox);
}

bool EditJukeboxSlots(TjukeboxSlotList& slotList)
{
    TfrmEditJukeboxSlots form(slotList);
    return IsOk(RunModal(form));
}

}  // namespace tunecrest
