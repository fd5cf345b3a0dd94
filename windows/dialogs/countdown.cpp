#include "windows/dialogs/countdown.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/base/text_utils.h"
#include "skin/component_owner.h"
#include "skin/control_timer.h"
#include "skin/modal_runner.h"
#include "skin/screen_fonts.h"
#include "skin/small_dialogs.h"

namespace tunecrest {

namespace {
constexpr int kTickMs = 1000;
}

TfrmRunCountdown::TfrmRunCountdown(int totalMs, QWidget* parent)
    : TfrmPlainDialog("", parent), Ftimer(MakeControlTimer()), Ftotal(totalMs)
{
    setObjectName("frmRunCountdown");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    gbCountdown = CreateComponent<QGroupBox>(this, Body());
    gbCountdown->setObjectName("gbCountdown");
    auto* layout = new QVBoxLayout(gbCountdown);
    lblMessage = CreateComponent<QLabel>(this, gbCountdown);
    lblMessage->setObjectName("lblMessage");
    lblMessage->setWordWrap(true);
    lblTime = CreateComponent<QLabel>(this, gbCountdown);
    lblTime->setObjectName("lblTime");
    lblTime->setAlignment(Qt::AlignCenter);
    lblTime->setFont(ScreenFont(BoldArial(26)));
    lblTime->setMinimumHeight(56);
    layout->addWidget(lblMessage);
    layout->addWidget(lblTime);
    BodyLayout()->addWidget(gbCountdown);
    AddButtonSpace();
    btnRunNow = AddButton("btnRunNow", "&Run Now", mrOk);
    btnCancel = AddButton("btnCancel", "&Cancel", mrCancel);
    SetDefaultButton(btnCancel);
    SetCancelButton(btnCancel);
    Ftimer->OnTimer = [this] { Tick(); };
    resize(520, 300);
    ShowRemaining();
}

TfrmRunCountdown::~TfrmRunCountdown() { Ftimer->Stop(); }

void TfrmRunCountdown::ShowRemaining()
{
    lblTime->setText(QString::fromStdString(Format("%d seconds", (Ftotal - Felapsed) / 1000)));
}

void TfrmRunCountdown::showEvent(QShowEvent* e)
{
    ShowRemaining();
    if (!Ftimer->IsActive()) Ftimer->Start(kTickMs);
    TfrmPlainDialog::showEvent(e);
}

void TfrmRunCountdown::Tick()
{
    Felapsed += kTickMs;
    ShowRemaining();
    if (Felapsed >= Ftotal) done(mrOk);
}

void TfrmRunCountdown::done(int result)
{
    Ftimer->Stop();
    TfrmPlainDialog::done(result);
}

int RunCountdown(int totalMs, const std::string& caption, const std::string& groupCaption,
                 const std::string& message)
{
    TfrmRunCountdown form(totalMs);
    form.SetCaption(caption);
    form.gbCountdown->setTitle(QString::fromStdString(groupCaption));
    form.lblMessage->setText(QString::fromStdString(message));
    return OkCancelResult(RunModal(form));
}

}  // namespace tunecrest
