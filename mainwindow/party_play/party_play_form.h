#pragma once
// The party-play settings window ("Party Play Options"). It edits a working copy of the
// settings: OK copies the copy back, Cancel changes nothing. Pages "Options", "Jukebox
// Control" (kept hidden; its buttons act through the main window with the guards bypassed)
// and "Password".
#include <QDialog>
#include <functional>
#include <memory>

#include "core/jukebox/party_play_settings.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QLabel;

namespace tunecrest {

class TaudioTagList;
class TpartyPlayGuards;
class TpartyPlayQueuePage;

class TfrmPartyPlay2 : public QDialog {
  public:
    // `guards` and `queue` feed the jukebox-control page; both may be null.
    // `productBoxes` shows the "Disable Track Searching" and "Disable Volume Change" boxes,
    // which only the product's window offers.
    TfrmPartyPlay2(const TpartyPlaySettings& settings, bool creditModeVisible, TpartyPlayGuards* guards,
                   const TaudioTagList* queue, QWidget* parent = nullptr, bool productBoxes = false);
    ~TfrmPartyPlay2() override;

    // The working copy as the controls show it now.
    TpartyPlaySettings Settings() const;
    QTabWidget* Pages() const { return Fpages; }
    void RefreshQueueList();
    // The password button: checks the current field, then the two new fields.
    void SetPasswordClicked();

  protected:
    // A tap on a password field opens the on-screen keyboard's entry window (while the
    // keyboards are on), so the owner sets the password without a keyboard.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowPassword();
    void BuildOptions();
    void BuildJukeboxControl();
    void BuildPassword();
    QCheckBox* AddBox(QWidget* page, const char* name, const char* caption, bool checked);

    TpartyPlaySettings Fworking;
    TpartyPlayGuards* Fguards;
    const TaudioTagList* Fqueue;
    std::unique_ptr<TpartyPlayQueuePage> FqueuePage;
    bool FcreditModeVisible;
    bool FproductBoxes;
    QTabWidget* Fpages = nullptr;
    QSpinBox* FqueueLimit = nullptr;
    QListWidget* FqueueList = nullptr;
    QSpinBox* FmoveTo = nullptr;
    QPushButton* FsetPassword = nullptr;
    QLineEdit *Fcurrent = nullptr, *Fnew = nullptr, *Fconfirm = nullptr;
    QLabel* FcurrentLabel = nullptr;
};

// Runs the window modally and answers QDialog::Accepted or Rejected. Tests install their
// own runner that presses buttons instead of waiting on a real modal loop.
using TpartyPlayRunner = std::function<int(TfrmPartyPlay2&)>;
void SetPartyPlayRunner(TpartyPlayRunner runner);  // an empty runner restores exec()

// Shows the window on a copy of `settings`; on OK the copy replaces them. Answers OK.
// Without a runner of its own the window runs through RunModal.
bool EditPartyPlaySettings(TpartyPlaySettings& settings, bool creditModeVisible = false,
                           TpartyPlayGuards* guards = nullptr, const TaudioTagList* queue = nullptr,
                           bool productBoxes = false);
// The queue page of the window while it is open follows the queue (the main window calls
// this on every queue change); nothing when no window is open.
void RefreshPartyPlayQueueList();

}  // namespace tunecrest
