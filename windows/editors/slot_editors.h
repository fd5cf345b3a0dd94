#pragma once
// The button-slot editors: the list of a jukebox's programmable slots ("Slot
// Allocations", or "Button Allocations" for a fixed set of buttons) and the editor of
// one slot ("Edit Slot" / "Edit Button"): its action and what the action activates.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace tunecrest {

class TcustomJukebox;
class TjukeboxSlot;
class TjukeboxSlotList;

// What a slot of `action` can activate, from the jukebox's library: playlist titles or
// filter-set names after "[Deactivate]", or station names; none for "Unassigned" or
// without a jukebox.
std::vector<std::string> SlotChoices(const TcustomJukebox* jukebox, int action);

class TfrmEditJukeboxSlot : public QDialog {
public:
    TfrmEditJukeboxSlot(const TjukeboxSlot& slot, const TcustomJukebox* jukebox, bool buttonWording,
                        QWidget* parent = nullptr);
    // Refills cboActivates for the selected type. A stored parameter missing from the
    // choices is kept as the last entry while the slot's own type stays selected.
    void RefillChoices();

    QGroupBox* gbDetails;
    QLabel* lblSlotType;
    QComboBox* cboSlotType;
    QComboBox* cboActivates;
    QPushButton *btnOK, *btnCancel;

private:
    const TcustomJukebox* Fjukebox;
    int ForiginalType;
    std::string ForiginalParameter;
};

// Edits `slot`: on OK it takes the selected type and the chosen parameter. True on OK.
bool EditJukeboxSlot(TjukeboxSlot& slot, const TcustomJukebox* jukebox, bool buttonWording);

class TfrmEditJukeboxSlots : public QDialog {
public:
    explicit TfrmEditJukeboxSlots(TjukeboxSlotList& slotList, QWidget* parent = nullptr);
    ~TfrmEditJukeboxSlots() override;

    void RefreshView();
    TjukeboxSlot* SelectedSlot() const;
    void Select(const TjukeboxSlot* slot);
    void AddClicked();
    void EditClicked();
    void DeleteClicked();
    void MoveClicked(bool up);
    void ClearClicked();
    void TestClicked();

    QTreeWidget* lvMain;
    QPushButton *btnEdit, *btnAdd, *btnDelete, *btnClear, *btnMoveUp, *btnMoveDown, *btnTest, *btnClose;

private:
    bool ButtonMode() const;
    TjukeboxSlotList& Fslots;
};

// The jukebox whose library supplies the choices when a slot is edited on its own (the
// main window's); an empty function leaves the choices empty.
void SetSlotEditorJukebox(std::function<const TcustomJukebox*()> jukebox);
const TcustomJukebox* SlotEditorJukebox();

// Shows the slot list editor; edits act on the list at once. True when closed with Close.
bool EditJukeboxSlots(TjukeboxSlotList& slotList);

}  // namespace tunecrest
