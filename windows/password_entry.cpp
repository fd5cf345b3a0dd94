#include "windows/password_entry.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "core/jukebox/global_prefs.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"
#include "skin/apply_skin.h"
#include "skin/component_owner.h"
#include "skin/modal_runner.h"
#include "skin/qt_color.h"
#include "skin/screen_fonts.h"
#include "skin/skin_button.h"
#include "skin/small_dialogs.h"

namespace tunecrest {

namespace {
constexpr int kTopHeight = 64, kCaptionHeight = 40, kButtonHeight = 48;

// The throttle's clock: the program's clock in milliseconds (tests set it).
int64_t NowMs() { return std::llround(Now() * 86400000.0); }

}  // namespace

TentryVerdict JudgeEntry(const std::string& expected, const std::string& entry, bool allowBlank)
{
    if (expected.empty()) return entry.empty() && !allowBlank ? TentryVerdict::Blank : TentryVerdict::Accept;
    if (PasswordMatches(expected, entry)) return TentryVerdict::Accept;
    return entry.empty() ? TentryVerdict::Blank : TentryVerdict::Incorrect;
}

TfrmPassword2::TfrmPassword2(QWidget* parent) : TkeyboardableForm(parent)
{
    setObjectName("frmPassword2");
    setWindowTitle("Enter Password");
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(true);
    pnlCaption = CreateComponent<QLabel>(this, this);
    pnlCaption->setObjectName("pnlCaption");
    pnlCaption->setAlignment(Qt::AlignCenter);
    pnlCaption->setAutoFillBackground(true);
    pnlCaption->setFont(ScreenFont(BoldArial(14)));
    pnlTop = CreateComponent<QWidget>(this, this);
    pnlTop->setObjectName("pnlTop");
    edPassword = CreateComponent<QLineEdit>(this, pnlTop);
    edPassword->setObjectName("edPassword");
    edPassword->installEventFilter(this);
    btnOK = MakeDialogButton(this, pnlTop, "btnOK", "OK", 14);
    btnCancel = MakeDialogButton(this, pnlTop, "btnCancel", "Cancel", 14);
    btnOK->OnClick = [this](TObject*) { OkPressed(); };
    btnCancel->OnClick = [this](TObject*) { done(mrCancel); };
    pnlKeyboard = CreateComponent<QWidget>(this, this);
    pnlKeyboard->setObjectName("pnlKeyboard");
    FwaitTimer = new QTimer(this);
    FwaitTimer->setInterval(250);
    connect(FwaitTimer, &QTimer::timeout, this, [this] { ShowWait(); });
    Recolour(FormSkinColors());
    btnOK->SetupFinished();
    btnCancel->SetupFinished();
}

void TfrmPassword2::Recolour(const TformSkinColors& colors)
{
    ApplySkinToControls(*this, colors.ColorA, colors.ColorB, DarkenColor(colors.ColorA, 30), colors.CaptionFontColor);
    QPalette palette = pnlCaption->palette();
    palette.setColor(QPalette::Window, ToQColor(colors.ColorB));
    // The prompt is drawn in the inverse of its background.
    palette.setColor(QPalette::WindowText, ToQColor(~colors.ColorB & 0xFFFFFF));
    pnlCaption->setPalette(palette);
    // The buttons wear the keyboard's key skin and glyph bitmap.
    SkinKeyboard(Keyboard(), colors.ColorA, colors.ColorB, colors.CaptionFontColor);
    DressAsKeys({btnOK, btnCancel}, colors.CaptionFontColor);
    FlastColors = colors;
    FcoloursUsed = true;
}

void TfrmPassword2::Prepare(const std::string& prompt)
{
    SetKeyboardVisible(GlobalPrefs().OnScreenKeyboardsEnabled());
    Fprompt = prompt;
    pnlCaption->setText(QString::fromStdString(prompt));
    const TformSkinColors colors = FormSkinColors();
    if (!FcoloursUsed || !(colors == FlastColors)) Recolour(colors);
}

void TfrmPassword2::SetExpectedPassword(const std::string& password, bool masked, bool allowBlank)
{
    Fexpected = password;
    FallowBlank = allowBlank;
    edPassword->setEchoMode(masked || !password.empty() ? QLineEdit::Password : QLineEdit::Normal);
    edPassword->clear();
    ShowWait();
}

int64_t TfrmPassword2::WaitLeft() const { return Fexpected.empty() ? 0 : Fthrottle.WaitLeft(NowMs()); }

void TfrmPassword2::ShowWait()
{
    const int64_t left = WaitLeft();
    btnOK->setEnabled(left == 0);
    if (left == 0) {
        FwaitTimer->stop();
        pnlCaption->setText(QString::fromStdString(Fprompt));
        return;
    }
    const int64_t seconds = (left + 999) / 1000;
    pnlCaption->setText(QString("Too many wrong tries: wait %1 s").arg(seconds));
    if (!FwaitTimer->isActive()) FwaitTimer->start();
}

void TfrmPassword2::FocusEntry()
{
    // A message box closing hands the focus back to whichever window the system picks;
    // typing goes on in this edit, not in a window behind it.
    if (isVisible()) {
        raise();
        activateWindow();
    }
    edPassword->setFocus(Qt::OtherFocusReason);
}

void TfrmPassword2::OkPressed()
{
    if (WaitLeft() > 0) return;
    const std::string entry = edPassword->text().toStdString();
    switch (JudgeEntry(Fexpected, entry, FallowBlank)) {
        case TentryVerdict::Accept:
            if (!Fexpected.empty()) Fthrottle.Succeeded();
            done(mrOk);
            return;
        case TentryVerdict::Incorrect:
            Fthrottle.Failed(NowMs());
            Prompt().ShowMessage("The password is incorrect.", "Invalid Password");
            break;
        case TentryVerdict::Blank: Prompt().ShowMessage("You must enter something!", "Blank Entry"); break;
    }
    edPassword->clear();
    ShowWait();
    FocusEntry();
}

void TfrmPassword2::ShowKeyboard(bool visible)
{
    ShowKeyboardIn(*this, *pnlKeyboard, visible);
    if (visible) return;
    edPassword->setFont(font());
    resize(300, kTopHeight + kCaptionHeight);
    LayOut();
}

void TfrmPassword2::PlaceKeyboard()
{
    TfrmKeyboard& keyboard = Keyboard();
    const int keyboardHeight = KeyboardVisible() ? keyboard.KeyboardHeight() : 0;
    const int width = std::max(keyboard.KeyboardWidth() + 4, 300);
    resize(width, keyboardHeight + kButtonHeight + 4 + kCaptionHeight + (kTopHeight - kButtonHeight - 4));
    TFont font = BoldArial(std::max(9, keyboard.KeyFontSize()));
    font.Bold = false;
    edPassword->setFont(ScreenFont(font));
    LayOut();
}

void TfrmPassword2::LayOut()
{
    pnlCaption->setGeometry(0, 0, width(), kCaptionHeight);
    pnlTop->setGeometry(0, kCaptionHeight, width(), kTopHeight);
    // Wide enough for either caption in the keys' font.
    const QFontMetrics captions(ScreenFont(btnCancel->Font()));
    const int okWidth = std::max({int(std::lround(1.5 * std::max(kButtonHeight, 50))),
                                  captions.horizontalAdvance(QString::fromStdString(btnOK->Caption())) + 24,
                                  captions.horizontalAdvance(QString::fromStdString(btnCancel->Caption())) + 24});
    btnCancel->setGeometry(width() - okWidth - 2, (kTopHeight - kButtonHeight) / 2, okWidth, kButtonHeight);
    btnOK->setGeometry(btnCancel->x() - okWidth - 2, btnCancel->y(), okWidth, kButtonHeight);
    const int editHeight = std::max(kButtonHeight, std::min(kTopHeight - 8, edPassword->sizeHint().height() + 8));
    edPassword->setGeometry(4, (kTopHeight - editHeight) / 2, std::max(40, btnOK->x() - 8), editHeight);
    const int top = kCaptionHeight + kTopHeight;
    pnlKeyboard->setGeometry(2, top, width() - 4, std::max(0, height() - top));
    if (TfrmKeyboard* keyboard = ExistingKeyboard(); keyboard && pnlKeyboard->isAncestorOf(keyboard))
        keyboard->move(0, pnlKeyboard->height() - keyboard->height());
}

void TfrmPassword2::KeyPressed(int key) { ApplyKeyToEdit(*edPassword, key); }

void TfrmPassword2::keyPressEvent(QKeyEvent* e)
{
    // Enter acts on release, as the OK button does; only a release whose press came to
    // this window counts (not the end of the key that opened it). Escape cancels.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (!e->isAutoRepeat()) FenterDown = true;
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        done(mrCancel);
        return;
    }
    TkeyboardableForm::keyPressEvent(e);
}

