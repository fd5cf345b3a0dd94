// Scenes of the skinned forms: the on-screen keyboard, the small dialogs, the password
// window and the about box as progress window and with its credits.
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

#include "core/jukebox/global_prefs.h"
#include "core/display/skin_file.h"
#include "mainwindow/skin/skin_font_stores.h"
#include "scene_keyboard_skin.h"
#include "scenes.h"
#include "skin/bitmap_container.h"
#include "skin/skin_button.h"
#include "skin/keyboard.h"
#include "skin/skin_colors.h"
#include "skin/skin_scroll_bar.h"
#include "skin/small_dialogs.h"
#include "windows/about_box.h"
#include "windows/password_entry.h"

namespace tunecrest {

namespace {

// Dialog buttons dressed as the dialogs' entry routines dress them: from the template
// key of the keyboard.
void SkinButtons(std::initializer_list<TmySkinButton*> buttons)
{
    const TmySkinButton* templateButton = SkinTemplateButton();
    if (!templateButton) return;
    for (TmySkinButton* b : buttons) {
        b->BeginUpdate();
        b->SetSkinBitmap(templateButton->SkinBitmap());
        b->AssignSkin(*templateButton, false);
        b->EndUpdate();
    }
}

QImage Grab(QWidget& widget, const std::function<void()>& afterShow = {})
{
    widget.setAttribute(Qt::WA_DontShowOnScreen, true);
    widget.show();
    QCoreApplication::processEvents();
    if (afterShow) afterShow();
    QCoreApplication::processEvents();
    QImage image = widget.grab().toImage();
    widget.hide();
    return image;
}

QImage KeyboardScene(const TsceneContext& ctx)
{
    UseKeyboardSkin(ctx);
    QWidget host;
    host.resize(Keyboard().KeyboardWidth(), Keyboard().KeyboardHeight());
    Keyboard().DockInto(&host);
    QImage image = Grab(host);
    Keyboard().DockInto(nullptr);
    return image;
}

QImage OkCancelScene(const TsceneContext& ctx)
{
    UseKeyboardSkin(ctx);
    TfrmSkinnedOKCancel form;
    form.SetText("Clear every track from the queue?");
    if (const TmySkinButton* templateButton = SkinTemplateButton()) form.UseTemplate(*templateButton);
    form.PlaceButtons();
    QImage icon(48, 48, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    {
        QPainter p(&icon);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(240, 190, 40));
        p.setPen(QPen(QColor(60, 40, 0), 2));
        p.drawEllipse(4, 4, 40, 40);
        QFont font("DejaVu Sans");
        font.setPixelSize(28);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRect(4, 4, 40, 40), Qt::AlignCenter, "?");
    }
    form.SetIcon(icon);
    return Grab(form);
}

QImage MessageScene(const TsceneContext& ctx)
{
    UseKeyboardSkin(ctx);
    auto form = MakeSkinnedMessage("The cartridge could not be loaded: the file is damaged.", "Load Cartridge");
    return Grab(*form);
}

QImage StatusScene(const TsceneContext& ctx)
{
    UseKeyboardSkin(ctx);
    TfrmStatusMessage status;
    status.setAttribute(Qt::WA_DontShowOnScreen, true);
    status.ShowMessage(QPoint(0, 0), "Queue saved as \"Friday Night\"", 2000);
    QCoreApplication::processEvents();
    QImage image = status.grab().toImage();
    status.hide();
    return image;
}

QImage SelectStringScene(const TsceneContext& ctx)
{
    UseKeyboardSkin(ctx);
    // The program's template scroll bar and list fonts, as the main window hands them on.
    TmySkinScrollBar bar;
    bar.SetSkinBitmap(ctx.SkinImage("ScrollBarVertical"));
    bar.ApplySkinColors(ctx.ButtonColor, ctx.PanelColor, DarkenColor(ctx.ButtonColor, 30), ctx.FontColor);
    bar.setFixedWidth(48);
    TfontContainer lists = DefaultFontStore(fsLists);
    TskinFile skin;
    skin.LoadFromFile((ctx.SkinFolder / TskinFile::kFileName).string());
    skin.LoadFontStore(lists);
    GlobalPrefs().SetSkinScrollBar(&bar);
    GlobalPrefs().SetFontContainer(&lists);
    TfrmSkinnedSelectString form;
    SkinButtons({form.btnOK, form.btnCancel});
    form.lblSelectZone->setText("Select a Zone from below ...");
    form.TakePreferencesLook();
    form.SetStrings({"Patio", "Bar", "Lounge", "Dance Floor", "Garden", "Party Room", "Office", "Kitchen"}, "Lounge");
    form.Arrange(true, true, 0, 0);
    QImage image = Grab(form);
    GlobalPrefs().SetSkinScrollBar(nullptr);
    GlobalPrefs().SetFontContainer(nullptr);
    return image;
}

QImage PasswordScene(const TsceneContext& ctx, bool keyboard)
{
    UseKeyboardSkin(ctx);
    GlobalPrefs().SetOnScreenKeyboardsEnabled(keyboard);
    TfrmPassword2& window = Password2();
    window.Prepare(keyboard ? "Enter the party-play password" : "Name of the new playlist");
    window.SetExpectedPassword(keyboard ? "secret" : "", keyboard);
    QImage image = Grab(window, [&] { window.edPassword->setText(keyboard ? "secr" : "Friday Night"); });
    window.SetKeyboardVisible(false);
    GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
    return image;
}

// The about box on the scene's panel colour, so its rounded shape shows.
QImage OnPanel(const TsceneContext& ctx, QWidget& window, const QImage& shot)
{
    QImage image(shot.size() + QSize(32, 32), QImage::Format_RGB32);
    image.fill(QColor(GetRValue(ctx.PanelColor), GetGValue(ctx.PanelColor), GetBValue(ctx.PanelColor)));
    QPainter p(&image);
    p.setClipRegion(window.mask().translated(16, 16));
    p.drawImage(16, 16, shot);
    return image;
}

QImage AboutProgressScene(const TsceneContext& ctx)
{
    UseKeyboardSkin(ctx);
    TfrmTunecrestAbout2 about;
    about.setAttribute(Qt::WA_DontShowOnScreen, true);
    about.BeginProgress("Building the album lists ...");
    about.SetProgress(180, 300);
    const QImage shot = about.grab().toImage();
    QImage image = OnPanel(ctx, about, shot);
    about.EndProgress();
    return image;
}

QImage AboutCreditsScene(const TsceneContext& ctx)
{
    UseKeyboardSkin(ctx);
    TfrmTunecrestAbout2 about;
    about.setAttribute(Qt::WA_DontShowOnScreen, true);
    about.ShowAbout();
    for (int i = 0; i < 40; ++i) about.credits->Step();
    QCoreApplication::processEvents();
    const QImage shot = about.grab().toImage();
    QImage image = OnPanel(ctx, about, shot);
    about.close();
    return image;
}

TsceneRegistrar keyboardScene({"forms", "keyboard", "On-screen keyboard (key size 60)", KeyboardScene});
TsceneRegistrar okCancelScene({"forms", "okcancel", "OK/Cancel question with an icon", OkCancelScene});
TsceneRegistrar messageScene({"forms", "message", "Message (the prompt service)", MessageScene});
TsceneRegistrar statusScene({"forms", "status", "Self-closing status message", StatusScene});
TsceneRegistrar selectScene({"forms", "selectstring", "String picker, eight zones, default selected",
                             SelectStringScene});
TsceneRegistrar passwordScene({"forms", "password", "Password entry with the keyboard",
                               [](const TsceneContext& ctx) { return PasswordScene(ctx, true); }});
TsceneRegistrar textScene({"forms", "textentry", "Text entry, keyboards off",
                           [](const TsceneContext& ctx) { return PasswordScene(ctx, false); }});
TsceneRegistrar aboutProgressScene({"forms", "about-progress", "About box as progress window",
                                    AboutProgressScene});
TsceneRegistrar aboutCreditsScene({"forms", "about-credits", "About box with its credits", AboutCreditsScene});

}  // namespace

}  // namespace tunecrest
