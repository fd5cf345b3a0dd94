#pragma once
// Small display controls of the skinned windows: a scrolling banner for long texts (now
// playing, messages), a digital clock display for play times, and a picture control
// that fits, stretches or tiles a picture.
#include <cstdint>
#include <memory>
#include <string>

#include <QFont>
#include <QImage>
#include <QWidget>

#include "core/display/color.h"
#include "core/display/font_store.h"
#include "core/base/event_lists.h"
#include "skin/control_timer.h"

namespace tunecrest {

// A banner that moves its text to the left, ScrollInc pixels per tick, and wraps around
// seamlessly: the text is followed by Spaces blanks and drawn twice while it crosses
// the left edge. A text narrower than the banner still travels the banner's width.
// While it stands still, a text too wide for the banner is drawn smaller (down to
// kFittedMinScale of its size), and one that does not fit even then ends in an ellipsis.
class TScrollBanner3 : public QWidget, public TObject {
public:
    explicit TScrollBanner3(QWidget* parent = nullptr);

    TColor Color() const { return Fcolor; }
    void SetColor(TColor color);
    // The base font of the markup text, as stored.
    const TFont& Font() const { return Ffont; }
    void SetFont(const TFont& font);
    const std::string& Caption() const { return Fcaption; }
    // Markup text; shows from its start (offset 0).
    void SetCaption(const std::string& caption);
    uint32_t Spaces() const { return Fspaces; }
    void SetSpaces(uint32_t spaces);
    int ScrollDelay() const { return Finterval; }
    // The tick interval; 0 stops moving and shows the text from the left.
    void SetScrollDelay(int milliseconds);
    bool ScrollEnabled() const { return FscrollEnabled; }
    void SetScrollEnabled(bool value);
    int ScrollInc() const { return FscrollInc; }
    void SetScrollInc(int pixels) { FscrollInc = pixels; }

    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();

    // The displayed text (the caption and its trailing blanks) and where it stands.
    std::string DisplayText() const;
    int Offset() const { return Foffset; }
    int TextWidth() const { return FtextWidth; }
    // One tick of the timer.
    void Tick();
    // Whether the text moves (scrolling is on and has a delay).
    bool Moving() const { return FscrollEnabled && Finterval > 0; }
    // The markup drawn while the text stands still, and the scale it is drawn at: the
    // caption at 1.0 when it fits, else smaller, else shortened with an ellipsis.
    const std::string& StillText() const { return FstillText; }
    double StillScale() const { return FstillScale; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Recalc();
    void FitStillText();
    void UpdateTimer();

    std::unique_ptr<TcontrolTimer> Ftimer;
    TFont Ffont;
    std::string Fcaption;
    TColor Fcolor = clBlack;
    uint32_t Fspaces = 0;
    int FscrollInc = 10;
    int Foffset = 0;
    int FtextWidth = 0;  // the text rectangle's right edge
    std::string FstillText;
    double FstillScale = 1.0;
    int FupdateCount = 0;
    int Finterval = 0;
    bool FscrollEnabled = false;
};

// The text of a play time: "  0:00" for 0, else a sign ("-" or a blank) and the minutes
// right-aligned in two places, a colon and two digits of seconds.
std::string DigitalDisplayText(int seconds);

// A play-time display whose digits stand in cells of equal width, so they never jump.
class TdigitalDisplay : public QWidget, public TObject {
public:
    explicit TdigitalDisplay(QWidget* parent = nullptr);
    int Seconds() const { return Fseconds; }
    void SetSeconds(int seconds);
    const std::string& Text() const { return Ftext; }
    TColor BackColor() const { return FbackColor; }
    void SetBackColor(TColor color);
    // The font as stored; the digits take its colour.
    const TFont& Font() const { return Ffont; }
    void SetFont(const TFont& font);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TFont Ffont;
    std::string Ftext = "  0:00";
    int Fseconds = 0;
    TColor FbackColor = clBlack;
};

enum TtouchBitmapStyle { tbsMaintainAspect, tbsStretch, tbsTile };
enum TtouchBitmapAlignment { tbaCenter, tbaLeftTop, tbaRightBottom };

class TtouchBitmap : public QWidget, public TObject {
public:
    explicit TtouchBitmap(QWidget* parent = nullptr);
    const QImage& Picture() const { return Fpicture; }
    void SetPicture(const QImage& picture);
    TColor Color() const { return Fcolor; }
    void SetColor(TColor color);
    TtouchBitmapStyle Style() const { return Fstyle; }
    void SetStyle(TtouchBitmapStyle style);
    TtouchBitmapAlignment Alignment() const { return Falignment; }
    void SetAlignment(TtouchBitmapAlignment value);
    TtouchBitmapAlignment VertAlignment() const { return FvertAlignment; }
    void SetVertAlignment(TtouchBitmapAlignment value);
    // Where the picture is drawn (the whole control for tiles); empty without a picture.
    QRect PictureRect() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void Changed();

    QImage Fpicture;
    QImage Fcache;  // the picture at its drawn size, made once per change
    TColor Fcolor = clBlack;
    TtouchBitmapStyle Fstyle = tbsMaintainAspect;
    TtouchBitmapAlignment Falignment = tbaCenter, FvertAlignment = tbaCenter;
};

}  // namespace tunecrest
