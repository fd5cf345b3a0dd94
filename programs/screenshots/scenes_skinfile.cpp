// Scenes of skins read from their skin files: the main window over the demo library
// wearing each shipped skin as the reader loads it (its own colours and fonts), and a copy
// of the skin with one picture missing and one damaged, which fall back to the Default
// skin's pictures.
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "core/library/jukebox_list.h"
#include "core/display/skin_file.h"
#include "demo_library.h"
#include "mainwindow/window/main_form.h"
#include "mainwindow/skin/main_window_skin.h"
#include "scenes.h"

namespace tunecrest {

namespace {

namespace fs = std::filesystem;

// The window without a player engine: the queue shows, nothing plays.
class TskinSceneForm : public TfrmCustomTunecrest {
public:
    TskinSceneForm(const std::string& root, const std::string& programFolder)
        : TfrmCustomTunecrest({"-RootFolder=" + root}, programFolder) {
        FormCreate();
    }

protected:
    void CreatePlayer(TcustomMediaPlayer*&) override {}
};

// `breakSkin`: the skin is copied and one picture named missing, another damaged.
QImage RenderSkin(const TsceneContext& ctx, bool breakSkin) {
    char pattern[] = "/tmp/tunecrest-skinscene-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) return {};
    const fs::path root = made;
    QImage image;
    {
        // The shipped skins sit beside the program, as installed.
        const fs::path program = root / "program";
        std::error_code ec;
        fs::create_directories(program / "Skins", ec);
        for (const char* name : {"Default", "Classic"})
            fs::copy(ctx.SkinFolder.parent_path() / name, program / "Skins" / name, fs::copy_options::recursive, ec);
        fs::path folder = program / "Skins" / ctx.SkinName;
        if (breakSkin) {
            const fs::path broken = root / "Broken";
            fs::copy(folder, broken, fs::copy_options::recursive, ec);
            TskinFile skin;
            skin.LoadFromFile((broken / "skin.usk").string());
            skin.SetImage("btnPlay", "missing.bmp");
            skin.SetImage("pnlNowPlaying", "damaged.bmp");
            skin.SaveToFile((broken / "skin.usk").string());
            std::ofstream(broken / "damaged.bmp", std::ios::binary) << "BM not really a picture";
            folder = broken;
        }
        MakeDemoLibrary(root / "data");
        TskinSceneForm form((root / "data").string(), program.string());
        form.Settings().FullScreen = false;
        form.LoadSkin(folder.string());
        if (auto* list = form.JukeboxList()) {
            list->SetRandomPlayActive(false);
            form.DoInitialise();
            for (const char* title : {"Moonrise", "Barn Lights", "Long Slide"})
                if (TaudioTagPtr tag = FindTrack(list->GlobalList(), title)) list->AddToQueue(*tag);
        }
        form.ShowStatus(breakSkin ? "Skin with a missing and a damaged picture" : "Skin: " + form.Skin().Info().Title);
        form.resize(1280, 800);
        image = GrabWidget(form);
        form.Controller().SetClosing();
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return image;
}

TsceneRegistrar loaded({"skinfile", "main_loaded_1280x800", "Main window wearing the skin as its skin file loads it",
                        [](const TsceneContext& ctx) { return RenderSkin(ctx, false); }});
TsceneRegistrar broken({"skinfile", "main_broken_picture_1280x800",
                        "Skin with a missing and a damaged picture: the Default skin's stand in",
                        [](const TsceneContext& ctx) { return RenderSkin(ctx, true); }});

}  // namespace

}  // namespace tunecrest
