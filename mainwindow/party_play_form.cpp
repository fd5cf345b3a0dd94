#include "mainwindow/party_play_form.h"

#include <QCheckBox>
#include <QEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <set>

#include "core/jukebox/global_prefs.h"
#include "core/base/services.h"
#include "core/tags/tag_list.h"
#include "mainwindow/party_play_guards.h"
#include "mainwindow/party_play_queue_page.h"
#include "skin/modal_runner.h"
#include "windows/editors/editor_form.h"

namespace tunecrest {

namespace {
constexpr int TouchHeight = 48;

TpartyPlayRunner& Runner() {
    static TpartyPlayRunner runner;
    return runner;
}

// The window that is open now, for the queue changes of the main window.
TfrmPartyPlay2* OpenForm = nullptr;

struct TboxDef {
    const char* Name;
    const char* Caption;
    const char* Group;
    bool (TpartyPlaySettings::*Get)() const;
    void (TpartyPlaySettings::*Set)(bool);
    bool Hidden;
};

using S = TpartyPlaySettings;
// The option boxes; the keyboard box stays hidden, the track-searching and volume boxes
// show only in the product's window.
const TboxDef kBoxes[] = {
    {"cbDisableStopControl", "Disable Stop Control", "Player Control", &S::GetDisableStopControl,
     &S::SetDisableStopControl, false},
    {"cbDisablePauseControl", "Disable Pause Control", "Player Control", &S::GetDisablePauseControl,
     &S::SetDisablePauseControl, false},
    {"cbDisableNextControl", "Disable Next Control", "Player Control", &S::GetDisableNextControl,
     &S::SetDisableNextControl, false},
    {"cbDisablePlayControlShortcuts", "Disable Play Control Shortcuts", "Player Control",
     &S::GetDisablePlayControlShortcuts, &S::SetDisablePlayControlShortcuts, false},
    {"cbHidePlayControls", "Hide Play Controls", "Player Control", &S::GetHidePlayControls,
     &S::SetHidePlayControls, false},
    {"cbDisableTrackSearching", "Disable Track Searching", "Player Control", &S::GetDisableTrackSearching,
     &S::SetDisableTrackSearching, true},
    {"cbDisableVolumeChange", "Disable Volume Change", "Player Control", &S::GetDisableVolumeChanging,
     &S::SetDisableVolumeChanging, true},
    {"cbDisableApplicationClose", "Disable Application Close", "Application Function",
     &S::GetDisabledApplicationClose, &S::SetDisabledApplicationClose, false},
    {"cbDisableMinimize", "Disable Minimize", "Application Function", &S::GetDisableMinimize,
     &S::SetDisableMinimize, false},
    {"cbDisableStackerControl", "Disable Stacker Control", "Application Function",
     &S::GetDisableStackerControl, &S::SetDisableStackerControl, false},
    {"cbDisablePlaylistEditor", "Disable Playlist Editor", "Application Function",
     &S::GetDisablePlaylistEditor, &S::SetDisablePlaylistEditor, false},
    {"cbStartInPartyPlay", "Start in Party Play Mode", "Application Function", &S::GetStartInPartyPlay,
     &S::SetStartInPartyPlay, false},
    {"cbEnableCreditMode", "Enable Credit Mode", "Application Function", &S::GetEnabledCreditMode,
     &S::SetEnabledCreditMode, false},
    {"cbDisableKeyboardShortcuts", "Disable Keyboard Shortcuts", "Application Function",
     &S::GetDisableKeyboardShortcuts, &S::SetDisableKeyboardShortcuts, true},
    {"cbDisableQueueControls", "Disable All Queue Controls", "Queue Functions", &S::GetDisableQueueControls,
     &S::SetDisableQueueControls, false},
    {"cbDisableQueueAddAll", "Disable Queue Add All", "Queue Functions", &S::GetDisableQueueAddAll,
     &S::SetDisableQueueAddAll, false},
    {"cbDisableQueueMove", "Disable Move Functions", "Queue Functions", &S::GetDisableQueueMove,
     &S::SetDisableQueueMove, false},
    {"cbDisableQueueOther", "Disable Other Functions", "Queue Functions", &S::GetDisableQueueOther,
     &S::SetDisableQueueOther, false},
};

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(name);
    b->setMinimumHeight(TouchHeight);
    return b;
}
}  // namespace

