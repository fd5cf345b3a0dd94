#pragma once
// Text that always fits the room it is drawn in. A label given its text through
// ShowFitted keeps it whole when the text fits; otherwise its font steps down (to
// kFittedMinScale of the label's own size) until the text fits, wrapped when the label
// wraps; only a text that would not fit even then loses its end to an ellipsis. The
// label fits its text again whenever its size changes; a label that is not shown keeps its
// whole text until it shows.
#include <QString>

class QFont;
class QLabel;

namespace tunecrest {

inline constexpr double kFittedMinScale = 0.7;

// Shows `text` on `label`, fitted; the whole text stays in the label's "fullText"
// property (and its tooltip when it had to be shortened).
void ShowFitted(QLabel& label, const QString& text);
// The whole text last given to ShowFitted (the label's text when it never was).
QString FittedFullText(const QLabel& label);

// The plain rule: the largest font from `base` down to kFittedMinScale of its size in
// which `text` fits `width` x `height` (wrapped at blanks when `wrap`), and the text to
// draw (ending in an ellipsis when nothing fits).
struct TfittedText {
    QString Text;
    int PixelSize = 0;
    bool Shortened = false;
};
TfittedText FitText(const QString& text, const QFont& base, int width, int height, bool wrap);

}  // namespace tunecrest
