// The main window's controls: keys and the credit keys, touch actions under party play,
// the party-play settings, the status line, full screen and which buttons show.
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QTimer>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/base/services.h"
#include "core/jukebox/party_play_credits.h"
#include "mainwindow/main_form.h"
#include "mainwindow/party_play_form.h"
#include "skin/skin_button.h"

namespace tunecrest {

bool TfrmBaseJukebox::ShortcutKeyPressed(QKeyEvent* event) {
    // Keys go to the action table, which runs hidden actions too while their shortcut
    // switch allows it. Media keys take the multimedia-command road.
    if (HandleMediaKey(event->key())) {
        event->accept();
        return true;
    }
    const QString key = QKeySequence(event->keyCombination()).toString(QKeySequence::PortableText);
    if (!key.isEmpty() && Factions->ExecuteShortcut(key.toStdString())) {
        event->accept();
        return true;
    }
    return false;
}

void TfrmBaseJukebox::keyPressEvent(QKeyEvent* event) {
    if (!ShortcutKeyPressed(event)) QWidget::keyPressEvent(event);
}

bool TfrmBaseJukebox::CreditKeyReleased(QKeyEvent* event) {
    if (event->isAutoRepeat()) return false;
    if (!Fguards->IsCreditMode()) {
        if (Fguards->Credits() != 0) Fguards->SetCredits(0);
        return false;
    }
    if ((event->modifiers() & Qt::KeypadModifier) != 0) {
        const int key = event->key();
        std::optional<int> credits;
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            credits = CreditsAfterKey(Fguards->Credits(), TcreditKey::ckDigit, key - Qt::Key_0);
        else if (key == Qt::Key_Plus)
            credits = CreditsAfterKey(Fguards->Credits(), TcreditKey::ckPlus);
        else if (key == Qt::Key_Minus)
            credits = CreditsAfterKey(Fguards->Credits(), TcreditKey::ckMinus);
        else if (key == Qt::Key_Period || key == Qt::Key_Comma || key == Qt::Key_Delete)
            credits = CreditsAfterKey(Fguards->Credits(), TcreditKey::ckDecimal);
        if (credits) {
            Fguards->SetCredits(*credits);
            return true;
        }
    }
    return false;
}

bool TfrmBaseJukebox::RunAction(const std::string& name) {
    return Factions->ExecuteByName(name, TactionRoad::arRun);
}

std::vector<TmyWndProcAction*> TfrmBaseJukebox::MessageActions() {
    std::vector<TmyWndProcAction*> list;
    for (const auto& a : FmessageActions) list.push_back(a.get());
    return list;
}

void TfrmBaseJukebox::ShowPlaylistEditorWindow() { Fdialogs->ShowPlaylistEditor(); }

void TfrmBaseJukebox::ShowStackerConfigWindow() { Fdialogs->ShowStackerList(); }

void TfrmBaseJukebox::Minimize() { showMinimized(); }

bool TfrmBaseJukebox::IsFullScreen() const { return (windowState() & Qt::WindowFullScreen) != 0; }

void TfrmBaseJukebox::SetFullScreen(bool on) {
    // The stored choice is the person's own; the full screen party play forces is not.
    if (!Fguards->IsPartyPlayEnabled()) Fsettings.FullScreen = on;
    const bool was = IsFullScreen();
    // A locked size holds the window outside full screen only.
    if (on) ApplySizeLock(false);
    setWindowState(on ? (windowState() | Qt::WindowFullScreen) : (windowState() & ~Qt::WindowFullScreen));
    if (!on && was) {
        PlaceNormalBounds();
        // The window manager may answer the state change after this; the bounds are
        // placed once more when it has.
        QTimer::singleShot(100, this, [this] { PlaceNormalBounds(); });
    }
    if (!on) ApplySizeLock(Fsettings.GeometryLock);
}

void TfrmBaseJukebox::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || FformClosed) return;
    if (Fguards->IsPartyPlayEnabled() && FpartyPlay.GetDisableMinimize())
        QTimer::singleShot(0, this, [this] { UndoMinimize(); });
}