void SetPartyPlayRunner(TpartyPlayRunner runner) {
    Runner() = std::move(runner);
}

TfrmPartyPlay2::TfrmPartyPlay2(const TpartyPlaySettings& settings, bool creditModeVisible,
                               TpartyPlayGuards* guards, const TaudioTagList* queue, QWidget* parent,
                               bool productBoxes)
    : QDialog(parent),
      Fworking(settings),
      Fguards(guards),
      Fqueue(queue),
      FcreditModeVisible(creditModeVisible),
      FproductBoxes(productBoxes) {
    setObjectName("frmPartyPlay2");
    setWindowTitle("Party Play Options");
    if (guards && queue) FqueuePage = std::make_unique<TpartyPlayQueuePage>(*guards, *queue);
    auto* layout = new QVBoxLayout(this);
    Fpages = new QTabWidget(this);
    Fpages->setObjectName("pcPages");
    layout->addWidget(Fpages);
    BuildOptions();
    BuildJukeboxControl();
    BuildPassword();
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = Button(this, "btnOK", "OK");
    QPushButton* cancel = Button(this, "btnCancel", "Cancel");
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // A touch window in the skin's look.
    StyleEditorDialog(*this);
    RefreshQueueList();
    OpenForm = this;
}

TfrmPartyPlay2::~TfrmPartyPlay2() {
    if (OpenForm == this) OpenForm = nullptr;
}

QCheckBox* TfrmPartyPlay2::AddBox(QWidget* page, const char* name, const char* caption, bool checked) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), page);
    box->setObjectName(name);
    box->setChecked(checked);
    box->setMinimumHeight(TouchHeight);
    return box;
}

void TfrmPartyPlay2::BuildOptions() {
    auto* page = new QWidget;
    page->setObjectName("tsOptions");
    auto* grid = new QHBoxLayout(page);
    for (const char* group : {"Player Control", "Application Function", "Queue Functions"}) {
        auto* box = new QGroupBox(group, page);
        auto* col = new QVBoxLayout(box);
        for (const auto& def : kBoxes) {
            if (std::string(def.Group) != group) continue;
            QCheckBox* cb = AddBox(box, def.Name, def.Caption, (Fworking.*def.Get)());
            const std::string name = def.Name;
            const bool productBox = name == "cbDisableTrackSearching" || name == "cbDisableVolumeChange";
            cb->setVisible((!def.Hidden || (productBox && FproductBoxes)) &&
                           (name != "cbEnableCreditMode" || FcreditModeVisible));
            col->addWidget(cb);
        }
        if (std::string(group) == "Queue Functions") {
            auto* label = new QLabel("Queue Limit (0 for no limit)", box);
            FqueueLimit = new QSpinBox(box);
            FqueueLimit->setObjectName("speQueueLimit");
            FqueueLimit->setRange(0, TpartyPlaySettings::MaxQueueLimit);
            FqueueLimit->setValue(Fworking.GetQueueLimit());
            FqueueLimit->setMinimumHeight(TouchHeight);
            col->addWidget(label);
            col->addWidget(FqueueLimit);
        }
        col->addStretch();
        grid->addWidget(box);
    }
    Fpages->addTab(page, "Options");
}

