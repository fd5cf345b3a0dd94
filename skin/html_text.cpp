#include "skin/html_text.h"

#include <QPainter>
#include <cmath>
#include <optional>

#include "skin/screen_fonts.h"

namespace tunecrest {

namespace {
const QString kEllipsis = QStringLiteral("\u2026");
}  // namespace

namespace {

// Screen fonts kept by one layout; past this many distinct fonts the cache starts over.
constexpr size_t kMaxCachedFonts = 32;

ThtmlTextLayout& SharedLayout() {
    thread_local ThtmlTextLayout layout;
    return layout;
}

}  // namespace

int ThtmlTextLayout::FontIndexOf(const TFont& font) {
    for (size_t i = 0; i < Ffonts.size(); ++i)
        if (Ffonts[i].Spec == font) return int(i);
    // A full cache is started over only before a text (Layout); within one text every
    // index handed out, the base font's too, must stay valid, so it grows instead.
    const QFont screen = ScreenFont(font);
    Ffonts.push_back({font, screen, QFontMetricsF(screen)});
    return int(Ffonts.size()) - 1;
}

void ThtmlTextLayout::NewLine() {
    Tline line;
    const TfontEntry& base = Ffonts[size_t(FbaseFont)];
    line.Ascent = base.Metrics.ascent();
    line.Descent = base.Metrics.descent();
    Flines.push_back(line);
}

void ThtmlTextLayout::AddRun(std::string_view text, const TFont& font) {
    const int index = FontIndexOf(font);
    const TfontEntry& entry = Ffonts[size_t(index)];
    const QString run = QString::fromUtf8(text.data(), qsizetype(text.size()));
    auto place = [&](const QString& piece, qreal width) {
        Tline& line = Flines.back();
        Fpieces.push_back({piece, index, int(Flines.size()) - 1, line.Width});
        line.Width += width;
        line.Ascent = std::max(line.Ascent, entry.Metrics.ascent());
        line.Descent = std::max(line.Descent, entry.Metrics.descent());
    };
    if (!Fwrap || FmaxWidth <= 0) {
        place(run, entry.Metrics.horizontalAdvance(run));
        return;
    }
    // Words with their following blanks; a line break drops the blanks at its start.
    qsizetype pos = 0;
    const qsizetype n = run.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && run[end] != u' ') ++end;
        const qsizetype wordEnd = end;
        while (end < n && run[end] == u' ') ++end;
        QString word = run.mid(pos, end - pos);
        const qreal inkWidth = entry.Metrics.horizontalAdvance(run.mid(pos, wordEnd - pos));
        if (Flines.back().Width > 0 && Flines.back().Width + inkWidth > FmaxWidth) {
            // A word begun in an earlier run ("[" before a duration in its own font)
            // moves to the new line whole.
            std::optional<std::vector<Tpiece>> carried = TakeUnfinishedWord();
            if (!carried) {  // one word from the line's start: it stays whole, over the edge
                place(word, entry.Metrics.horizontalAdvance(word));
                pos = end;
                continue;
            }
            NewLine();
            for (Tpiece& piece : *carried) {
                const TfontEntry& owner = Ffonts[size_t(piece.FontIndex)];
                Tline& line = Flines.back();
                piece.Line = int(Flines.size()) - 1;
                piece.X = line.Width;
                line.Width += owner.Metrics.horizontalAdvance(piece.Text);
                line.Ascent = std::max(line.Ascent, owner.Metrics.ascent());
                line.Descent = std::max(line.Descent, owner.Metrics.descent());
                Fpieces.push_back(std::move(piece));
            }
            if (wordEnd == pos) {  // only blanks: nothing to carry to the new line
                pos = end;
                continue;
            }
        }
        place(word, entry.Metrics.horizontalAdvance(word));
        pos = end;
    }
}

