#pragma once
// The touch button of the whole interface. It paints one frame of a recoloured
// multi-frame skin (normal, pressed, and for check buttons checked and checked-pressed),
// optionally with a centred glyph and a word-wrapped caption. The last frame of the skin
// is a mask: only presses on its white part count, probed at the place the pressed
// pixel was drawn from, so a button answers exactly where it is drawn, stretched or not.
// A trigger button repeats its click while held, from a timer.
#include <memory>
#include <string>

#include <QFont>

#include "core/display/font_store.h"
#include "skin/apply_skin.h"
#include "skin/control_timer.h"
#include "skin/skin_parts.h"
#include "skin/skinned_control.h"

namespace tunecrest {

// Builds a stretch button's skin at `size`: each of the `frames` frames of `skin` is cut
// into 3 x 3 equal cells; corners keep their size, edges and the centre are repeated at
// the cell size, and the frames come out side by side, each `size` large.
QImage StretchButtonSkin(const QImage& skin, int frames, QSize size);

class TmySkinButton : public TskinnedControl, public TskinColorTarget {
public:
    explicit TmySkinButton(QWidget* parent = nullptr);
    ~TmySkinButton() override;

    // The held repeat waits this long before its first repeated click.
    static constexpr int kTriggerFirstDelay = 500;

    bool IsCheckButton() const { return FisCheckButton; }
    void SetIsCheckButton(bool value);
    bool Checked() const { return Fchecked; }
    // Keeps false unless the button is a check button.
    void SetChecked(bool value);
    bool Down() const { return Fdown; }
    void SetDown(bool value);
    bool Pressed() const { return Fpressed; }

    TskinColors& ButtonSkinColors() { return FbuttonColors; }
    TskinColors& OuterSkinColors() { return FouterColors; }
    void SetButtonSkinColors(const TskinColors& colors) { FbuttonColors.Assign(colors); }
    void SetOuterSkinColors(const TskinColors& colors) { FouterColors.Assign(colors); }

    bool IsStretchButton() const { return FisStretchButton; }
    void SetIsStretchButton(bool value);
    bool PanelButtonSkin() const { return FpanelButtonSkin; }
    void SetPanelButtonSkin(bool value);

    // The caption font as stored (its colour is the normal caption colour).
    const TFont& Font() const { return Ffont; }
    void SetFont(const TFont& font);
    TColor FontColor() const { return Ffont.Color; }
    void SetFontColor(TColor color);
    TColor CheckedFontColor() const { return FcheckedFontColor; }
    void SetCheckedFontColor(TColor color);
    // The caption colour of an unchecked face while the button has the focus.
    TColor HighlightFontColor() const { return FhighlightFontColor; }
    void SetHighlightFontColor(TColor color);

    const std::string& Caption() const { return Fcaption; }
    void SetCaption(const std::string& caption);
    bool ShowCaption() const { return FshowCaption; }
    void SetShowCaption(bool value);
    // Whether the caption, wrapped and made smaller as far as it may be (fitted_text.h),
    // fits inside the button.
    bool CaptionFits() const;
    int CaptionClickOffset() const { return FcaptionClickOffset; }
    void SetCaptionClickOffset(int value) { FcaptionClickOffset = value; }

    const QImage& Glyph() const { return Fglyph; }
    void SetGlyph(const QImage& glyph);
    TColor GlyphTransparentColor() const { return FglyphTransparentColor; }
    void SetGlyphTransparentColor(TColor color);

    bool WantFocus() const { return FwantFocus; }
    void SetWantFocus(bool value);
    bool IsTriggerButton() const { return FisTriggerButton; }
    void SetIsTriggerButton(bool value) { FisTriggerButton = value; }
    int TriggerDelay() const { return FtriggerDelay; }
    void SetTriggerDelay(int value) { FtriggerDelay = value < 1 ? 1 : value; }

    // Inside an update bracket: both colour sets, the font colour (the whole font when
    // `assignFont`) and the checked font colour of `other`.
    void AssignSkin(const TmySkinButton& other, bool assignFont);
    void ApplySkinColors(TColor buttonColor, TColor panelColor, TColor checkedFontColor, TColor fontColor) override;

    int FrameCount() const { return FisCheckButton && !FpanelButtonSkin ? 5 : 3; }
    int SkinWidth() const;
    int SkinHeight() const;
    // The recoloured skin painting reads (all frames side by side, mask last).
    const QImage& WorkingBitmap() const { return Fworking; }
    // True when `point` (client coordinates) lies on the white part of the mask; always
    // true without a skin or for nine-part skins.
    bool IsPointInButton(QPoint point) const;
    // The frame painting uses now.
    int CurrentFrame() const;

    // A click: a check button toggles, then OnClick. Key and held-repeat clicks come here
    // directly; a mouse release clicks only on the mask.
    void Click();
    // Ends a press without a click (release elsewhere, lost capture, hidden, disabled).
    void CancelPress();
    bool IsRepeating() const { return Frepeat.IsActive(); }

    TNotifyEvent OnClick, OnEnter, OnExit;
    TcontrolMouseEvent OnMouseDown, OnMouseUp, OnMouseMove;

protected:
    void BuildSkin() override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool event(QEvent* e) override;

private:
    TColor CaptionColor() const;
    void PaintCaption(QPainter& p, TColor color, int flags);

    TskinColors FbuttonColors, FouterColors;
    QImage Fworking;
    std::vector<QImage> Fframes;  // paintable frames, mask excluded
    QImage FscaledFrame;          // the last frame drawn at a size other than its own
    int FscaledIndex = -1;
    TskinRects Frects{};
    TFont Ffont;
    QFont FscreenFont;
    TColor FcheckedFontColor = clBlack, FhighlightFontColor = clBlack;
    std::string Fcaption;
    QImage Fglyph, FglyphPaint;
    TColor FglyphTransparentColor = clWhite;
    QPoint Flast;
    TholdRepeat Frepeat;
    int FtriggerDelay = 100;
    int FcaptionClickOffset = 0;
    bool FisCheckButton = false, Fchecked = false, Fdown = false, Fpressed = false;
    bool FisStretchButton = false, FpanelButtonSkin = false, FshowCaption = false;
    bool FwantFocus = true, FisTriggerButton = false;
};

}  // namespace tunecrest