void TfrmBaseJukebox::UndoMinimize() {
    // Guests must not reach the desktop behind the jukebox: the window comes back at once,
    // full screen as party play keeps it, and on top of the others.
    if (!isMinimized() || FformClosed || !Fguards->IsPartyPlayEnabled() || !FpartyPlay.GetDisableMinimize())
        return;
    Qt::WindowStates state = windowState() & ~Qt::WindowMinimized;
    if (FullScreenAllowed()) state |= Qt::WindowFullScreen;
    setWindowState(state);
    show();
    raise();
    activateWindow();
}

void TfrmBaseJukebox::SetPlayControlsVisible(bool visible) {
    // Only the play buttons go: the panel also holds the party-play button (the owner's
    // way out by touch), the timer and the volume button.
    FplayControlsShown = visible;
    ApplyButtonVisibility();
}

void TfrmBaseJukebox::ApplyButtonVisibility() {
    if (!Flayout) return;
    static const std::set<std::string> kPlayButtons = {"btnPlay", "btnStop", "btnNext", "btnPause"};
    static const std::set<std::string> kQueueButtons = {"btnQueueUp", "btnQueueDown", "btnQueueDelete"};
    // The layout's optional buttons, each shown by its view option (party play takes the
    // back button away); the back button is a play control too.
    Flayout->QueueCDButton->setVisible(FviewOptions.QueueCDButton);
    Flayout->SearchButton->setVisible(FviewOptions.SearchButton);
    Flayout->BackButton->setVisible(FviewOptions.BackButton && FplayControlsShown);
    // The actions whose visibility party play decides; the others keep their buttons.
    static const std::set<std::string> kGuarded = {
        "actnQueueAddAll",  "actnControlStop",  "actnControlNext",    "actnControlPause",
        "actnQueueDelete",  "actnQueueClear",   "actnQueueRandomize", "actnQueueLoop",
        "actnQueueMoveTop", "actnQueueMoveUp",  "actnQueueMoveDown"};
    for (TmySkinButton* b : Flayout->Buttons) {
        const std::string name = b->objectName().toStdString();
        const std::string action = b->property("action").toString().toStdString();
        // The other buttons (browse modes, volume, menu) are the layout's own to show.
        if (!kGuarded.count(action) && !kPlayButtons.count(name) && !kQueueButtons.count(name)) continue;
        bool visible = true;
        if (kGuarded.count(action)) visible = Factions->Get(action).Visible;
        if (kPlayButtons.count(name)) visible = visible && FplayControlsShown;
        if (kQueueButtons.count(name)) visible = visible && FqueueControlsShown;
        b->setVisible(visible);
    }
}

void TfrmBaseJukebox::TouchAction(const std::string& name) {
    const int refusals = Fguards->Refusals();
    const bool ran = RunAction(name);
    if (Fguards->IsPartyPlayEnabled() && (!ran || Fguards->Refusals() != refusals))
        ShowStatus("Not available in Party Play Mode");
}

void TfrmBaseJukebox::ShowPartyPlaySettings() {
    TaudioTagList* queue = Flist ? &Flist->Jukebox()->Queue() : nullptr;
    if (!EditPartyPlaySettings(FpartyPlay, HasCreditModeSwitch(), Fguards.get(), queue, FpartyPlayProductBoxes))
        return;
    // What the owner set up holds from now on, also after a power cut.
    FsettingsStore->MarkChanged();
    WriteDisplaySettings();
}

void TfrmBaseJukebox::ShowStatus(const std::string& text) {
    if (FstatusLine) FstatusLine->setText(QString::fromStdString(text));
    ShowStatusMessage(text);
}

void TfrmBaseJukebox::ShowCredits(int credits) {
    if (Flayout) Flayout->ShowCredits(credits, Fguards->IsCreditMode());
}

bool TfrmBaseJukebox::CheckPassword(const std::string& prompt, const std::string& password) {
    return Prompt().CheckPassword(password, prompt);
}

}  // namespace tunecrest
