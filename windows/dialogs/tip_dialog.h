#pragma once
// Tip of the day: one usage hint at a time with "Next Tip", and the switch that says
// whether tips show at start-up. TmyTipDialog carries the tips, the tip to show and the
// switch; Execute builds the form each time, and afterwards holds the tip shown last.
#include <string>
#include <vector>

#include <QImage>

#include "core/display/font_store.h"
#include "windows/dialogs/dialog_form.h"

class QCheckBox;
class QLabel;

namespace tunecrest {

class TmyTipDialogForm : public TfrmPlainDialog {
public:
    explicit TmyTipDialogForm(QWidget* parent = nullptr);

    // Takes a copy of the tips (one entry "No Tips Available!" when empty) and the index
    // (0 when out of range), and shows that tip.
    void SetTips(const std::vector<std::string>& tips, int index);
    int Index() const { return Findex; }
    const std::vector<std::string>& Tips() const { return Ftips; }
    // The next tip, wrapping to the first after the last.
    void NextTip();

    QLabel* imgPicture;
    QLabel* lblTitle;
    QLabel* lblTip;
    QCheckBox* cbShowAtStart;
    TmySkinButton* btnNextTip;
    TmySkinButton* btnClose;

private:
    void ShowTip();

    std::vector<std::string> Ftips;
    int Findex = 0;
};

class TmyTipDialog {
public:
    std::vector<std::string> Tips;
    int TipNo() const { return FtipNo; }
    // A negative number, or one not below the number of tips, is stored as 0.
    void SetTipNo(int value);
    bool ShowAtStart = true;
    std::string TitleLabel = "Did you know...";
    TFont TitleFont{"Arial", clWindowText, 16, true};
    QImage Image;

    // Shows the form; afterwards ShowAtStart holds the check box and TipNo the tip shown
    // last. Always True.
    bool Execute();

private:
    int FtipNo = 0;
};

// The program's tips, with `name` (the application title) put in where they name it.
void GetTipTexts(std::vector<std::string>& tips, const std::string& name);

// The light bulb the tip dialog shows, drawn in code.
QImage DefaultTipImage(int size = 64);

}  // namespace tunecrest
