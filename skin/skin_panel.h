#pragma once
// The skinned panel every window lays its parts on, the skinned splitter bar, and the
// multi-button: one control with up to four sub-buttons whose shapes are colours in
// the mask frame of its skin.
#include <array>
#include <cstdint>

#include <QImage>

#include "skin/apply_skin.h"
#include "skin/skin_parts.h"
#include "skin/skinned_control.h"

namespace tunecrest {

// A control painted as one recoloured nine-part skin (panel, splitter).
class TnineSkinControl : public TskinnedControl {
public:
    explicit TnineSkinControl(QWidget* parent = nullptr);

    TskinColors& SkinColors() { return Fcolors; }
    void SetSkinColors(const TskinColors& colors) { Fcolors.Assign(colors); }
    bool StretchDraw() const { return FstretchDraw; }
    void SetStretchDraw(bool value);
    bool DefaultStretchDraw() const { return FdefaultStretchDraw; }
    void SetDefaultStretchDraw(bool value) { FdefaultStretchDraw = value; }
    const TskinRects& Rects() const { return Frects; }
    const QImage& WorkingBitmap() const { return Fworking; }
    // The natural size of the skin; the control's size without a skin.
    int SkinWidth() const;
    int SkinHeight() const;
    // Paints the skin into (left, top)-(right, bottom) of another painter.
    void DrawSkinPart(QPainter& p, int left, int top, int right, int bottom) const;

protected:
    void BuildSkin() override;
    void paintEvent(QPaintEvent* e) override;

private:
    TskinColors Fcolors;
    QImage Fworking, Fpaintable;
    TskinRects Frects{};
    bool FstretchDraw = false, FdefaultStretchDraw = false;
};

class TmySkinPanel : public TnineSkinControl, public TskinColorTarget {
public:
    explicit TmySkinPanel(QWidget* parent = nullptr);
    // The area inside the skin's border, where child controls go.
    TskinRect GetMiddleRect() const;
    // The panel colour as Color1, the button colour as Color2.
    void ApplySkinColors(TColor buttonColor, TColor panelColor, TColor checkedFontColor, TColor fontColor) override;
};

// A splitter bar: dragging it resizes the control before it (`SetControl`), keeping at
// least MinSize pixels.
class TmySkinSplitter : public TnineSkinControl, public TskinColorTarget {
public:
    explicit TmySkinSplitter(QWidget* parent = nullptr);
    void SetControl(QWidget* control, Qt::Orientation orientation);
    int MinSize() const { return FminSize; }
    void SetMinSize(int value) { FminSize = value < 0 ? 0 : value; }
    void ApplySkinColors(TColor buttonColor, TColor panelColor, TColor checkedFontColor, TColor fontColor) override;
    TNotifyEvent OnMoved;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QWidget* Fcontrol = nullptr;
    Qt::Orientation Forientation = Qt::Horizontal;
    int FminSize = 30;
    int FpressAt = -1;
    int FstartSize = 0;
};

enum TmySkinMultiButtons { mbButton1 = 0, mbButton2, mbButton3, mbButton4 };
// A set of sub-buttons: bit i for sub-button i.
using TmySkinMultiButtonState = uint8_t;
constexpr TmySkinMultiButtonState MultiButtonBit(int i) { return TmySkinMultiButtonState(1u << i); }

class TmySkinMultiButton : public TskinnedControl, public TskinColorTarget {
public:
    explicit TmySkinMultiButton(QWidget* parent = nullptr);

    TskinColors& ButtonSkinColors() { return FbuttonColors; }
    TskinColors& OuterSkinColors() { return FouterColors; }
    TmySkinMultiButtonState State() const { return Fstate; }
    void SetState(TmySkinMultiButtonState state);
    // Makes `index` (0 to 3) the one selected sub-button.
    void SelectButton(int index);
    bool WantFocus() const { return FwantFocus; }
    void SetWantFocus(bool value);
    int Pressed() const { return Fpressed; }
    int LastClicked() const { return FlastClicked; }
    // The sub-button whose mask colour is under `point` (drawn unscaled), or -1.
    int SubButtonAt(QPoint point) const;
    int SkinWidth() const;
    int SkinHeight() const;
    const QImage& WorkingBitmap() const { return Fworking; }
    void ApplySkinColors(TColor buttonColor, TColor panelColor, TColor checkedFontColor, TColor fontColor) override;

    TNotifyEvent OnClick;
    TcontrolMouseEvent OnMouseDown, OnMouseUp;

protected:
    void BuildSkin() override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void Click();

    TskinColors FbuttonColors, FouterColors;
    QImage Fworking, Fnormal;
    // Per sub-button: the pressed and the selected frame limited to its mask colour.
    std::array<QImage, 4> FpressedLayer, FselectedLayer;
    TmySkinMultiButtonState Fstate = 0;
    int Fpressed = -1;
    int FlastClicked = -1;
    bool FwantFocus = true;
};

}  // namespace tunecrest
