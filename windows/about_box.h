#pragma once
// The about box, which is also the progress window of start-up and of long list work.
// Callers report through four operations (BeginProgress, SetStatusText, SetProgress,
// EndProgress); two counters keep nested and overlapping users safe (progress_counters.h).
// While SetProgress lets the screen repaint, a person's input reaches only the controls
// registered as live, so nobody acts on half-built lists.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include "core/display/color.h"
#include "windows/progress_counters.h"

class QLabel;
class QProgressBar;

namespace tunecrest {

class TmySkinForm;
class TcontrolTimer;

enum TversionStyle { vsMjMnRlBd, vsMjMnBd, vsMjMn, vsMjBd, vsFormatMjMnRlBd };

// One line of credits text after its tag part was read.
struct TcreditsLine {
    std::string Text;
    std::string Hyperlink;
    QFont Font;
    TColor Color = clBlack;
    int Justify = 0;  // 0 left, 1 centre, 2 right
};
// Reads one line: "[FN:Arial;FS:12;FP:B;J:1]Text". A line of at least 2 characters that
// starts with "[" and holds "]" has a tag part; otherwise the whole line is text in
// `font` and `color`. "%V%" becomes `version`, "%A%" `title`.
TcreditsLine ParseCreditsLine(const std::string& line, const QFont& font, TColor color, const std::string& version,
                              const std::string& title);

// Scrolling credits: the lines run upwards as an endless loop over a background picture.
class TmyCredits : public QWidget {
public:
    explicit TmyCredits(QWidget* parent = nullptr);
    ~TmyCredits() override;

    void SetLines(const std::vector<std::string>& lines);
    const std::vector<TcreditsLine>& Layout() const { return Flaid; }
    int TotalHeight() const { return FtotalHeight; }
    int Offset() const { return Foffset; }
    void SetBackImage(const QImage& image);
    void SetBackColor(TColor color);
    int ScrollSpeed() const { return FscrollSpeed; }
    void SetScrollSpeed(int ms);
    bool ScrollEnabled() const { return FscrollEnabled; }
    void SetScrollEnabled(bool value);
    TColor HyperlinkColor = 0xFF0000;
    TversionStyle VersionStyle = vsMjMnRlBd;
    // The text "%V%" stands for; empty: the program's own version in VersionStyle.
    std::string Version;
    std::string Title = "Tunecrest Audio System";
    // One scroll step (the timer's).
    void Step();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    void Relayout();
    int LineAt(QPoint p) const;

    std::vector<std::string> Flines;
    std::vector<TcreditsLine> Flaid;
    std::vector<QRect> Frects;
    QImage FbackImage;
    TColor FbackColor = clWhite;
    std::unique_ptr<TcontrolTimer> Ftimer;
    int FtotalHeight = 0, Foffset = 0, FscrollSpeed = 20;
    bool FscrollEnabled = true, Fpaused = false;
};

// The program's version in a style: "1.2.3.4" (vsMjMnRlBd), "1.2.4" (vsMjMnBd), "1.2"
// (vsMjMn), "1.4" (vsMjBd), "1.2 (Release 3, Build 4)" (vsFormatMjMnRlBd); empty when the
// program carries no version.
std::string ProgramVersionText(TversionStyle style);

// The progress background: every colour byte v becomes round(v + (255 - v) x 0.65),
// then a one-pixel frame, $404040 on the left and top, $A0A0A0 on the right and bottom.
QImage WashOutPicture(const QImage& picture);

class TfrmAbout2 : public QWidget {
public:
    explicit TfrmAbout2(QWidget* parent = nullptr);
    ~TfrmAbout2() override;

    // The four progress operations.
    void BeginProgress(const std::string& text);
    void SetStatusText(const std::string& text);
    // Updates the gauge, then lets the screen repaint with input held back: at the first
    // step and the last, and otherwise at most every kProgressRepaintInterval; steps in
    // between are passed over (a list of a million tracks reports a hundred thousand steps,
    // and moving the gauge and repainting at each held the load up).
    void SetProgress(int position, int maximum);
    static constexpr std::chrono::milliseconds kProgressRepaintInterval{30};
    void EndProgress();
    void ShowSplash();
    void CloseSplash();
    void ForceClose();
    // As the about box: credits scrolling over the picture; a click or Escape closes it.
    void ShowAbout();

    // Controls that stay usable while a progress operation repaints (a Stop button).
    void AddLiveControl(QWidget* control);

    const TprogressCounters& Counters() const { return Fcounters; }
    bool ProgressVisible() const;
    bool CreditsVisible() const;
    int GaugePosition() const;
    int GaugeMaximum() const;
    std::string StatusText() const;

    TmySkinForm* skinImage;
    TmyCredits* credits;
    QWidget* pnlProgress;
    QLabel* imgWashout;
    QLabel* lblProgress;
    QLabel* lblMessage;
    QProgressBar* Guage;
    QLabel* lblDiagProgress;
    QLabel* lblDiagShow;
    QLabel* lblDiagClose;

protected:
    // The product's picture and credits lines.
    virtual QImage SkinPicture() const;
    virtual std::vector<std::string> CreditsLines() const;
    void Setup();
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void ShowProgressPanel();
    void UpdateDiagnostics();

    TprogressCounters Fcounters;
    std::vector<QPointer<QWidget>> Flive;
    QRect FprogressRect;
    std::chrono::steady_clock::time_point FlastRepaint{};  // of a progress step; none yet: the epoch
};

class TfrmTunecrestAbout2 : public TfrmAbout2 {
public:
    explicit TfrmTunecrestAbout2(QWidget* parent = nullptr);

protected:
    QImage SkinPicture() const override;
    std::vector<std::string> CreditsLines() const override;
};

// Begins a progress operation on `window` (when there is one) and ends it when the scope
// ends, also by an exception.
class TprogressScope {
public:
    TprogressScope(TfrmAbout2* window, const std::string& text) : Fwindow(window)
    {
        if (Fwindow) Fwindow->BeginProgress(text);
    }
    ~TprogressScope()
    {
        if (Fwindow) Fwindow->EndProgress();
    }
    TprogressScope(const TprogressScope&) = delete;
    TprogressScope& operator=(const TprogressScope&) = delete;

private:
    QPointer<TfrmAbout2> Fwindow;
};

}  // namespace tunecrest
