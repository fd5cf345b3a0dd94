#pragma once
// A label whose caption is markup: plain, with a drop shadow, or with a black border.
#include <QWidget>
#include <string>

#include "core/display/font_store.h"

namespace tunecrest {

enum TlabelStyle { lsNormal, lsShadow, lsBorder };

class ThtmlLabel : public QWidget {
  public:
    explicit ThtmlLabel(QWidget* parent = nullptr);

    const std::string& Caption() const { return Fcaption; }
    void SetCaption(const std::string& value);
    const TFont& LabelFont() const { return Ffont; }
    void SetLabelFont(const TFont& value);
    TlabelStyle LabelStyle() const { return Fstyle; }
    void SetLabelStyle(TlabelStyle value);
    // Qt::AlignLeft, Qt::AlignHCenter or Qt::AlignRight.
    int Alignment() const { return Falignment; }
    void SetAlignment(int value);
    // Breaks lines at blanks to fit the label's width.
    bool WordWrap() const { return FwordWrap; }
    void SetWordWrap(bool value);
    // Resizes the label to its text whenever caption, font or style change (width kept
    // when wrapping).
    bool AutoSize() const { return FautoSize; }
    void SetAutoSize(bool value);

    QSize sizeHint() const override;
    // A wrapping label is as tall as its lines at the width it is given.
    bool hasHeightForWidth() const override { return FwordWrap; }
    int heightForWidth(int width) const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void Changed();
    // The extra room the style's copies take beside the text.
    QSize StyleMargin() const;

    std::string Fcaption;
    TFont Ffont;
    TlabelStyle Fstyle = lsNormal;
    int Falignment = Qt::AlignLeft;
    bool FwordWrap = false;
    bool FautoSize = true;
};

}  // namespace tunecrest
