// Scenes of the main window's command doors: the countdown before a media scan that
// another start asked for.
#include <QCoreApplication>

#include "core/global_prefs.h"
#include "mainwindow/countdown.h"
#include "scenes.h"
#include "skin/bitmap_container.h"
#include "skin/keyboard.h"
#include "skin/small_dialogs.h"

namespace tunecrest {

namespace {

QImage CountdownScene(const TsceneContext& ctx) {
    // The dialogs take their buttons from the keyboard's key template and the form colours.
    static TbitmapContainer store;
    store.Items().Clear();
    store.Items().Add()->SetBitmap(ctx.SkinImage("Keyboard", "KeyImage"));
    GlobalPrefs().SetBitmapContainer(&store);
    SetFormSkinColors({ctx.ButtonColor, ctx.PanelColor, ctx.FontColor});
    SkinKeyboard(Keyboard(), ctx.ButtonColor, ctx.PanelColor, ctx.FontColor);

    int64_t now = 0;
    TcountdownPanel panel(
        nullptr, 15000, "Scheduled Media Scan", "Tunecrest Audio System Professional Media Scan",
        "Tunecrest Audio System Professional has received a Full Rescan request, you can skip the media scan "
        "at "
        "this time by clicking \"Cancel\" in:",
        [&now] { return now; }, [](int) {});
    now = 4200;  // the panel shows 11 seconds left
    panel.Tick();
    QWidget& form = *panel.Form();
    form.hide();
    QImage image = GrabWidget(form);
    return image;
}

TsceneRegistrar countdownScene({"commands", "scan-countdown",
                                "Countdown before a scan asked for by another start", CountdownScene});

}  // namespace

}  // namespace tunecrest