void TfrmPartyPlay2::BuildJukeboxControl() {
    auto* page = new QWidget;
    page->setObjectName("tsJukeboxControl");
    auto* row = new QHBoxLayout(page);
    FqueueList = new QListWidget(page);
    FqueueList->setObjectName("lbQueue");
    FqueueList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FqueueList->setDragDropMode(QAbstractItemView::NoDragDrop);
    row->addWidget(FqueueList, 1);
    // The commands in two columns beside the list, so the page is no taller than the
    // options page.
    auto* col = new QGridLayout;
    int cell = 0;
    FmoveTo = new QSpinBox(page);
    FmoveTo->setObjectName("speMoveTo");
    FmoveTo->setRange(1, 100);
    FmoveTo->setMinimumHeight(TouchHeight);
    auto selectedRow = [this] { return FqueueList->currentRow(); };
    auto select = [this](int r) {
        RefreshQueueList();
        if (r >= 0 && r < FqueueList->count()) FqueueList->setCurrentRow(r);
    };
    connect(FqueueList, &QListWidget::currentRowChanged, this, [this](int r) {
        if (r >= 0) FmoveTo->setValue(r + 1);
    });
    auto add = [&](const char* name, const char* caption, std::function<void()> run) {
        QPushButton* b = Button(page, name, caption);
        connect(b, &QPushButton::clicked, this, [run] { run(); });
        b->setEnabled(FqueuePage != nullptr || Fguards != nullptr);
        col->addWidget(b, cell / 2, cell % 2);
        ++cell;
    };
    add("btnMoveUp", "Move &Up", [=, this] {
        if (FqueuePage) select(FqueuePage->MoveUp(selectedRow()));
    });
    add("btnMoveDown", "Move &Down", [=, this] {
        if (FqueuePage) select(FqueuePage->MoveDown(selectedRow()));
    });
    add("btnDelete", "&Delete", [=, this] {
        if (!FqueuePage) return;
        std::set<int> rows;
        for (const auto* item : FqueueList->selectedItems()) rows.insert(FqueueList->row(item));
        FqueuePage->DeleteRows(rows);
        select(-1);
    });
    add("btnClear", "&Clear", [=, this] {
        if (FqueuePage) FqueuePage->Clear();
        select(-1);
    });
    col->addWidget(FmoveTo, cell / 2, cell % 2);
    ++cell;
    add("btnMoveTo", "Move &To", [=, this] {
        if (FqueuePage) select(FqueuePage->MoveTo(selectedRow(), FmoveTo->value()));
    });
    // The player buttons and the stacker and editor commands act without the guards.
    add("btnPlay", "&Play", [this] {
        if (Fguards) Fguards->Host().PlayerPlay();
    });
    add("btnNext", "&Next", [this] {
        if (Fguards) Fguards->Host().PlayerNext();
    });
    add("btnPause", "P&ause", [this] {
        if (Fguards) Fguards->Host().PlayerPause();
    });
    add("btnStop", "&Stop", [this] {
        if (Fguards) Fguards->Host().PlayerStop();
    });
    add("btnConfigureStacker", "Configure &Stacker", [this] {
        if (Fguards) Fguards->ShowStackerConfig(true);
    });
    add("btnPlaylistEditor", "Playlist &Editor", [this] {
        if (Fguards) Fguards->ShowPlaylistEditor(true);
    });
    add("btnStackerEnabled", "Stacker Enabled", [this] {
        if (Fguards) Fguards->ToggleStacker(true);
    });
    add("btnTogglePartyPlay", "&Enable Party Play", [this] {
        if (!Fguards) return;
        Fguards->Actions().ExecuteByName("actnPartyPlayEnabled");
        if (auto* b = findChild<QPushButton*>("btnTogglePartyPlay"))
            b->setText(Fguards->IsPartyPlayEnabled() ? "&Disable Party Play" : "&Enable Party Play");
    });
    col->setRowStretch(cell / 2 + 1, 1);
    row->addLayout(col);
    const int index = Fpages->addTab(page, "Jukebox Control");
    Fpages->setTabVisible(index, false);
}

