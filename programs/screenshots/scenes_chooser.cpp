// The touch file chooser: opening a playlist, saving one with a typed name, and
// choosing a media folder, over a small folder made for the scenes.
#include <QCoreApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>

#include <filesystem>
#include <fstream>

#include "core/jukebox/global_prefs.h"
#include "mainwindow/main_window_skin.h"
#include "scenes.h"
#include "skin/bitmap_container.h"
#include "skin/keyboard.h"
#include "windows/dialogs/file_chooser.h"

namespace tunecrest {

namespace {

namespace fs = std::filesystem;

// A music folder with a few sub-folders, playlists and tracks, the same on every run.
std::string SceneFolder()
{
    const fs::path root = fs::path(QDir::tempPath().toStdString()) / "tunecrest-scenes" / "Music";
    for (const char* sub : {"Albums", "Live Sets", "Party Mixes", "Singles"}) fs::create_directories(root / sub);
    for (const char* file : {"Friday Night.m3u", "Saturday.m3u", "Quiet Evening.m3u", "notes.txt",
                             "Opening Song.mp3", "Closing Time.ogg"})
        if (!fs::exists(root / file)) std::ofstream(root / file) << "x";
    return root.string();
}

QImage ChooserShot(const TsceneContext& ctx, TchooserKind kind, const char* caption, const char* filter,
                   const char* name)
{
    static TbitmapContainer store;
    LoadSkinStore(store, ctx.SkinFolder.string());
    GlobalPrefs().SetBitmapContainer(&store);
    SetFormSkinColors({ctx.ButtonColor, ctx.PanelColor, ctx.FontColor});
    Keyboard().SetKeySize(60);
    SkinKeyboard(Keyboard(), ctx.ButtonColor, ctx.PanelColor, ctx.FontColor);
    TfrmFileChooser form(kind, caption, filter, SceneFolder());
    form.resize(960, 720);
    // The folder is read on a thread of its own: the picture shows it listed.
    while (form.Listing()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (name) form.edFileName->setText(name);
    if (kind == TchooserKind::ckOpenFile && form.lbEntries->count() > 5) form.lbEntries->setCurrentRow(5);
    return GrabWidget(form);
}

TsceneRegistrar openScene({"chooser", "open", "File chooser: load a playlist", [](const TsceneContext& ctx) {
                               return ChooserShot(ctx, TchooserKind::ckOpenFile, "Load from M3U File",
                                                  "M3U Playlist (*.m3u)", nullptr);
                           }});
TsceneRegistrar saveScene({"chooser", "save", "File chooser: save a playlist under a typed name",
                           [](const TsceneContext& ctx) {
                               return ChooserShot(ctx, TchooserKind::ckSaveFile, "Save to M3U File",
                                                  "M3U Playlist|*.m3u|All Files|*.*", "Sunday Brunch");
                           }});
TsceneRegistrar folderScene({"chooser", "folder", "Folder chooser: an audio folder", [](const TsceneContext& ctx) {
                                 return ChooserShot(ctx, TchooserKind::ckFolder, "Choose an Audio Folder", "",
                                                    nullptr);
                             }});

}  // namespace

}  // namespace tunecrest
