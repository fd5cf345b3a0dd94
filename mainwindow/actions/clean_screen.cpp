#include "mainwindow/actions/clean_screen.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "core/display/color.h"
#include "core/display/font_store.h"
#include "skin/screen_fonts.h"

namespace tunecrest {

namespace {
constexpr int kTickMs = 100;

int64_t SteadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

int CleanScreenSecondsShown(int64_t totalMs, int64_t elapsedMs) {
    return int((totalMs - elapsedMs) / 1000 + 1);
}

TcleanScreenWindow::TcleanScreenWindow(int seconds, Tclock clock)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      Fclock(clock ? std::move(clock) : Tclock(SteadyNowMs)) {
    setObjectName("frmCleanScreen");
    setAttribute(Qt::WA_DeleteOnClose, false);
    Ftotal = int64_t(std::max(seconds, 1)) * 1000;
    Fstart = Fclock();
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    Fpanel = new QLabel(this);
    Fpanel->setObjectName("pnlCleanScreen");
    Fpanel->setAlignment(Qt::AlignCenter);
    TFont font;
    font.Name = "arial";
    font.Size = 100;
    font.Bold = true;
    font.Color = clWhite;
    Fpanel->setFont(ScreenFont(font));
    Fpanel->setPalette(pal);
    box->addWidget(Fpanel);
    Fpanel->setText(QString::number(CleanScreenSecondsShown(Ftotal, 0)));
    Fticker.setInterval(kTickMs);
    QObject::connect(&Fticker, &QTimer::timeout, this, [this] { Tick(); });
    Fticker.start();
}

QString TcleanScreenWindow::Text() const { return Fpanel->text(); }

void TcleanScreenWindow::Tick() {
    if (Ffinished) return;
    const int64_t elapsed = Fclock() - Fstart;
    if (elapsed > Ftotal) {
        Ffinished = true;
        Fticker.stop();
        close();
        if (OnFinished) OnFinished();
        return;
    }
    const QString text = QString::number(CleanScreenSecondsShown(Ftotal, elapsed));
    if (Fpanel->text() != text) Fpanel->setText(text);
}

// Wiping the screen touches it everywhere: nothing reaches the jukebox underneath.
void TcleanScreenWindow::mousePressEvent(QMouseEvent* event) { event->accept(); }
void TcleanScreenWindow::keyPressEvent(QKeyEvent* event) { event->accept(); }

}  // namespace tunecrest
