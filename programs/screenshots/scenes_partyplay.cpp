// Scenes of the party-play settings window: each of its pages (the jukebox-control page is
// shown here although the window keeps its tab hidden), on the skin's button colour.
#include <QPalette>
#include <QTabWidget>

#include "core/jukebox/party_play_settings.h"
#include "mainwindow/party_play/party_play_form.h"
#include "scenes.h"
#include "skin/qt_color.h"

namespace tunecrest {

namespace {

QImage RenderPage(const TsceneContext& ctx, int page) {
    TpartyPlaySettings settings;
    settings.SetPassword(page == 2 ? "1234" : "");
    TfrmPartyPlay2 form(settings, true, nullptr, nullptr);
    QPalette palette = form.palette();
    palette.setColor(QPalette::Window, ToQColor(ctx.ButtonColor));
    palette.setColor(QPalette::WindowText, ToQColor(ctx.FontColor));
    form.setPalette(palette);
    form.Pages()->setTabVisible(1, true);
    form.Pages()->setCurrentIndex(page);
    form.resize(1000, 640);
    return GrabWidget(form);
}

TsceneRegistrar options({"partyplay", "options", "Party Play Options: options page",
                         [](const TsceneContext& ctx) { return RenderPage(ctx, 0); }});
TsceneRegistrar control({"partyplay", "jukebox_control", "Party Play Options: jukebox-control page",
                         [](const TsceneContext& ctx) { return RenderPage(ctx, 1); }});
TsceneRegistrar password({"partyplay", "password", "Party Play Options: password page with a password set",
                          [](const TsceneContext& ctx) { return RenderPage(ctx, 2); }});

}  // namespace

}  // namespace tunecrest
