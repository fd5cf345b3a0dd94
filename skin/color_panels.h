#pragma once
// Panels whose bevels are shaded from their own colour (for colour and sample-text
// previews in the settings windows), the variant that also shows a picture, a plain
// panel, and the colour combo box.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QComboBox>
#include <QFont>
#include <QImage>
#include <QWidget>

#include "core/display/color.h"
#include "core/base/event_lists.h"
#include "core/display/font_store.h"
#include "skin/apply_skin.h"

namespace tunecrest {

// Each channel c becomes c + round((255 - c) * amount / 255), at most 255.
TColor LighterBy(TColor color, int amount);
// Each channel c becomes c - (c * amount) div 256.
TColor DarkerBy(TColor color, int amount);

// Bilinear resampling of `source` into `target` (both Format_BGR888 with positive sizes,
// else nothing happens) in fixed point with 15 fraction bits. The right and lower
// neighbours of the last column and row are that column and row themselves.
void ResampleBilinear(const QImage& source, QImage& target);

enum TbevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TpanelAlignment { taLeftJustify, taRightJustify, taCenter };
// Vertical placement of a panel's caption and picture (the touch list has its own kind).
enum TpanelVerticalAlignment { tvaCenter, tvaTop, tvaBottom };

class TcustomColorPanel : public QWidget, public TObject {
public:
    explicit TcustomColorPanel(QWidget* parent = nullptr);

    TColor Color() const { return Fcolor; }
    void SetColor(TColor color);
    // The caption font as stored (with its colour).
    const TFont& Font() const { return Ffont; }
    void SetFont(const TFont& font);
    const std::string& Caption() const { return Fcaption; }
    void SetCaption(const std::string& caption);
    TbevelCut BevelInner() const { return FbevelInner; }
    void SetBevelInner(TbevelCut value);
    TbevelCut BevelOuter() const { return FbevelOuter; }
    void SetBevelOuter(TbevelCut value);
    int BevelWidth() const { return FbevelWidth; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return FborderWidth; }
    void SetBorderWidth(int value);
    TpanelAlignment Alignment() const { return Falignment; }
    void SetAlignment(TpanelAlignment value);
    TpanelVerticalAlignment VerticalAlignment() const { return FverticalAlignment; }
    void SetVerticalAlignment(TpanelVerticalAlignment value);

    // (outer bevel ? BevelWidth : 0) + (inner bevel ? BevelWidth : 0) + BorderWidth.
    int TotalBorder() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    // Fill, both bevels; then the picture of a picture panel; then the caption.
    void PaintPanel(QPainter& p);
    virtual void PaintContent(QPainter& p);
    void PaintCaption(QPainter& p, bool clearBackground);
    virtual void Changed() { update(); }

private:
    void PaintBevel(QPainter& p, const QRect& r, TbevelCut cut) const;

    TFont Ffont;
    std::string Fcaption;
    TColor Fcolor = clSilver;
    TbevelCut FbevelInner = bvNone, FbevelOuter = bvRaised;
    int FbevelWidth = 1, FborderWidth = 0;
    TpanelAlignment Falignment = taCenter;
    TpanelVerticalAlignment FverticalAlignment = tvaCenter;
};

enum TimageDrawStyle { idsNormal, idsScale, idsStretch };

class TimageColorPanel : public TcustomColorPanel {
public:
    explicit TimageColorPanel(QWidget* parent = nullptr);

    const QImage& Image() const { return Fimage; }
    // Rebuilds the drawn picture, repaints and fires OnImageChanged.
    void SetImage(const QImage& image);
    bool DrawCaption() const { return FdrawCaption; }
    void SetDrawCaption(bool value);
    bool TransparentCaption() const { return FtransparentCaption; }
    void SetTransparentCaption(bool value);
    TimageDrawStyle ImageDrawStyle() const { return Fstyle; }
    void SetImageDrawStyle(TimageDrawStyle style);
    int ScaleImageWidth() const { return FscaleWidth; }
    void SetScaleImageWidth(int value);
    int ScaleImageHeight() const { return FscaleHeight; }
    void SetScaleImageHeight(int value);
    TpanelAlignment ImageHorizontalAlignment() const { return FimageAlignment; }
    void SetImageHorizontalAlignment(TpanelAlignment value);
    TpanelVerticalAlignment ImageVerticalAlignment() const { return FimageVerticalAlignment; }
    void SetImageVerticalAlignment(TpanelVerticalAlignment value);

    // The size the picture is drawn at, and where.
    QSize DrawnSize() const;
    QRect ImageRect() const;
    // The picture at its drawn size on the panel colour (Format_BGR888).
    const QImage& Cache() const { return Fcache; }

    TNotifyEvent OnImageChanged;

protected:
    void PaintContent(QPainter& p) override;
    void Changed() override;

private:
    void RebuildCache();

