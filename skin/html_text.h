#pragma once
// Drawing and measuring of markup text (see core/display/markup_text.h for the language). A line
// is cut into runs, each run drawn in its own font; runs of different sizes share one
// baseline. Lines break at blanks when wrapping is asked for; drawing is clipped to the
// rectangle.
#include <QFont>
#include <QFontMetricsF>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/display/markup_text.h"

class QPainter;

namespace tunecrest {

class ThtmlTextLayout {
  public:
    // Lays `markup` out in `base`. With `wrap` and maxWidth > 0, lines break at blanks so
    // that they fit; a word wider than maxWidth stands on a line of its own.
    void Layout(std::string_view markup, const TFont& base, int maxWidth = 0, bool wrap = false);

    int Width() const;  // the widest line, in pixels (rounded up)
    int Height() const;
    int LineCount() const { return int(Flines.size()); }
    // The runs of line `line` as text, "|" between runs (for tests and diagnostics).
    QString LineText(int line) const;

    // Draws the laid-out text clipped to `rect`. Flags: Qt::AlignHCenter or Qt::AlignRight
    // place each line (a line wider than the rectangle starts at its left); Qt::AlignVCenter
    // or Qt::AlignBottom place the block. forceColor draws every run in `color`.
    void Draw(QPainter& painter, const QRect& rect, int flags = 0, bool forceColor = false,
              TColor color = clBlack) const;

  private:
    struct TfontEntry {
        TFont Spec;
        QFont Font;
        QFontMetricsF Metrics;
    };
    struct Tpiece {
        QString Text;
        int FontIndex;
        int Line;
        qreal X;
    };
    struct Tline {
        qreal Width = 0, Ascent = 0, Descent = 0;
    };
    int FontIndexOf(const TFont& font);
    void AddRun(std::string_view text, const TFont& font);
    void NewLine();
    // Takes off the last line the start of a word that the next run goes on with; none
    // when the line ends with a blank; nullopt when that word fills the line from its start.
    std::optional<std::vector<Tpiece>> TakeUnfinishedWord();

    std::vector<TfontEntry> Ffonts;  // kept between layouts: a small cache of screen fonts
    std::vector<Tpiece> Fpieces;
    std::vector<Tline> Flines;
    TmarkupParser Fparser;
    int FbaseFont = 0;
    int FmaxWidth = 0;
    bool Fwrap = false;
};

// Draws one markup line (or block) into `rect` in `font` (the canvas font) and returns
// the width of the text. The painter's state is kept.
int DrawHTMLText(QPainter& painter, std::string_view text, const QRect& rect, const TFont& font,
                 int flags = 0, bool forceColor = false, TColor color = clBlack);
// The size the text takes; with maxWidth > 0 and wrap, wrapped to that width.
QSize MeasureHTMLText(std::string_view text, const TFont& font, int maxWidth = 0, bool wrap = false);
// `text` shortened at its end so that it and a trailing ellipsis ("…") fit `maxWidth` on
// one line: cut between letters, never inside a tag, an entity or a letter's bytes, and
// with the blanks before the ellipsis taken off. A text that fits is returned whole.
std::string ElideHTMLText(std::string_view text, const TFont& font, int maxWidth);
// Whether a text too wide for one line of `rect` fits it wrapped (a list row tall enough
// for two lines shows a long name whole that way); the flag to draw it with.
int WrapFlagToFit(std::string_view text, const TFont& font, const QRect& rect);

}  // namespace tunecrest