std::optional<std::vector<ThtmlTextLayout::Tpiece>> ThtmlTextLayout::TakeUnfinishedWord() {
    // The pieces at the end of the last line that no blank ends, back to the blank the
    // word starts after (none when the line ends with a blank); nothing at all when the
    // word fills the line from its start.
    const int line = int(Flines.size()) - 1;
    size_t first = Fpieces.size();
    qsizetype split = -1;  // where the word starts inside Fpieces[first - 1], if it does
    while (first > 0 && Fpieces[first - 1].Line == line) {
        const QString& text = Fpieces[first - 1].Text;
        if (text.isEmpty() || text.endsWith(u' ')) break;
        const qsizetype blank = text.lastIndexOf(u' ');
        if (blank >= 0) {
            split = blank + 1;
            break;
        }
        --first;
    }
    if (first == Fpieces.size() && split < 0) return std::vector<Tpiece>{};
    std::vector<Tpiece> taken;
    if (split >= 0) {
        Tpiece& head = Fpieces[first - 1];
        taken.push_back({head.Text.mid(split), head.FontIndex, head.Line, 0});
        head.Text.truncate(split);
    } else if (first == 0 || Fpieces[first - 1].Line != line) {
        return std::nullopt;
    }
    for (size_t i = first; i < Fpieces.size(); ++i) taken.push_back(std::move(Fpieces[i]));
    Fpieces.resize(first);
    // The line is as wide as what stays on it.
    Tline& rest = Flines.back();
    rest.Width = 0;
    for (const Tpiece& piece : Fpieces)
        if (piece.Line == line)
            rest.Width = piece.X + Ffonts[size_t(piece.FontIndex)].Metrics.horizontalAdvance(piece.Text);
    return taken;
}

void ThtmlTextLayout::Layout(std::string_view markup, const TFont& base, int maxWidth, bool wrap) {
    Fpieces.clear();
    Flines.clear();
    FmaxWidth = maxWidth;
    Fwrap = wrap;
    if (Ffonts.size() >= kMaxCachedFonts) Ffonts.clear();
    FbaseFont = FontIndexOf(base);
    NewLine();
    Fparser.Parse(markup, base, [this](std::string_view text, const TFont& font) { AddRun(text, font); });
}

int ThtmlTextLayout::Width() const {
    qreal w = 0;
    for (const Tline& line : Flines) w = std::max(w, line.Width);
    return int(std::ceil(w));
}

int ThtmlTextLayout::Height() const {
    qreal h = 0;
    for (const Tline& line : Flines) h += line.Ascent + line.Descent;
    return int(std::ceil(h));
}

QString ThtmlTextLayout::LineText(int line) const {
    QString s;
    bool first = true;
    for (const Tpiece& piece : Fpieces) {
        if (piece.Line != line) continue;
        if (!first) s += u'|';
        s += piece.Text;
        first = false;
    }
    return s;
}

