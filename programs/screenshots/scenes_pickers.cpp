// Scenes of the touch pickers: the colour chooser, the help shown inside the program,
// and the text entry with the keyboard in small letters.
#include <QLineEdit>
#include <QTextBrowser>

#include "core/jukebox/global_prefs.h"
#include "scene_keyboard_skin.h"
#include "scenes.h"
#include "skin/keyboard.h"
#include "skin/skin_forms.h"
#include "windows/dialogs/help_viewer.h"
#include "windows/editors/color_chooser.h"
#include "windows/password_entry.h"

namespace tunecrest {

namespace {

void UseColors(const TsceneContext& ctx) { SetFormSkinColors({ctx.ButtonColor, ctx.PanelColor, ctx.FontColor}); }

QImage ColorChooserScene(const TsceneContext& ctx)
{
    UseColors(ctx);
    TfrmSelectColor form(RGBColor(74, 109, 168));
    return GrabWidget(form);
}

QImage HelpViewerScene(const TsceneContext& ctx)
{
    UseColors(ctx);
    TfrmHelpViewer viewer;
    viewer.ApplySkin();
    viewer.SetPage("<html><body><h1>Tunecrest Audio System</h1><p><a href=\"#start\">Getting started</a> | "
                   "<a href=\"#party\">Party play</a></p><h2><a name=\"start\">Getting started</a></h2>"
                   "<p>Choose <b>Settings - Media Folders</b> and add the folders that hold your music.</p>"
                   "<h2><a name=\"party\">Party play</a></h2><p>Party play locks the jukebox for guests.</p>"
                   "</body></html>",
                   "/");
    return GrabWidget(viewer);
}

QImage SmallLettersScene(const TsceneContext& ctx)
{
    UseKeyboardSkin(ctx);
    GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
    TfrmPassword2& window = Password2();
    window.Prepare("Station address (URL)");
    window.SetExpectedPassword("", false);
    window.edPassword->setText("http://radio.example.net:8000/live_1");
    Keyboard().SetSmallLetters(true);
    QImage image = GrabWidget(window);
    Keyboard().SetSmallLetters(false);
    window.SetKeyboardVisible(false);
    return image;
}

TsceneRegistrar colorChooser({"pickers", "select_color", "Select Color: the touch colour chooser", ColorChooserScene});
TsceneRegistrar helpViewer({"pickers", "help", "Help shown inside the program", HelpViewerScene});
TsceneRegistrar smallLetters({"pickers", "small_letters", "Text entry: an address in small letters",
                              SmallLettersScene});

}  // namespace

}  // namespace tunecrest
