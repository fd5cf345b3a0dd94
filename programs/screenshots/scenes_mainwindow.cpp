// Scenes of the main window: the demo library's albums in the library, a queue of four
// tracks and one track playing, at the two screen sizes the jukebox is mostly run at.
#include <stdlib.h>

#include <QApplication>
#include <filesystem>

#include "core/jukebox_list.h"
#include "mainwindow/main_form.h"
#include "scenes.h"
#include "silent_player.h"

namespace tunecrest {

namespace {

class TsceneForm : public TfrmCustomTunecrest {
public:
    explicit TsceneForm(const std::string& root) : TfrmCustomTunecrest({"-RootFolder=" + root}, root) {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*& player) override { player = new TsilentPlayer; }
};

TaudioTagPtr DemoTag(const char* artist, const char* album, const char* title, int track) {
    auto tag = std::make_shared<TaudioTag>();
    tag->SetArtist(artist);
    tag->SetAlbum(album);
    tag->SetTitle(title);
    tag->SetTrackNo(uint32_t(track));
    tag->SetFilename(std::string("/music/") + album + "/" + title + ".ogg");
    return tag;
}

// `partyPlay`: switched on as a bar runs it, with the play controls hidden from guests.
QImage RenderMain(const TsceneContext& ctx, int width, int height, bool partyPlay = false) {
    char pattern[] = "/tmp/tunecrest-scene-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) return {};
    const std::string root = made;
    QImage image;
    {
        TsceneForm form(root);
        form.LoadSkin(ctx.SkinFolder.string());
        form.ApplySkinColors(ctx.PanelColor, ctx.ButtonColor, ctx.FontColor);
        form.Settings().FullScreen = false;
        auto* list = form.JukeboxList();
        list->SetRandomPlayActive(false);
        form.DoInitialise();
        const struct {
            const char* Artist;
            const char* Album;
            const char* Title;
            int Track;
        } queue[] = {{"The Night Owls", "Midnight Tones", "Moonrise", 1},
                     {"Copper Lane", "Square Dance", "Barn Lights", 2},
                     {"Saw Theory", "Edges", "Long Slide", 3},
                     {"The Night Owls", "Midnight Tones", "Neon Rain", 4},
                     {"Copper Lane", "Square Dance", "Home Again", 4}};
        for (const auto& q : queue) list->AddToQueue(*DemoTag(q.Artist, q.Album, q.Title, q.Track));
        form.PlayerPlay();
        if (partyPlay) {
            form.PartyPlaySettings().SetHidePlayControls(true);
            form.SetPartyPlay(true);
        }
        form.resize(width, height);
        image = GrabWidget(form);
        form.Controller().SetClosing();
    }
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return image;
}

TsceneRegistrar main1280({"mainwindow", "main_1280x800", "Main window, playing, 1280x800",
                          [](const TsceneContext& ctx) { return RenderMain(ctx, 1280, 800); }});
TsceneRegistrar main1920({"mainwindow", "main_1920x1080", "Main window, playing, 1920x1080",
                          [](const TsceneContext& ctx) { return RenderMain(ctx, 1920, 1080); }});
TsceneRegistrar mainParty({"mainwindow", "main_partyplay_1280x800", "Main window under party play, 1280x800",
                           [](const TsceneContext& ctx) { return RenderMain(ctx, 1280, 800, true); }});

}  // namespace

}  // namespace tunecrest
