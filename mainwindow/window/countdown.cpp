#include "mainwindow/window/countdown.h"

#include <QFontMetrics>
#include <QLabel>
#include <algorithm>
#include <chrono>

#include "mainwindow/window/dialog_entries.h"
#include "skin/modal_runner.h"
#include "skin/skin_button.h"
#include "skin/small_dialogs.h"

namespace tunecrest {

namespace {
int64_t SteadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

TcountdownTimer::TcountdownTimer(int totalMs, Tclock clock)
    : Fclock(clock ? std::move(clock) : Tclock(SteadyNowMs)), Fend(Fclock() + std::max(totalMs, 0)) {}

int TcountdownTimer::SecondsLeft() const {
    const int64_t left = Fend - Fclock();
    return left <= 0 ? 0 : int((left + 999) / 1000);
}

TcountdownPanel::TcountdownPanel(QWidget* owner, int totalMs, const std::string& caption,
                                 const std::string& groupCaption, const std::string& message,
                                 TcountdownTimer::Tclock clock, std::function<void(int)> done)
    : Ftimer(totalMs, std::move(clock)),
      FgroupCaption(groupCaption),
      Fmessage(message),
      Fdone(std::move(done)),
      Fform(std::make_unique<TfrmSkinnedOKCancel>(owner)) {
    Fform->setObjectName("frmRunCountdown");
    Fform->setWindowTitle(QString::fromStdString(caption));
    // Captions first: the template's font is shrunk where a caption would not fit.
    Fform->btnOK->SetCaption("Run Now");
    Fform->btnCancel->SetCaption("Cancel");
    if (const TmySkinButton* look = SkinTemplateButton()) Fform->UseTemplate(*look);
    // Wide enough for the message at the template's font, with the buttons below it.
    const int width = 640;
    const QFontMetrics metrics(Fform->lblCaption->font());
    const int textHeight =
        metrics
            .boundingRect(QRect(0, 0, width - 50, 10000), Qt::TextWordWrap, QString::fromStdString(Text(15)))
            .height();
    Fform->resize(width, std::max(Fform->height(), textHeight + 110));
    Fform->PlaceButtons();
    // Buttons and keys end the form through done(); its result is the answer. It is shown
    // without a modal loop, so the jukebox keeps playing and painting meanwhile.
    QObject::connect(Fform.get(), &QDialog::finished, this,
                     [this](int result) { Finish(result == mrOk ? kCountdownRun : kCountdownCancel); });
    Fticker.setInterval(200);
    QObject::connect(&Fticker, &QTimer::timeout, this, [this] { Tick(); });
    Tick();
    if (!Ffinished) {
        Fform->show();
        Fticker.start();
    }
}

TcountdownPanel::~TcountdownPanel() {
    Ffinished = true;  // closing the form below answers nothing
    Fticker.stop();
}

std::string TcountdownPanel::Text(int seconds) const {
    return FgroupCaption + "\n\n" + Fmessage + " " + std::to_string(seconds) + " seconds";
}

void TcountdownPanel::Tick() {
    if (Ffinished) return;
    const int left = Ftimer.SecondsLeft();
    if (left != Fshown) {
        Fshown = left;
        Fform->SetText(Text(left));
    }
    if (left == 0) Finish(kCountdownRun);
}

void TcountdownPanel::Finish(int result) {
    if (Ffinished) return;
    Ffinished = true;
    Fticker.stop();
    Fform->hide();
    if (auto done = std::move(Fdone)) done(result);
}

void TdialogEntries::StartCountdown(QWidget* owner, int totalMs, const std::string& caption,
                                    const std::string& groupCaption, const std::string& message,
                                    std::function<void(int)> done) {
    // A newer request replaces one still counting; the older one counts as cancelled.
    if (Fcountdown) Fcountdown->Cancel();
    Fcountdown.reset();
    Fcountdown = std::make_shared<TcountdownPanel>(owner, totalMs, caption, groupCaption, message,
                                                   CountdownClock, std::move(done));
}

}  // namespace tunecrest