void TfrmPartyPlay2::BuildPassword() {
    auto* page = new QWidget;
    page->setObjectName("tsPassword");
    auto* form = new QFormLayout(page);
    auto field = [&](const char* name) {
        auto* e = new QLineEdit(page);
        e->setObjectName(name);
        e->setEchoMode(QLineEdit::Password);
        e->setMinimumHeight(TouchHeight);
        return e;
    };
    Fcurrent = field("edtCurrentPassword");
    Fnew = field("edtNewPassword");
    Fconfirm = field("edtConfirmPassword");
    for (QLineEdit* e : {Fcurrent, Fnew, Fconfirm}) e->installEventFilter(this);
    FcurrentLabel = new QLabel("Current Password :", page);
    form->addRow(FcurrentLabel, Fcurrent);
    form->addRow(new QLabel("New Password :", page), Fnew);
    form->addRow(new QLabel("Confirm Password :", page), Fconfirm);
    FsetPassword = Button(page, "btnSetPassword", "");
    connect(FsetPassword, &QPushButton::clicked, this, [this] { SetPasswordClicked(); });
    form->addRow(FsetPassword);
    Fpages->addTab(page, "Password");
    ShowPassword();
}

bool TfrmPartyPlay2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && GlobalPrefs().OnScreenKeyboardsEnabled()) {
        for (auto [edit, prompt] : {std::pair{Fcurrent, "Enter the current password..."},
                                    std::pair{Fnew, "Enter the new password..."},
                                    std::pair{Fconfirm, "Enter the new password again..."}}) {
            if (edit != watched || !edit->isEnabled()) continue;
            if (const auto typed = Prompt().AskText(windowTitle().toStdString(), prompt, ""))
                edit->setText(QString::fromStdString(*typed));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmPartyPlay2::ShowPassword() {
    const bool has = Fworking.HasPassword();
    FsetPassword->setText(has ? "Change Password" : "Set Password");
    Fcurrent->clear();
    Fcurrent->setEnabled(has);
    FcurrentLabel->setEnabled(has);
    Fnew->clear();
    Fconfirm->clear();
}

void TfrmPartyPlay2::SetPasswordClicked() {
    const std::string refusal = Fworking.ChangePassword(
        Fcurrent->text().toStdString(), Fnew->text().toStdString(), Fconfirm->text().toStdString());
    if (!refusal.empty()) {
        Prompt().ShowMessage(refusal, "Invalid Password");
        return;
    }
    ShowPassword();
}

TpartyPlaySettings TfrmPartyPlay2::Settings() const {
    TpartyPlaySettings s = Fworking;
    for (const auto& def : kBoxes)
        if (const auto* cb = findChild<QCheckBox*>(def.Name)) (s.*def.Set)(cb->isChecked());
    s.SetQueueLimit(FqueueLimit->value());
    return s;
}

void TfrmPartyPlay2::RefreshQueueList() {
    if (!FqueueList) return;
    // A change of the queue while the window is open keeps the row the owner chose.
    const int current = FqueueList->currentRow();
    FqueueList->clear();
    if (!FqueuePage) return;
    for (const auto& text : FqueuePage->Rows()) FqueueList->addItem(QString::fromStdString(text));
    FmoveTo->setMaximum(std::max(1, FqueuePage->MoveToMax()));
    if (current >= 0 && current < FqueueList->count()) FqueueList->setCurrentRow(current);
}

void RefreshPartyPlayQueueList() {
    if (OpenForm) OpenForm->RefreshQueueList();
}

bool EditPartyPlaySettings(TpartyPlaySettings& settings, bool creditModeVisible, TpartyPlayGuards* guards,
                           const TaudioTagList* queue, bool productBoxes) {
    TfrmPartyPlay2 form(settings, creditModeVisible, guards, queue, nullptr, productBoxes);
    // Accepted is the OK result of every dialog (mrOk).
    const int result = Runner() ? Runner()(form) : RunModal(form);
    if (result != QDialog::Accepted) return false;
    settings = form.Settings();
    if (guards) guards->UpdateActionStates();
    return true;
}

}  // namespace tunecrest
