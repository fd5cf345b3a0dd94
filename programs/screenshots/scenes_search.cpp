// Scenes of the search windows: the touch song search with the keyboard (adding) and
// without it (play now), the media search window's options and a scan under way, the
// history list and the information report, over the demo library.
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "core/base/date_time.h"
#include "core/jukebox/global_prefs.h"
#include "core/library/jukebox_list.h"
#include "core/base/services.h"
#include "demo_library.h"
#include "scene_keyboard_skin.h"
#include "scenes.h"
#include "skin/apply_skin.h"
#include "skin/bitmap_container.h"
#include "skin/keyboard.h"
#include "skin/skin_colors.h"
#include "skin/skin_scroll_bar.h"
#include "skin/touch_list_box.h"
#include "windows/library/jukebox_info.h"
#include "windows/search/history_window.h"
#include "windows/search/music_search_form.h"
#include "windows/search/song_search_form.h"

namespace tunecrest {

namespace {

TlocalJukeboxList& FixtureLibrary() {
    static TlocalJukeboxList* lib = [] {
        auto* l = new TlocalJukeboxList();
        TaudioTagList& global = l->GlobalList();
        global.BeginUpdate();
        int n = 0;
        for (const auto& tag : DemoTracks("/srv/music")) {
            tag->SetTrackIndex(++n);
            global.Add(tag);
        }
        global.EndUpdate();
        for (const char* title : {"Northbound", "Lantern", "Moonrise"})
            if (TaudioTagPtr tag = FindTrack(global, title)) l->Jukebox()->Queue().Add(tag->Clone());
        // Played this evening, from 20:14 on.
        TaudioTagHistoryList& history = l->Jukebox()->History();
        for (const char* title : {"Lighthouse", "Quiet Streets", "Paper Hearts", "Barn Lights", "Tip Jar"})
            if (TaudioTagPtr tag = FindTrack(global, title)) history.Add(tag->Clone());
        TDateTime at = EncodeDate(2026, 12, 8) + EncodeTime(20, 14, 0, 0);
        for (const auto& tag : history.Items()) {
            tag->SetModDate(at);
            at += double(tag->Duration()) / 86400.0;
        }
        l->AudioFolders().Add("/srv/music");
        l->AudioFolders().Add("/srv/music-new/December");
        l->AudioImportList().Add("/srv/exports/bar-favourites.csv");
        return l;
    }();
    return *lib;
}

QImage Shot(QWidget& widget, const std::function<void()>& afterShow = {}) {
    widget.setAttribute(Qt::WA_DontShowOnScreen, true);
    widget.show();
    QCoreApplication::processEvents();
    if (afterShow) afterShow();
    QCoreApplication::processEvents();
    QImage image = widget.grab().toImage();
    widget.hide();
    return image;
}

QImage SongSearchScene(const TsceneContext& ctx, bool playNow) {
    UseKeyboardSkin(ctx);
    GlobalPrefs().SetOnScreenKeyboardsEnabled(!playNow);
    TfrmSongSearch2& window = SongSearch2();
    window.Search().UseTrackIndex = true;
    window.sbResults->SetSkinBitmap(ctx.SkinImage("ScrollBarVertical"));
    window.Prepare(&FixtureLibrary(), nullptr, playNow ? sswPlayNow : sswAdd, playNow ? ssmArtist : ssmTitle);
    ApplySkinToControls(window, ctx.ButtonColor, ctx.PanelColor, ctx.CheckedFontColor, ctx.FontColor);
    QImage image = Shot(window, [&] {
        window.edSearch->setText(playNow ? "Lo" : "lo");
        if (playNow) {
            window.lbResults->SetItemIndex(1);
            window.lbResults->SetSelected(1, true);
        } else {
            window.lbResults->SetSelected(0, true);
            window.lbResults->SetSelected(3, true);
        }
    });
    window.Unbind();
    window.SetKeyboardVisible(false);
    GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
    return image;
}

QImage MediaSearchScene(bool scanning) {
    TfrmMusicSearch form;
    form.BindLibrary(&FixtureLibrary());
    form.SetAdvanced(!scanning);
    if (!scanning) return Shot(form, [&] { form.clbFolders->item(1)->setCheckState(Qt::Checked); });
    return Shot(form, [&] {
        form.pcMain->setCurrentWidget(form.tsScan);
        form.lblCurrentDir->setText("Current Dir : /srv/music/Harbour Lights/Salt and Signal");
        form.lblNewFiles->setText("New Files Found : 37");
        form.lblModifiedFiles->setText("Modified Files Found : 4");
        form.lblAction->setText("Action : Scanning Folder...");
        form.lblProgress->setText("Progress : 7/12");
        form.pbScan->setRange(0, 12);
        form.pbScan->setValue(7);
        form.btnStop->setEnabled(true);
    });
}

QImage HistoryScene() {
    TfrmHistory form(FixtureLibrary());
    form.Fill();
    return Shot(form, [&] { form.lvHistory->setCurrentItem(form.lvHistory->topLevelItem(2)); });
}

QImage InfoScene() {
    TfrmJukeboxInfo form;
    form.Fill(FixtureLibrary());
    return Shot(form);
}

TsceneRegistrar songSearch({"search", "songsearch", "Song search with the keyboard: two rows chosen",
                            [](const TsceneContext& ctx) { return SongSearchScene(ctx, false); }});
TsceneRegistrar songSearchPlayNow({"search", "songsearch_playnow",
                                   "Song search to play now, by artist, keyboards off",
                                   [](const TsceneContext& ctx) { return SongSearchScene(ctx, true); }});
TsceneRegistrar mediaOptions({"search", "mediasearch", "Media search with the advanced options",
                              [](const TsceneContext&) { return MediaSearchScene(false); }});
TsceneRegistrar mediaScan({"search", "mediasearch_scan", "Media search while a scan runs",
                           [](const TsceneContext&) { return MediaSearchScene(true); }});
TsceneRegistrar history({"search", "history", "History list of an evening",
                         [](const TsceneContext&) { return HistoryScene(); }});
TsceneRegistrar info({"search", "information", "Information about the library and the jukebox",
                      [](const TsceneContext&) { return InfoScene(); }});

}  // namespace

}  // namespace tunecrest
