#pragma once
// The button the forms, dialogs and the on-screen keyboard are built from. It has the
// interface of the skinned touch button (caption, glyph, skin bitmap recoloured with a
// face and a surroundings colour set, focus wish, click and mouse-up events), so the
// forms only use names that button has.
#include <string>

#include <QFont>
#include <QImage>
#include <QWidget>

#include "core/event_lists.h"
#include "skin/apply_skin.h"
#include "skin/skin_colors.h"

class QMouseEvent;

namespace tunecrest {

using TformMouseEvent = std::function<void(TObject* Sender, QMouseEvent* Event)>;

class TformButton : public QWidget, public TObject, public TskinColorTarget {
public:
    explicit TformButton(QWidget* parent = nullptr);

    // A three-frame skin (normal, pressed, mask), recoloured before painting.
    const QImage& SkinBitmap() const { return Fskin; }
    void SetSkinBitmap(const QImage& bitmap);
    TskinColors& ButtonSkinColors() { return FbuttonColors; }
    TskinColors& OuterSkinColors() { return FouterColors; }
    void SetIsStretchButton(bool value) { FisStretchButton = value; update(); }
    const std::string& Caption() const { return Fcaption; }
    void SetCaption(const std::string& caption);
    void SetShowCaption(bool value);
    const QFont& Font() const { return Ffont; }
    void SetFont(const QFont& font);
    TColor FontColor() const { return FfontColor; }
    void SetFontColor(TColor color);
    void SetCheckedFontColor(TColor color) { FcheckedFontColor = color; }
    const QImage& Glyph() const { return Fglyph; }
    void SetGlyph(const QImage& glyph);
    void SetGlyphTransparentColor(TColor color) { FglyphTransparentColor = color; update(); }
    bool WantFocus() const { return FwantFocus; }
    void SetWantFocus(bool value);
    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();
    void SetupFinished() { FsetUp = true; Rebuild(); }

    // Both colour sets, the font colours and (with `assignFont`) the font of `other`.
    void AssignSkin(const TformButton& other, bool assignFont);
    void ApplySkinColors(TColor buttonColor, TColor panelColor, TColor checkedFontColor, TColor fontColor) override;
    void Click();

    TNotifyEvent OnClick;
    TformMouseEvent OnMouseUp;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Rebuild();

    QImage Fskin, Fworking, Fglyph;
    TskinColors FbuttonColors, FouterColors;
    QFont Ffont;
    TColor FfontColor = clBlack, FcheckedFontColor = clBlack, FglyphTransparentColor = clWhite;
    std::string Fcaption;
    int FupdateCount = 0;
    bool FshowCaption = false, FisStretchButton = false, FwantFocus = true, Fpressed = false, FsetUp = true;
};

}  // namespace tunecrest
