#include "windows/editors/color_chooser.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "core/display/color_text.h"
#include "skin/modal_runner.h"
#include "skin/qt_color.h"
#include "windows/editors/editor_form.h"

namespace tunecrest {

namespace {

constexpr int kSwatchColumns = 8;

QString Css(TColor color) { return ToQColor(ColorToRGB(color)).name(); }

// Black or white, whichever reads on `color`.
QString TextOn(TColor color)
{
    const TColor c = ColorToRGB(color);
    return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000 < 140 ? "#ffffff" : "#000000";
}

}  // namespace

const std::vector<TColor>& ChooserSwatchColors()
{
    static const std::vector<TColor> colors = [] {
        const uint32_t rgb[] = {
            // greys
            0x000000, 0x333333, 0x555555, 0x808080, 0xA0A0A0, 0xC0C0C0, 0xE0E0E0, 0xFFFFFF,
            // full colours
            0xFF0000, 0xFF8000, 0xFFFF00, 0x00C000, 0x00C0C0, 0x0000FF, 0x8000FF, 0xFF00FF,
            // dark
            0x800000, 0x804000, 0x808000, 0x008000, 0x008080, 0x000080, 0x400080, 0x800080,
            // light
            0xFF8080, 0xFFC080, 0xFFFF80, 0x80FF80, 0x80FFFF, 0x8080FF, 0xC080FF, 0xFF80FF,
            // the quiet shades of stage and buttons
            0x1E2228, 0x4E5868, 0x394975, 0x4A6DA8, 0x2F4F4F, 0x556B2F, 0x8B4513, 0x705860,
        };
        std::vector<TColor> out;
        for (uint32_t c : rgb) out.push_back(RGBColor(uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)));
        return out;
    }();
    return colors;
}

TfrmSelectColor::TfrmSelectColor(TColor initial, QWidget* parent) : QDialog(parent)
{
    setObjectName("frmSelectColor");
    setWindowTitle("Select Color");
    StyleEditorDialog(*this);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout();
    grid->setSpacing(6);
    const std::vector<TColor>& colors = ChooserSwatchColors();
    for (size_t i = 0; i < colors.size(); ++i) {
        auto* swatch = new QPushButton(this);
        swatch->setObjectName(QString("btnSwatch%1").arg(i));
        swatch->setMinimumSize(64, 48);
        swatch->setAutoDefault(false);
        swatch->setFocusPolicy(Qt::NoFocus);
        swatch->setStyleSheet(QString("QPushButton { background: %1; border: 2px solid %2; border-radius: 6px; "
                                      "min-height: 48px; min-width: 64px; padding: 0; }")
                                  .arg(Css(colors[i]), palette().color(QPalette::WindowText).name()));
        const TColor color = colors[i];
        connect(swatch, &QPushButton::clicked, this, [this, color] { SetColor(color); });
        grid->addWidget(swatch, int(i) / kSwatchColumns, int(i) % kSwatchColumns);
        Swatches.push_back(swatch);
    }
    layout->addLayout(grid);

    auto* sliders = new QGridLayout();
    const char* names[3] = {"sbRed", "sbGreen", "sbBlue"};
    const char* captions[3] = {"Red", "Green", "Blue"};
    QSlider** targets[3] = {&sbRed, &sbGreen, &sbBlue};
    for (int i = 0; i < 3; ++i) {
        QSlider* slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(names[i]);
        slider->setRange(0, 255);
        slider->setPageStep(16);
        slider->setMinimumHeight(kTouchHeight);
        slider->setStyleSheet("QSlider::groove:horizontal { height: 12px; border-radius: 6px; background: " +
                              palette().color(QPalette::Base).name() +
                              "; } QSlider::handle:horizontal { width: 40px; margin: -16px 0; border-radius: 8px; "
                              "background: " +
                              palette().color(QPalette::Button).name() + "; border: 2px solid " +
                              palette().color(QPalette::WindowText).name() + "; }");
        connect(slider, &QSlider::valueChanged, this, [this] { SlidersMoved(); });
        sliders->addWidget(new QLabel(captions[i], this), i, 0);
        sliders->addWidget(slider, i, 1);
        *targets[i] = slider;
    }
    pnlPreview = new QLabel(this);
    pnlPreview->setObjectName("pnlPreview");
    pnlPreview->setAlignment(Qt::AlignCenter);
    pnlPreview->setFixedSize(160, 3 * kTouchHeight);
    sliders->addWidget(pnlPreview, 0, 2, 3, 1);
    sliders->setColumnStretch(1, 1);
    layout->addLayout(sliders);
    AddOkCancelRow(*this, *layout, &btnOK, &btnCancel);
    SetColor(initial);
}

void TfrmSelectColor::SetColor(TColor color)
{
    Fcolor = ColorToRGB(color);
    Fsetting = true;
    sbRed->setValue(GetRValue(Fcolor));
    sbGreen->setValue(GetGValue(Fcolor));
    sbBlue->setValue(GetBValue(Fcolor));
    Fsetting = false;
    pnlPreview->setText(Css(Fcolor).toUpper());
    pnlPreview->setStyleSheet(QString("background: %1; color: %2; border: 2px solid %3; border-radius: 8px; "
                                      "font-weight: bold;")
                                  .arg(Css(Fcolor), TextOn(Fcolor), palette().color(QPalette::WindowText).name()));
}

void TfrmSelectColor::SlidersMoved()
{
    if (Fsetting) return;
    SetColor(RGBColor(uint8_t(sbRed->value()), uint8_t(sbGreen->value()), uint8_t(sbBlue->value())));
}

std::optional<TColor> ChooseColor(QWidget* parent, TColor initial)
{
    TfrmSelectColor form(initial, parent);
    if (!IsOk(RunModal(form))) return std::nullopt;
    return form.Color();
}

}  // namespace tunecrest
