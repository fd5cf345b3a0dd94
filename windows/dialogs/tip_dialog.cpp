#include "windows/dialogs/tip_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include "skin/component_owner.h"
#include "skin/modal_runner.h"
#include "skin/screen_fonts.h"
#include "skin/small_dialogs.h"

namespace tunecrest {

TmyTipDialogForm::TmyTipDialogForm(QWidget* parent) : TfrmPlainDialog("Tip of the Day", parent)
{
    setObjectName("frmTipDialog");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* row = new QHBoxLayout();
    row->setSpacing(16);
    imgPicture = CreateComponent<QLabel>(this, Body());
    imgPicture->setObjectName("imgPicture");
    imgPicture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    imgPicture->setFixedWidth(80);
    row->addWidget(imgPicture);
    auto* text = new QVBoxLayout();
    lblTitle = CreateComponent<QLabel>(this, Body());
    lblTitle->setObjectName("lblTitle");
    lblTip = CreateComponent<QLabel>(this, Body());
    lblTip->setObjectName("lblTip");
    lblTip->setWordWrap(true);
    lblTip->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    lblTip->setStyleSheet("font-size: 17px;");
    text->addWidget(lblTitle);
    text->addWidget(lblTip, 1);
    row->addLayout(text, 1);
    BodyLayout()->addLayout(row, 1);
    cbShowAtStart = CreateComponent<QCheckBox>(this, Body());
    cbShowAtStart->setObjectName("cbShowAtStart");
    cbShowAtStart->setText("Display Tips on Startup");
    cbShowAtStart->setChecked(true);
    BodyLayout()->addWidget(cbShowAtStart);
    btnNextTip = AddButton("btnNextTip", "Next Tip");
    btnNextTip->OnClick = [this](TObject*) { NextTip(); };
    btnClose = AddCloseButton("Close");
    resize(620, 340);
}

void TmyTipDialogForm::SetTips(const std::vector<std::string>& tips, int index)
{
    Ftips = tips;
    if (Ftips.empty()) Ftips.emplace_back("No Tips Available!");
    btnNextTip->setEnabled(Ftips.size() > 1);
    Findex = index < 0 || index >= int(Ftips.size()) ? 0 : index;
    ShowTip();
}

void TmyTipDialogForm::NextTip()
{
    if (Ftips.empty()) return;
    Findex = (Findex + 1) % int(Ftips.size());
    ShowTip();
}

void TmyTipDialogForm::ShowTip() { lblTip->setText(QString::fromStdString(Ftips[size_t(Findex)])); }

void TmyTipDialog::SetTipNo(int value) { FtipNo = value < 0 || value >= int(Tips.size()) ? 0 : value; }

bool TmyTipDialog::Execute()
{
    TmyTipDialogForm form;
    if (!Image.isNull()) form.imgPicture->setPixmap(QPixmap::fromImage(Image));
    form.lblTitle->setText(QString::fromStdString(TitleLabel));
    form.lblTitle->setFont(ScreenFont(TitleFont));
    form.lblTip->clear();
    form.cbShowAtStart->setChecked(ShowAtStart);
    form.SetTips(Tips, FtipNo);
    RunModal(form);
    ShowAtStart = form.cbShowAtStart->isChecked();
    FtipNo = form.Index();
    return true;
}

void GetTipTexts(std::vector<std::string>& tips, const std::string& name)
{
    tips = {
        "Before you can use " + name +
            " you need to set your Media Folder locations.  Do this by choosing Settings->Media Folders from the "
            "main menu.",
        "If you have added or removed files from your music collection you will need to refresh the music "
        "library.  You can do this by choosing File->Scan Folders from the Main Menu, or by pressing Ctrl+Shift+F5.",
        "After inserting or removing a CD you can choose File->Refresh/Scan CDs from the main menu.  Or just simply "
        "press F5.",
        "You can add your virtual CDs into the CD stacker.  They will stay in the stacker until you remove them.  "
        "This means that you can always have instant access to your latest/favorite music.",
        "You can load an M3U playlist file by choosing Playlists->Playlist Editor from the Main Menu and importing "
        "a playlist into it.",
        "You can quickly jump through the alphabetic listing of artists by pressing the A-Z keys.",
        "You can control " + name +
            " using your favorite Remote Control Interface program.  Have a look at File->Shortcut list from the "
            "main menu.",
        "You can hide various parts of the main display to maximize the space available for display of the artist "
        "and track lists.  Refer to the Maximizing Display Space section under Getting Started in the Help File.",
        name + " can display the Album Covers of your music if you have them stored in a BMP or JPEG format.  Use "
               "the Settings->General Settings option from the main menu to configure the location of your cover "
               "files.",
        "You can use " + name +
            " to list and select your favorite Winamp Internet Radio Stations. (Settings->Internet Radio Stations)",
        name + " can be run in full screen mode (as it was designed to do) by pressing the maximize button, or by "
               "choosing View->Toggle Full Screen/Normal from the main menu.",
    };
}

QImage DefaultTipImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // Glow, glass, base and filament.
    QRadialGradient glow(32, 24, 30);
    glow.setColorAt(0, QColor(255, 236, 140, 170));
    glow.setColorAt(1, QColor(255, 236, 140, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(32, 24), 30, 30);
    QPainterPath bulb;
    bulb.addEllipse(QPointF(32, 24), 17, 17);
    QPainterPath neck;
    neck.moveTo(22, 34);
    neck.lineTo(26, 46);
    neck.lineTo(38, 46);
    neck.lineTo(42, 34);
    neck.closeSubpath();
    QLinearGradient glass(20, 8, 44, 46);
    glass.setColorAt(0, QColor(255, 250, 200));
    glass.setColorAt(1, QColor(250, 200, 40));
    p.setBrush(glass);
    p.setPen(QPen(QColor(120, 90, 10), 1.5));
    p.drawPath(bulb.united(neck));
    p.setBrush(QColor(150, 150, 160));
    p.setPen(QPen(QColor(70, 70, 80), 1.2));
    for (int i = 0; i < 3; ++i) p.drawRoundedRect(QRectF(25, 46 + i * 4, 14, 4), 2, 2);
    p.setBrush(QColor(70, 70, 80));
    p.drawEllipse(QPointF(32, 59.5), 3, 2);
    p.setPen(QPen(QColor(190, 110, 0), 1.6));
    p.setBrush(Qt::NoBrush);
    QPainterPath filament;
    filament.moveTo(28, 44);
    filament.lineTo(28, 30);
    filament.cubicTo(29, 24, 31, 34, 32, 28);
    filament.cubicTo(33, 24, 35, 34, 36, 28);
    filament.lineTo(36, 44);
    p.drawPath(filament);
    return image;
}

}  // namespace tunecrest
