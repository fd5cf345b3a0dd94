#include "skin/fitted_text.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace tunecrest {

namespace {

constexpr const char* kFullText = "fullText";
constexpr const char* kBaseFont = "fittedBaseFont";

bool Fits(const QString& text, const QFont& font, int width, int height, bool wrap)
{
    const QFontMetrics metrics(font);
    if (!wrap) return metrics.horizontalAdvance(text) <= width && metrics.height() <= height;
    const QRect needed = metrics.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, text);
    return needed.width() <= width && needed.height() <= height;
}

// The lines that fit `height`, the last one ending in an ellipsis.
QString ElidedLines(const QString& text, const QFont& font, int width, int height)
{
    const QFontMetrics metrics(font);
    const int lines = std::max(1, height / std::max(1, metrics.lineSpacing()));
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList shown;
    for (int i = 0; i < lines; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        if (i == lines - 1) {
            shown << metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, width);
            break;
        }
        shown << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return shown.join('\n');
}

void Refit(QLabel& label)
{
    const QString text = FittedFullText(label);
    const QFont base = label.property(kBaseFont).value<QFont>();
    // A label not on the screen keeps its whole text until it shows.
    if (!label.isVisible()) {
        if (label.font() != base) label.setFont(base);
        if (label.text() != text) label.setText(text);
        label.setToolTip(QString());
        return;
    }
    const int margin = 2 * label.margin();
    const QRect room = label.contentsRect();
    const TfittedText fitted =
        FitText(text, base, room.width() - margin, room.height() - margin, label.wordWrap());
    QFont font = base;
    if (fitted.PixelSize > 0) font.setPixelSize(fitted.PixelSize);
    if (label.font() != font) label.setFont(font);
    if (label.text() != fitted.Text) label.setText(fitted.Text);
    label.setToolTip(fitted.Shortened ? text : QString());
}

// Fits the label's text again when its size changes or it shows.
class TrefitOnResize : public QObject {
public:
    explicit TrefitOnResize(QLabel& label) : QObject(&label), Flabel(label) { label.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Resize || e->type() == QEvent::Show) Refit(Flabel);
        return false;
    }

private:
    QLabel& Flabel;
};

}  // namespace

TfittedText FitText(const QString& text, const QFont& base, int width, int height, bool wrap)
{
    const int basePixels = QFontInfo(base).pixelSize();
    const int leastPixels = std::max(1, int(std::ceil(basePixels * kFittedMinScale)));
    TfittedText fitted{text, basePixels, false};
    if (text.isEmpty() || width <= 0 || height <= 0) return fitted;
    QFont font = base;
    for (int pixels = basePixels; pixels >= leastPixels; --pixels) {
        font.setPixelSize(pixels);
        if (Fits(text, font, width, height, wrap)) {
            fitted.PixelSize = pixels;
            return fitted;
        }
    }
    font.setPixelSize(leastPixels);
    fitted.PixelSize = leastPixels;
    fitted.Shortened = true;
    fitted.Text = wrap ? ElidedLines(text, font, width, height)
                       : QFontMetrics(font).elidedText(text, Qt::ElideRight, width);
    return fitted;
}

void ShowFitted(QLabel& label, const QString& text)
{
    if (!label.property(kBaseFont).isValid()) {
        label.setProperty(kBaseFont, label.font());
        new TrefitOnResize(label);
    }
    label.setProperty(kFullText, text);
    Refit(label);
}

QString FittedFullText(const QLabel& label)
{
    const QVariant full = label.property(kFullText);
    return full.isValid() ? full.toString() : label.text();
}

}  // namespace tunecrest