void ThtmlTextLayout::Draw(QPainter& painter, const QRect& rect, int flags, bool forceColor,
                           TColor color) const {
    if (Flines.empty() || rect.isEmpty()) return;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    qreal top = rect.top();
    if (flags & (Qt::AlignVCenter | Qt::AlignBottom)) {
        const qreal spare = rect.height() - Height();
        top += (flags & Qt::AlignBottom) ? spare : std::floor(spare / 2);
    }
    const QColor forced = ScreenColor(color);
    int lastFont = -1;
    std::vector<qreal> baselines(Flines.size()), starts(Flines.size());
    for (size_t i = 0; i < Flines.size(); ++i) {
        const Tline& line = Flines[i];
        baselines[i] = std::round(top + line.Ascent);
        top += line.Ascent + line.Descent;
        qreal spare = rect.width() - line.Width;
        if (spare < 0) spare = 0;
        starts[i] = rect.left() + ((flags & Qt::AlignRight)     ? spare
                                   : (flags & Qt::AlignHCenter) ? std::floor(spare / 2)
                                                                : 0);
    }
    // A line wider than the rectangle is not cut off mid-letter: it ends in an ellipsis
    // where the room ends, in the font of the run it stops in.
    const qreal room = rect.width();
    std::vector<bool> ended(Flines.size(), false);
    for (const Tpiece& piece : Fpieces) {
        const size_t line = size_t(piece.Line);
        if (ended[line]) continue;
        const TfontEntry& entry = Ffonts[size_t(piece.FontIndex)];
        QString text = piece.Text;
        if (Flines[line].Width > room &&
            piece.X + entry.Metrics.horizontalAdvance(text) > room - entry.Metrics.horizontalAdvance(kEllipsis)) {
            // Letters come off the end until the ellipsis fits after them.
            const qreal ellipsis = entry.Metrics.horizontalAdvance(kEllipsis);
            while (!text.isEmpty() && piece.X + entry.Metrics.horizontalAdvance(text) + ellipsis > room) text.chop(1);
            while (text.endsWith(QLatin1Char(' '))) text.chop(1);
            text += kEllipsis;
            ended[line] = true;
        }
        if (piece.FontIndex != lastFont) {
            painter.setFont(entry.Font);
            painter.setPen(forceColor ? forced : ScreenColor(entry.Spec.Color));
            lastFont = piece.FontIndex;
        }
        painter.drawText(QPointF(starts[line] + piece.X, baselines[line]), text);
    }
    painter.restore();
}

int DrawHTMLText(QPainter& painter, std::string_view text, const QRect& rect, const TFont& font, int flags,
                 bool forceColor, TColor color) {
    ThtmlTextLayout& layout = SharedLayout();
    layout.Layout(text, font, rect.width(), (flags & Qt::TextWordWrap) != 0);
    layout.Draw(painter, rect, flags, forceColor, color);
    return layout.Width();
}

int WrapFlagToFit(std::string_view text, const TFont& font, const QRect& rect) {
    ThtmlTextLayout& layout = SharedLayout();
    layout.Layout(text, font);
    if (layout.Width() <= rect.width()) return 0;
    layout.Layout(text, font, rect.width(), true);
    return layout.Width() <= rect.width() && layout.Height() <= rect.height() ? int(Qt::TextWordWrap) : 0;
}

QSize MeasureHTMLText(std::string_view text, const TFont& font, int maxWidth, bool wrap) {
    ThtmlTextLayout& layout = SharedLayout();
    layout.Layout(text, font, maxWidth, wrap);
    return {layout.Width(), layout.Height()};
}

std::string ElideHTMLText(std::string_view text, const TFont& font, int maxWidth) {
    ThtmlTextLayout& layout = SharedLayout();
    layout.Layout(text, font);
    if (layout.Width() <= maxWidth) return std::string(text);
    // The places a cut may fall: after each letter outside the tags (a "<" with a later
    // ">" is passed whole, as is an entity).
    std::vector<size_t> cuts;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '<') {
            const size_t close = text.find('>', i);
            if (close != std::string_view::npos) {
                i = close + 1;
                continue;
            }
        }
        if (text[i] == '&') {
            const size_t end = text.find(';', i);
            if (end != std::string_view::npos && end - i <= 4) {
                const std::string_view entity = text.substr(i, end - i + 1);
                if (entity == "&lt;" || entity == "&gt;" || entity == "&amp;") {
                    i = end + 1;
                    cuts.push_back(i);
                    continue;
                }
            }
        }
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
        cuts.push_back(i);
    }
    auto withEllipsis = [&](size_t count) {
        std::string shown(text.substr(0, count ? cuts[count - 1] : 0));
        while (!shown.empty() && shown.back() == ' ') shown.pop_back();
        return shown + "\u2026";
    };
    // The most letters that still fit with the ellipsis.
    size_t low = 0, high = cuts.size();
    while (low < high) {
        const size_t mid = (low + high + 1) / 2;
        layout.Layout(withEllipsis(mid), font);
        if (layout.Width() <= maxWidth)
            low = mid;
        else
            high = mid - 1;
    }
    return withEllipsis(low);
}

}  // namespace tunecrest
