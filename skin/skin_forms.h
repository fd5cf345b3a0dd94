#pragma once
// The bases of the secondary windows: TfrmBaseSkinForm (borderless, filled by a skinned
// panel, recoloured whenever the skin changes, optionally resized by dragging its
// edges) and TmySkinForm (a control that gives its window the shape of a bitmap).
#include <QDialog>
#include <QImage>
#include <QRegion>

#include "core/display/color.h"

namespace tunecrest {

// The skin colours the forms take: colour A for buttons and text, colour B for panels,
// and the caption font colour of the dialogs.
struct TformSkinColors {
    TColor ColorA = 0xA86D4A;
    TColor ColorB = 0x754939;
    TColor CaptionFontColor = clWhite;
    bool operator==(const TformSkinColors&) const = default;
};
// The skin colours of the preferences: those of the preferences' skin button when one
// is set, else the ones last set here (the shipped default until then).
TformSkinColors FormSkinColors();
// Stores the colours and runs the preferences' change notice, so open forms recolour.
void SetFormSkinColors(const TformSkinColors& colors);

// The name of the panel picture in the preferences' bitmap store (after the keyboard's
// key and backspace glyph): the panel filling every skinned form wears it.
inline constexpr const char* kFormPanelPictureName = "FormPanel";
// That picture, or a null image when the store has none.
QImage FormPanelPicture();

// Dresses a window that is not a TfrmBaseSkinForm as one: a panel wearing the skin's
// panel picture (or the panel colour) fills it behind its controls, follows its size and
// is recoloured whenever the skin changes. A second call does nothing.
void WearFormPanel(QWidget& window);

// Which edge of a form a point is on, for resizing by dragging the edges.
enum class TformEdge { None, Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };
// `dx`, `dy` from the form's left and top: a 10-pixel border, corners first.
TformEdge FormEdgeAt(int dx, int dy, int width, int height);
Qt::CursorShape EdgeCursor(TformEdge edge);
Qt::Edges EdgeToQtEdges(TformEdge edge);

class TfrmBaseSkinForm : public QDialog {
public:
    explicit TfrmBaseSkinForm(QWidget* parent = nullptr);
    ~TfrmBaseSkinForm() override;

    // The panel filling the form; the form's controls sit on it.
    QWidget* Panel() const { return FfrmBaseSkinForm; }
    bool Sizeable() const { return Fsizeable; }
    void SetSizeable(bool value);
    // Recolours the controls the form owns with the preferences' skin colours (colour A,
    // colour B, colour A darkened by 30 % for checked text, colour A for text).
    virtual void ApplySkin();
    // How many times the skin was applied (a skin change recolours at once).
    int SkinApplyCount() const { return FapplyCount; }
    // The edge under a point of the panel and the cursor it shows; TformEdge::None when
    // the form is not sizeable.
    TformEdge EdgeUnder(QPoint panelPoint) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QWidget* FfrmBaseSkinForm;
    bool Fsizeable = false;
    int FapplyCount = 0;
};

// The region of every pixel of `bitmap` whose colour differs from `transparentColor`.
QRegion BitmapShapeRegion(const QImage& bitmap, TColor transparentColor);

// Gives its window the shape of `Bitmap`: every pixel not in `TransparentColor`. The
// window takes the bitmap's size; the control sits at (0, 0) at the same size and paints
// the bitmap. With FormMove, dragging it moves the window.
class TmySkinForm : public QWidget {
public:
    explicit TmySkinForm(QWidget* parent = nullptr);

    const QImage& Bitmap() const { return Fbitmap; }
    // Copies the picture and rebuilds the shape.
    void SetBitmap(const QImage& bitmap);
    TColor TransparentColor() const { return FtransparentColor; }
    void SetTransparentColor(TColor color);
    bool FormMove() const { return FformMove; }
    void SetFormMove(bool value) { FformMove = value; }
    // Applies the shape to the window (done on every change of bitmap or colour, and by
    // the form once it has finished building). Nothing happens without a bitmap or parent.
    void UpdateShape();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QImage Fbitmap;
    TColor FtransparentColor = clLime;
    bool FformMove = false;
};

}  // namespace tunecrest
