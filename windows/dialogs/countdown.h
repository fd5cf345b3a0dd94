#pragma once
// The countdown dialog: lets a person skip a scheduled action (a media scan asked for by
// another program) within a time limit. It counts the remaining seconds down once a
// second and runs the action when the time is up; "Cancel" is the default button, so a
// stray Enter skips rather than runs.
#include <memory>
#include <string>

#include "windows/dialogs/dialog_form.h"

class QGroupBox;
class QLabel;

namespace tunecrest {

class TcontrolTimer;

class TfrmRunCountdown : public TfrmPlainDialog {
public:
    explicit TfrmRunCountdown(int totalMs, QWidget* parent = nullptr);
    ~TfrmRunCountdown() override;

    int Elapsed() const { return Felapsed; }
    // Adds one interval; closes with 1 when the total is reached.
    void Tick();
    // Closing stops the count.
    void done(int result) override;

    QGroupBox* gbCountdown;
    QLabel* lblTime;
    QLabel* lblMessage;
    TmySkinButton* btnRunNow;
    TmySkinButton* btnCancel;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void ShowRemaining();

    std::unique_ptr<TcontrolTimer> Ftimer;
    int Ftotal;
    int Felapsed = 0;
};

// 1 when the time ran out or "Run Now" was pressed, 2 for "Cancel" (or any other close).
int RunCountdown(int totalMs, const std::string& caption, const std::string& groupCaption,
                 const std::string& message);

}  // namespace tunecrest
