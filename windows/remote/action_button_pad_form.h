#pragma once
// The action button pad: a skinned, sizeable touch window with one big button per action
// of its list, and Edit and Close below. The buttons name controller actions; a press
// looks the action up at that moment, and a name that finds none shows a disabled button.
// Left untouched for longer than its time-out, the pad hides itself.
#include <memory>
#include <vector>

#include "skin/skin_forms.h"

namespace tunecrest {

class TactionButtonPad;
class TcontrolTimer;
class TmySkinButton;

class TfrmActionButtonPad : public TfrmBaseSkinForm {
  public:
    explicit TfrmActionButtonPad(QWidget* parent = nullptr);
    ~TfrmActionButtonPad() override;

    // Uses `pad` (names, size, time-out) and rebuilds the buttons; the window takes the
    // pad's size when it has one.
    void SetActionList(TactionButtonPad* pad);
    TactionButtonPad* ActionList() const { return Fpad; }
    // One button per entry, in list order.
    void RebuildButtons();
    // Enables the buttons whose names find an action, disables the others.
    void RefreshButtonStates();
    void LayOutButtons();
    // Runs the entry's action (when its name still finds one) and restarts the idle time.
    void PressButton(int index);
    // Shows the pad with a fresh idle time.
    void ShowPad();

    const std::vector<TmySkinButton*>& Buttons() const { return Fbuttons; }
    TcontrolTimer& Timer() { return *Ftimer; }
    // Height of a button; buttons are twice as wide.
    int ButtonHeight() const;

    QWidget* pnlButtons;
    QWidget* pnlControlButtons;
    TmySkinButton* sbEdit;
    TmySkinButton* sbClose;

  protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void TimerTick();
    void DressButton(TmySkinButton& button) const;

    TactionButtonPad* Fpad = nullptr;
    std::vector<TmySkinButton*> Fbuttons;
    std::unique_ptr<TcontrolTimer> Ftimer;
};

// The one pad window, made on first use.
TfrmActionButtonPad& ActionButtonPad();
// Shows the pad window on `pad`.
void ShowActionButtonPad(TactionButtonPad& pad);

// The pad's list editor: add actions of the controller (through the action picker),
// remove, reorder, and open the controller's action editor. Works on a copy of the list;
// Close puts it back, Cancel keeps the list as it was.
bool EditActionList(TactionButtonPad& pad);

}  // namespace tunecrest
