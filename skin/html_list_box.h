#pragma once
// A list box whose rows are markup lines, optionally with an image at the left of each
// row. Rows are either held by the list (hlbsNormal) or asked for when painted
// (hlbsData, through OnData).
#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "core/base/event_lists.h"
#include "core/display/font_store.h"
#include "skin/html_text.h"
#include "skin/image_list.h"

namespace tunecrest {

enum ThtmlListBoxStyle { hlbsNormal, hlbsData };

using TonHTMLlistBoxGetImageIndexEvent = std::function<void(TObject* Sender, int Index, int& ImageIndex)>;
using TonHTMLlistBoxDataEvent = std::function<void(TObject* Sender, int Index, std::string& Text)>;

class ThtmlListBox : public QAbstractScrollArea, public TObject {
  public:
    explicit ThtmlListBox(QWidget* parent = nullptr);

    TonHTMLlistBoxGetImageIndexEvent OnGetImageIndex;
    TonHTMLlistBoxGetImageIndexEvent OnGetSelectedImageIndex;
    TonHTMLlistBoxDataEvent OnData;
    TNotifyEvent OnScrolled;

    ThtmlListBoxStyle HTMLListBoxStyle() const { return Fstyle; }
    void SetHTMLListBoxStyle(ThtmlListBoxStyle value);

    // Rows held by the list (hlbsNormal); call ItemsChanged after editing them in place.
    std::vector<std::string>& Items() { return Fitems; }
    void SetItems(std::vector<std::string> items);
    void ItemsChanged();
    // The row count: the held rows, or the count set for hlbsData.
    int Count() const;
    void SetCount(int value);
    std::string ItemText(int index) const;

    // -1 for none; out-of-range values are clamped.
    int ItemIndex() const { return FitemIndex; }
    void SetItemIndex(int value);
    int TopIndex() const;
    void SetTopIndex(int value);

    // The list's font; the rows are max(16, round(size x 1.6)) pixels high.
    const TFont& LFont() const { return Ffont; }
    void SetLFont(const TFont& value);
    int ItemHeight() const { return FitemHeight; }

    bool ShowHighlight() const { return FshowHighlight; }
    void SetShowHighlight(bool value);
    TColor Color() const { return Fcolor; }
    void SetColor(TColor value);
    // Not owned; the list forgets it when it is destroyed.
    TimageList* Images() const { return Fimages.data(); }
    void SetImages(TimageList* value);

    // The row under a point of the viewport, or -1.
    int ItemAtPos(const QPoint& pos) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void UpdateScrollBar();
    void PaintRow(QPainter& painter, int index, const QRect& row);
    int VisibleRows() const;

    ThtmlListBoxStyle Fstyle = hlbsNormal;
    std::vector<std::string> Fitems;
    int Fcount = 0;
    int FitemIndex = -1;
    TFont Ffont;
    int FitemHeight = 16;
    bool FshowHighlight = true;
    TColor Fcolor = clWindow;
    QPointer<TimageList> Fimages;
    QImage Frow;  // the off-screen row, 24 bits per pixel
    ThtmlTextLayout Flayout;
    std::string Ftext;
};

}  // namespace tunecrest