    QImage Fimage, Fcache, Fpaintable;
    TColor FcacheColor = -1;  // no cache yet
    TimageDrawStyle Fstyle = idsNormal;
    int FscaleWidth = 0, FscaleHeight = 0;
    TpanelAlignment FimageAlignment = taCenter;
    TpanelVerticalAlignment FimageVerticalAlignment = tvaCenter;
    bool FdrawCaption = true, FtransparentCaption = true;
};

// A plain panel: its colour, a one-pixel raised frame and a centred caption; with
// ParentBackground the parent shows through instead of the colour.
class TmyPanel : public TcustomColorPanel, public TskinColorTarget {
public:
    explicit TmyPanel(QWidget* parent = nullptr);
    bool ParentBackground() const { return FparentBackground; }
    void SetParentBackground(bool value);
    void ApplySkinColors(TColor buttonColor, TColor panelColor, TColor checkedFontColor, TColor fontColor) override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    bool FparentBackground = false;
};

// Options of the colour combo.
using TmyJvColorComboOptions = unsigned;
constexpr TmyJvColorComboOptions coText = 1, coHex = 2, coRGB = 4, coSysColors = 8, coCustomColors = 16,
                                 coHTML = 32;

using TmyJvNewColorEvent = std::function<void(TObject* Sender, TColor Color, std::string& DisplayName, bool& AllowAdd)>;
using TmyJvGetColorNameEvent = std::function<void(TObject* Sender, int Index, TColor Color, std::string& DisplayName)>;
// Asks the user for a colour, starting at `initial`; nullopt when cancelled.
using TcolorDialogCall = std::function<std::optional<TColor>(QWidget* parent, TColor initial)>;

// The colour dialog the combo opens (QColorDialog unless a test installed its own).
// Returns the previous call; an empty function restores QColorDialog.
TcolorDialogCall SetColorDialogCall(TcolorDialogCall call);
// Asks for a colour through that dialog; nullopt when cancelled.
std::optional<TColor> AskColorValue(QWidget* parent, TColor initial);

// The identifier of a colour: its standard or system colour name ("clBlack",
// "clBtnFace", "clMoneyGreen"), else its "$" hex form.
std::string ColorIdent(TColor color);

class TmyJvColorComboBox : public QComboBox, public TObject {
public:
    explicit TmyJvColorComboBox(QWidget* parent = nullptr);

    // Lines "identifier=display name".
    const std::vector<std::string>& ColorNameMap() const { return FnameMap; }
    void SetColorNameMap(const std::vector<std::string>& lines);
    TColor ColorValue() const { return FcolorValue; }
    // Selects the colour, adding it as a custom colour when it is not listed yet.
    void SetColorValue(TColor color);
    const std::string& ColorDialogText() const { return FdialogText; }
    void SetColorDialogText(const std::string& text);
    int ColorWidth() const { return FcolorWidth; }
    void SetColorWidth(int value);
    const std::string& NewColorText() const { return FnewColorText; }
    void SetNewColorText(const std::string& text) { FnewColorText = text; }
    TmyJvColorComboOptions Options() const { return Foptions; }
    void SetOptions(TmyJvColorComboOptions options);
    int DroppedDownWidth() const;
    void SetDroppedDownWidth(int value);
    TColor HiliteColor() const { return FhiliteColor; }
    void SetHiliteColor(TColor color) { FhiliteColor = color; }
    TColor HiliteText() const { return FhiliteText; }
    void SetHiliteText(TColor color) { FhiliteText = color; }

    int CustomCount() const { return FcustomCount; }
    // Refills the list (standard, system when asked, custom colours, the dialog entry).
    void BuildList();
    // Adds a custom colour (before the dialog entry), as OnNewColor allows or, without
    // it, when the colour is not listed yet. Returns whether it was added.
    bool AddColor(TColor color, const std::string& displayName);
    int IndexOfColor(TColor color) const;
    bool IsDialogEntry(int index) const;
    TColor ColorAt(int index) const;
    // The name an entry shows: OnGetDisplayName, else the name map, else the identifier.
    std::string DisplayNameOf(int index, TColor color) const;
    // The text a row shows by the options (empty: swatch only).
    std::string RowText(int index) const;
    // What choosing an entry does (the dialog entry opens the colour dialog).
    void ChooseEntry(int index);
    // The drop-down's row height: the font's text height + 1, at least 9, and at least
    // the minimum set here (a finger's reach on a touch screen).
    int RowHeight() const;
    void SetMinRowHeight(int value);

    TmyJvNewColorEvent OnNewColor, OnInsertColor;
    TmyJvGetColorNameEvent OnGetDisplayName;
    TNotifyEvent OnBeforeCustom, OnClick;

protected:
    void changeEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void AddEntry(TColor color, bool dialog);

    std::vector<std::string> FnameMap;
    std::vector<TColor> Fcustom;
    std::string FdialogText = "Custom...";
    std::string FnewColorText = "Custom";
    TColor FcolorValue = clBlack;
    TColor FhiliteColor, FhiliteText;
    TmyJvColorComboOptions Foptions = coText;
    int FcolorWidth = 21;
    int FminRowHeight = 9;
    int FcustomCount = 0;
    bool FinDialog = false;
};

}  // namespace tunecrest