bool TfrmPassword2::EnterReleased(QKeyEvent* e)
{
    if ((e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) || e->isAutoRepeat()) return false;
    if (FenterDown) {
        FenterDown = false;
        OkPressed();
    }
    return true;
}

void TfrmPassword2::keyReleaseEvent(QKeyEvent* e)
{
    if (EnterReleased(e)) return;
    TkeyboardableForm::keyReleaseEvent(e);
}

bool TfrmPassword2::eventFilter(QObject* watched, QEvent* event)
{
    // A key release is not handed on from the edit to its window, so the release of
    // Enter typed into the edit is caught here.
    if (watched == edPassword && event->type() == QEvent::KeyRelease)
        return EnterReleased(static_cast<QKeyEvent*>(event));
    // A dialog that opens gives its edit the focus as a tab would, and an edit so reached
    // shows its text all selected. Keys add to the caller's text at its end, so the edit
    // takes that focus as plain focus and shows nothing that looks about to be replaced.
    if (watched == edPassword && event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
            QCoreApplication::sendEvent(edPassword, &plain);
            return true;
        }
    }
    return TkeyboardableForm::eventFilter(watched, event);
}

void TfrmPassword2::showEvent(QShowEvent* e)
{
    FenterDown = false;
    // The entry was set (emptied, or given the caller's text) before the window shows.
    edPassword->end(false);
    edPassword->setFocus();
    TkeyboardableForm::showEvent(e);
    if (isWindow()) activateWindow();
}

