// Scenes of the plain dialogs: select items, countdown, URL list, tips, shortcut list,
// view settings, reports, the tag-reader plug-in windows and the report columns.
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include "core/jukebox/global_prefs.h"
#include "core/tags/tagger_loader.h"
#include "mainwindow/skin/main_window_skin.h"
#include "scenes.h"
#include "skin/bitmap_container.h"
#include "skin/keyboard.h"
#include "windows/dialogs/countdown.h"
#include "windows/dialogs/media_library_report.h"
#include "windows/dialogs/reports_dialog.h"
#include "windows/dialogs/select_items.h"
#include "windows/dialogs/shortcut_list.h"
#include "windows/dialogs/tag_plugins.h"
#include "windows/dialogs/tip_dialog.h"
#include "windows/dialogs/url_list_editor.h"
#include "windows/dialogs/view_settings.h"

namespace tunecrest {

namespace {

// The dialogs' buttons take the skin's key template through the keyboard, and the
// forms the scene's colours.
void DialogSkin(const TsceneContext& ctx)
{
    static TbitmapContainer store;
    LoadSkinStore(store, ctx.SkinFolder.string());
    GlobalPrefs().SetBitmapContainer(&store);
    SetFormSkinColors({ctx.ButtonColor, ctx.PanelColor, ctx.FontColor});
    Keyboard().SetKeySize(60);
    SkinKeyboard(Keyboard(), ctx.ButtonColor, ctx.PanelColor, ctx.FontColor);
}

template <typename Tform, typename Tfill>
QImage Shot(const TsceneContext& ctx, Tfill fill)
{
    DialogSkin(ctx);
    Tform form;
    fill(form);
    return GrabWidget(form);
}

QImage SelectItemsScene(const TsceneContext& ctx)
{
    return Shot<TfrmSelectItem>(ctx, [](TfrmSelectItem& w) {
        w.SetCaption("Random Play Filter");
        w.gbItemList->setTitle("Select the genres to play");
        w.lbItems->setSelectionMode(QAbstractItemView::MultiSelection);
        for (const char* genre : {"Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Jazz", "Pop", "Soul"})
            w.lbItems->addItem(genre);
        w.lbItems->item(1)->setSelected(true);
        w.lbItems->item(6)->setSelected(true);
        w.lbItems->setCurrentRow(6, QItemSelectionModel::NoUpdate);
    });
}

QImage CountdownScene(const TsceneContext& ctx)
{
    DialogSkin(ctx);
    TfrmRunCountdown form(15000);
    form.SetCaption("Scheduled Media Scan");
    form.gbCountdown->setTitle("Tunecrest Audio System Media Scan");
    form.lblMessage->setText("Tunecrest Audio System has received a Full Rescan request, you can skip the media scan "
                             "at this time by clicking \"Cancel\" in:");
    return GrabWidget(form);
}

QImage UrlScene(const TsceneContext& ctx)
{
    return Shot<TfrmEditURLs>(ctx, [](TfrmEditURLs& w) {
        w.URLs().Add("Blues Radio", "http://blues.example.net/live");
        w.URLs().Add("Jazz FM", "http://jazz.example.net:8000/");
        w.URLs().Add("Lounge Beats", "http://lounge.example.net:8010/stream");
        w.URLs().Add("Soul Station", "http://soul.example.net/hq");
        w.lbURLs->setCurrentRow(1);
    });
}

QImage TipsScene(const TsceneContext& ctx)
{
    return Shot<TmyTipDialogForm>(ctx, [](TmyTipDialogForm& w) {
        std::vector<std::string> tips;
        GetTipTexts(tips, "Tunecrest Audio System");
        w.imgPicture->setPixmap(QPixmap::fromImage(DefaultTipImage()));
        w.lblTitle->setText("Did you know...");
        w.lblTitle->setFont(QFont("DejaVu Sans", 16, QFont::Bold));
        w.SetTips(tips, 7);
    });
}

QImage ShortcutsScene(const TsceneContext& ctx)
{
    return Shot<TfrmShortcuts>(ctx, [](TfrmShortcuts& w) {
        const std::vector<TshortcutEntry> actions = {
            {"Control", "&Play", "Ctrl+P", 1},          {"Control", "&Stop", "Ctrl+S", 3},
            {"Control", "P&ause", "Ctrl+A", 2},         {"Control", "&Next", "Ctrl+N", 4},
            {"Control", "&Raise Volume", "F11", 7},     {"Control", "&Lower Volume", "F12", 8},
            {"Control", "Restar&t Track", "", 5},       {"File", "E&xit", "Ctrl+Alt+X", 100},
            {"File", "&Information", "Ctrl+I", 0},      {"Help", "&Help", "F1", 0},
            {"Queue", "Move &Up", "Ctrl+U", 301},       {"Queue", "Move &Down", "Ctrl+W", 302},
            {"Queue", "&Delete", "Ctrl+D", 303},        {"Queue", "&Randomize", "", 310},
        };
        w.memoShortcuts->setPlainText(QString::fromStdString(ShortcutListText(actions, "Tunecrest Main")));
    });
}

void FillViewSettings(TfrmViewSettings& w)
{
    w.SetModes(DisplayModes({dmArtists, dmAlbums, dmPlaylists, dmGenres, dmGenreArtists, dmYears}));
    w.ModeBox(dmVideo)->hide();
    w.rbDecades->setChecked(true);
    w.Formats().Items().Add("Track List", "<FTN><TN>. <FTI><TI><FCH> [<FDU><DU>]");
    w.Formats().Items().Add("Queue List", "<FAR><AR><FCH> - <FTI><TI>");
    w.Formats().Items().Add("Now Playing", "<FTI><TI><FCH> by <FAR><AR>");
    w.FillFormatList();
    w.lbFormats->setCurrentRow(1);
    w.seHorizontal->setValue(4);
    w.seVertical->setValue(3);
}

QImage ViewSettingsScene(const TsceneContext& ctx)
{
    return Shot<TfrmViewSettings>(ctx, [](TfrmViewSettings& w) { FillViewSettings(w); });
}

QImage ViewFormatsScene(const TsceneContext& ctx)
{
    return Shot<TfrmViewSettings>(ctx, [](TfrmViewSettings& w) {
        FillViewSettings(w);
        w.pcPages->setCurrentWidget(w.tsDisplayFormats);
    });
}

QImage ReportsScene(const TsceneContext& ctx)
{
    return Shot<TfrmReports>(ctx, [](TfrmReports& w) { w.SetLibrary(nullptr, "/srv/jukebox/Reports"); });
}

// The reports dialog after a report was chosen, with its progress under way.
QImage ReportsRunningScene(const TsceneContext& ctx)
{
    DialogSkin(ctx);
    TfrmReports form;
    form.setAttribute(Qt::WA_DontShowOnScreen, true);
    form.show();
    QCoreApplication::processEvents();
    form.lbReports->setCurrentRow(2);
    form.edOutputFile->setText("Media Library.csv");
    form.pbProgress->setRange(0, 4200);
    form.pbProgress->setValue(2650);
    form.lblProgress->setText("2650/4200");
    form.pbProgress->show();
    form.lblProgress->show();
    return GrabWidget(form);  // already shown: the progress stays as set
}

QImage PluginsScene(const TsceneContext& ctx)
{
    DialogSkin(ctx);
    TtaggerLoader loader;
    loader.SetPluginFolder((std::filesystem::path(TUNECREST_BIN_DIR) / "TagPlugins").string() + "/");
    TfrmPlugins form(loader);
    if (form.lbPlugins->count() > 0) form.lbPlugins->setCurrentRow(0);
    form.PluginsClicked();
    return GrabWidget(form);
}

QImage PluginFolderScene(const TsceneContext& ctx)
{
    DialogSkin(ctx);
    TtaggerLoader loader;
    TfrmConfigurePlugins form(loader);
    form.edFolder->setText("/srv/jukebox/TagPlugins/");
    return GrabWidget(form);
}

QImage ReportColumnsScene(const TsceneContext& ctx)
{
    return Shot<TfrmMediaLibraryReport>(ctx, [](TfrmMediaLibraryReport& w) {
        w.SetFields(TmediaLibraryReport::AvailableFields(true), {"Artist", "Album", "Track Number", "Title", "Year"},
                    {"MOOD", "BPM"});
        w.lbAvailable->item(2)->setSelected(true);
        w.lbSelected->setCurrentRow(1);
    });
}

TsceneRegistrar selectItemsScene({"dialogs", "selectitems", "Select items: two genres chosen", SelectItemsScene});
TsceneRegistrar countdownScene({"dialogs", "countdown", "Countdown before a scheduled media scan", CountdownScene});
TsceneRegistrar urlScene({"dialogs", "urls", "Internet radio stations (URL list editor)", UrlScene});
TsceneRegistrar tipsScene({"dialogs", "tips", "Tip of the day", TipsScene});
TsceneRegistrar shortcutsScene({"dialogs", "shortcuts", "Shortcut list", ShortcutsScene});
TsceneRegistrar viewScene({"dialogs", "viewsettings", "View settings: browse tree branches", ViewSettingsScene});
TsceneRegistrar viewFormatsScene({"dialogs", "viewformats", "View settings: display formats", ViewFormatsScene});
TsceneRegistrar reportsScene({"dialogs", "reports", "Reports, none chosen", ReportsScene});
TsceneRegistrar reportsRunningScene({"dialogs", "reportsrunning", "Reports: a report running",
                                     ReportsRunningScene});
TsceneRegistrar pluginsScene({"dialogs", "plugins", "Tag Reader Plugins", PluginsScene});
TsceneRegistrar pluginFolderScene({"dialogs", "pluginfolder", "Tag-reader plug-in folder", PluginFolderScene});
TsceneRegistrar columnsScene({"dialogs", "reportcolumns", "Media Library report columns", ReportColumnsScene});

}  // namespace

}  // namespace tunecrest
