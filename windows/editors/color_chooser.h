#pragma once
// The colour chooser of the touch screen ("Select Color"): swatches a finger can hit,
// the red, green and blue of the colour on sliders, and a preview with its "#RRGGBB"
// form, in the skin's colours. It stands in for the desktop's colour dialog, whose small
// swatches and labels in the desktop's own colours do not suit the jukebox's screen.
#include <QDialog>
#include <optional>
#include <vector>

#include "core/display/color.h"

class QLabel;
class QPushButton;
class QSlider;

namespace tunecrest {

class TfrmSelectColor : public QDialog {
public:
    explicit TfrmSelectColor(TColor initial, QWidget* parent = nullptr);

    TColor Color() const { return Fcolor; }
    // Shows `color` on the sliders and in the preview.
    void SetColor(TColor color);

    std::vector<QPushButton*> Swatches;  // "btnSwatch0" ... in rows of eight
    QSlider *sbRed, *sbGreen, *sbBlue;
    QLabel* pnlPreview;
    QPushButton *btnOK, *btnCancel;

private:
    void SlidersMoved();

    TColor Fcolor = clBlack;
    bool Fsetting = false;
};

// The colours of the swatches, in rows of eight (blue in the high byte, as stored).
const std::vector<TColor>& ChooserSwatchColors();

// Asks for a colour starting from `initial`; nullopt when cancelled.
std::optional<TColor> ChooseColor(QWidget* parent, TColor initial);

}  // namespace tunecrest