void TfrmPassword2::resizeEvent(QResizeEvent* e)
{
    TkeyboardableForm::resizeEvent(e);
    LayOut();
    if (isWindow())
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move((screen->size().width() - width()) / 2, (screen->size().height() - height()) / 2);
}

TfrmPassword2& Password2()
{
    static QPointer<TfrmPassword2> window;
    if (!window) {
        window = new TfrmPassword2();
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { delete window.data(); });
    }
    return *window;
}

namespace {
// Runs the entry over the window that asked for it: the entry is that window's transient,
// so the window manager keeps the asking dialog (a settings page, the party-play
// options) above the full-screen main window while the entry shows, and the asking
// window has the focus again when it closes.
int RunOverCaller(TfrmPassword2& window)
{
    QWidget* caller = QApplication::activeModalWidget();
    if (!caller || caller == &window) caller = QApplication::activeWindow();
    if (caller == &window) caller = nullptr;
    QPointer<QWidget> asking = caller ? caller->window() : nullptr;
    window.winId();
    if (QWindow* handle = window.windowHandle())
        handle->setTransientParent(asking && asking->windowHandle() ? asking->windowHandle() : nullptr);
    const int result = RunModal(window);
    if (QWindow* handle = window.windowHandle()) handle->setTransientParent(nullptr);
    if (asking && asking->isVisible()) {
        asking->raise();
        asking->activateWindow();
    }
    return result;
}
}  // namespace

bool CheckPassword(const std::string& password, const std::string& prompt)
{
    if (password.empty()) return true;
    TfrmPassword2& window = Password2();
    window.Prepare(prompt);
    window.SetExpectedPassword(password, true);
    return IsOk(RunOverCaller(window));
}

bool InputString(std::string& text, const std::string& prompt, bool allowBlank, bool masked)
{
    TfrmPassword2& window = Password2();
    window.Prepare(prompt);
    window.SetExpectedPassword("", masked, allowBlank);
    window.edPassword->setText(QString::fromStdString(text));
    const bool ok = IsOk(RunOverCaller(window));
    text = window.edPassword->text().toStdString();
    return ok;
}

}  // namespace tunecrest
